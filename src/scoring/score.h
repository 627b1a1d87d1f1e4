// The contest's scoring rules: one row per group text, totals and the
// claimed score. Two forms of the same rules: ScoreContacts scores a list of
// contacts in one pass (any caller, any number of logs); ScoreTally keeps the
// score of the plug-in's log up to date contact by contact, so that a result
// costs time in the number of groups.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "contest/coordinate.h"
#include "log/group_list.h"
#include "log/hashing.h"
#include "log/qso_log.h"

namespace zelk {

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

// One contact as the rules read it, its texts as the log stores them (the
// received exchange normalised).
struct ScoredContact {
    std::string_view call;
    std::string_view group;
    std::string_view exchRcvd;
};

// The coordinate of a received exchange as the rules read it: the text after
// its first blank, or the whole text when it has none.
std::string_view ExchangeCoordinateText(std::string_view exchange);

// What one contact earns by itself: its distances from the station in
// degrees of latitude and longitude (magnitudes; hemisphere letters are not
// signs), and whether it is a contact with the ZELK station or a polar one,
// each of which earns its group a bonus once. A contact without a call
// counts in no row and earns nothing.
struct ContactScore {
    bool counted = false;
    int32_t lat = 0, lon = 0;
    bool zelk = false, polar = false;
};
ContactScore ScoreContact(const ScoredContact& contact, Coordinate station);

// A contact's share of the rows ScoreContacts gives the same contacts: the
// points it earns itself (50 and its distances, held at the 32-bit limit)
// and the bonus points its group first earned with it. A group's shares add
// up to its row.
struct ContactShare {
    int32_t points = 0;
    int32_t bonus = 0;
    bool zelk = false, polar = false;
};
std::vector<ContactShare> ShareContacts(std::span<const ScoredContact> contacts,
                                        Coordinate station);

// Puts the group list in descending order of its texts zero-filled in front
// to 20 characters. Texts equal once filled end up where the pairwise
// exchanges of the ordering leave them.
void OrderGroups(GroupList& groups);

// The score of `contacts` from `station`: one row per text of `groups`, in
// its order (a group without counted contacts gets a row of zeros).
ScoreResult ScoreContacts(std::span<const ScoredContact> contacts, Coordinate station,
                          const GroupList& groups);

// The same with the groups of the contacts, first seen first, put in the
// report's order: the report the plug-in gives for a log of these contacts.
ScoreResult ScoreContacts(std::span<const ScoredContact> contacts, Coordinate station);

// The counted contacts of one group, summed as they come (and go). Sums are
// kept in 64 bits and held at the 32-bit limits only when the row is read,
// which gives the same row as adding contact by contact with the limits held.
class GroupSums {
  public:
    // Adds (+1) or takes away (-1) one contact; a contact without a call
    // counts in the totals' contact count only, and not here.
    void Count(const ScoredContact& contact, Coordinate station, int sign);
    ScoreRow Row(std::string_view group) const;

  private:
    int64_t m_qsos = 0, m_lat = 0, m_lon = 0;
    int64_t m_zelkContacts = 0, m_polarContacts = 0;
};

// The sums of every group of a log, following the log's every change.
class ScoreTally : public QsoLogObserver {
  public:
    // Distances are measured from this station; a different one makes the
    // tally measure every record of `log` again.
    void UseStation(const QsoLog& log, Coordinate station);

    // The row of one group text (all zero when it has no counted record).
    ScoreRow Row(std::string_view group) const;

    void Appended(const QsoView& record) override { Count(record, +1); }
    void Removing(const QsoView& record) override { Count(record, -1); }
    void Emptied() override { m_groups.clear(); }

  private:
    void Count(const QsoView& record, int sign);

    std::unordered_map<std::string, GroupSums, TextHash, std::equal_to<>> m_groups;
    Coordinate m_station;
};

// Orders the groups, then scores the log from the tally that follows it.
ScoreResult ScoreLog(const QsoLog& log, GroupList& groups, ScoreTally& tally, Coordinate station);

}  // namespace zelk
