// The contest's scoring rules: one row per group text, totals and the
// claimed score.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelk {

struct ModuleState;
class GroupList;

inline constexpr int32_t kPointsPerContact = 50;
inline constexpr const char* kBonusCall = "ZELK";
inline constexpr int32_t kBonusCallPoints = 300;
inline constexpr int32_t kPolarLatitude = 66;
inline constexpr int32_t kPolarPoints = 100;
inline constexpr std::size_t kGroupOrderWidth = 20;

struct ScoreRow {
    std::string group;
    int32_t qsos = 0, points = 0, lat = 0, lon = 0, zelk = 0, polar = 0;
};

struct ScoreTotals {
    int32_t qsos = 0, points = 0, lat = 0, lon = 0, zelk = 0, polar = 0;
};

struct ScoreResult {
    std::vector<ScoreRow> rows;
    ScoreTotals totals;
    int32_t claimedScore = 0;
};

// Puts the group list in descending order of its texts zero-filled in front
// to 20 characters.
void OrderGroups(GroupList& groups);

// Orders the groups, then scores the log.
ScoreResult ScoreLog(ModuleState& state);

}  // namespace zelk
