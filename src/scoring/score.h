// The contest's scoring rules: one row per group text, totals and the
// claimed score. The score of each group is kept up to date contact by
// contact (ScoreTally), so a result costs time in the number of groups.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/hashing.h"
#include "log/qso_log.h"

namespace zelk {

struct ModuleState;

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
// to 20 characters. Texts equal once filled end up where the pairwise
// exchanges of the ordering leave them.
void OrderGroups(GroupList& groups);

// The counted records of every group, summed as they come and go. Sums are
// kept in 64 bits and held at the 32-bit limits only when a row is read, which
// gives the same row as adding record by record with the limits held.
class ScoreTally : public QsoLogObserver {
  public:
    // Distances are measured from this station; a different one makes the
    // tally measure every record of `log` again.
    void UseStation(const QsoLog& log, int32_t latitude, int32_t longitude);

    // The row of one group text (all zero when it has no counted record).
    ScoreRow Row(std::string_view group) const;

    void Appended(const QsoView& record) override { Count(record, +1); }
    void Removing(const QsoView& record) override { Count(record, -1); }
    void Emptied() override { m_groups.clear(); }

  private:
    struct GroupSums {
        int64_t qsos = 0, lat = 0, lon = 0;
        int64_t zelkContacts = 0, polarContacts = 0;
    };
    void Count(const QsoView& record, int sign);

    std::unordered_map<std::string, GroupSums, TextHash, std::equal_to<>> m_groups;
    int32_t m_stationLat = 0;
    int32_t m_stationLong = 0;
};

// Orders the groups, then scores the log.
ScoreResult ScoreLog(ModuleState& state);

}  // namespace zelk
