// Scoring of contacts: the rule for one contact, the rows and the totals.
#include "scoring/score.h"

#include "contest/decimal.h"

namespace zelk {
namespace {

Coordinate ExchangeCoordinate(std::string_view exchange) {
    return ParseCoordinate(ExchangeCoordinateText(exchange));
}

// The totals of the rows, and the claimed score, with the limits held at
// every sum. `contacts` counts every contact, with a call or without.
ScoreResult Finish(std::vector<ScoreRow> rows, std::size_t contacts) {
    ScoreResult result;
    result.rows = std::move(rows);
    ScoreTotals& t = result.totals;
    t.qsos = Saturate(static_cast<int64_t>(contacts));
    for (const ScoreRow& row : result.rows) {
        t.points = SaturatingAdd(t.points, row.points);
        t.lat = SaturatingAdd(t.lat, row.lat);
        t.lon = SaturatingAdd(t.lon, row.lon);
        t.zelk = SaturatingAdd(t.zelk, row.zelk);
        t.polar = SaturatingAdd(t.polar, row.polar);
    }
    result.claimedScore = SaturatingAdd(
        SaturatingAdd(SaturatingAdd(SaturatingAdd(t.points, t.lat), t.lon), t.zelk), t.polar);
    return result;
}

}  // namespace

std::string_view ExchangeCoordinateText(std::string_view exchange) {
    const std::size_t space = exchange.find(' ');
    return space == std::string_view::npos ? exchange : exchange.substr(space + 1);
}

ContactScore ScoreContact(const ScoredContact& contact, Coordinate station) {
    if (contact.call.empty()) {
        return {};
    }
    const Coordinate worked = ExchangeCoordinate(contact.exchRcvd);
    ContactScore score;
    score.counted = true;
    score.lat = SaturatingAbsDiff(station.latitude, worked.latitude);
    score.lon = SaturatingAbsDiff(station.longitude, worked.longitude);
    score.zelk = contact.call == kBonusCall;
    score.polar = worked.latitude >= kPolarLatitude;
    return score;
}

void GroupSums::Count(const ScoredContact& contact, Coordinate station, int sign) {
    const ContactScore score = ScoreContact(contact, station);
    if (!score.counted) {
        return;
    }
    m_qsos += sign;
    m_lat += sign * int64_t{score.lat};
    m_lon += sign * int64_t{score.lon};
    m_zelkContacts += score.zelk ? sign : 0;
    m_polarContacts += score.polar ? sign : 0;
}

ScoreRow GroupSums::Row(std::string_view group) const {
    ScoreRow row;
    row.group = group;
    row.qsos = Saturate(m_qsos);
    row.points = SaturatingMul(row.qsos, kPointsPerContact);
    row.lat = Saturate(m_lat);
    row.lon = Saturate(m_lon);
    row.zelk = m_zelkContacts > 0 ? kBonusCallPoints : 0;
    row.polar = m_polarContacts > 0 ? kPolarPoints : 0;
    return row;
}

ScoreResult ScoreContacts(std::span<const ScoredContact> contacts, Coordinate station,
                          const GroupList& groups) {
    std::unordered_map<std::string_view, GroupSums, TextHash, std::equal_to<>> sums;
    sums.reserve(groups.Count());
    for (const ScoredContact& contact : contacts) {
        if (!contact.call.empty()) {
            sums[contact.group].Count(contact, station, +1);
        }
    }
    std::vector<ScoreRow> rows;
    rows.reserve(groups.Count());
    for (std::size_t g = 0; g < groups.Count(); ++g) {
        const std::string& group = groups.At(g);
        const auto it = sums.find(group);
        rows.push_back(it == sums.end() ? GroupSums().Row(group) : it->second.Row(group));
    }
    return Finish(std::move(rows), contacts.size());
}

ScoreResult ScoreContacts(std::span<const ScoredContact> contacts, Coordinate station) {
    GroupList groups;
    for (const ScoredContact& contact : contacts) {
        if (!groups.Contains(contact.group)) {
            groups.Append(contact.group);
        }
    }
    OrderGroups(groups);
    return ScoreContacts(contacts, station, groups);
}

std::vector<ContactShare> ShareContacts(std::span<const ScoredContact> contacts,
                                        Coordinate station) {
    std::unordered_map<std::string_view, GroupSums, TextHash, std::equal_to<>> sums;
    std::vector<ContactShare> shares;
    shares.reserve(contacts.size());
    for (const ScoredContact& contact : contacts) {
        const ContactScore score = ScoreContact(contact, station);
        ContactShare& share = shares.emplace_back();
        if (!score.counted) {
            continue;
        }
        // The bonus is what the group's row gains with this contact.
        GroupSums& group = sums[contact.group];
        const ScoreRow before = group.Row({});
        group.Count(contact, station, +1);
        const ScoreRow after = group.Row({});
        share.points = SaturatingAdd(SaturatingAdd(kPointsPerContact, score.lat), score.lon);
        share.bonus = after.zelk - before.zelk + after.polar - before.polar;
        share.zelk = score.zelk;
        share.polar = score.polar;
    }
    return shares;
}

void ScoreTally::UseStation(const QsoLog& log, Coordinate station) {
    if (station == m_station) {
        return;
    }
    m_station = station;
    m_groups.clear();
    log.ForEach([this](const QsoView& record) { Count(record, +1); });
}

void ScoreTally::Count(const QsoView& record, int sign) {
    const ScoredContact contact{record.Call(), record.Group(), record.ExchRcvd()};
    if (contact.call.empty()) {
        return;  // in the totals' contact count only, which is the log's count
    }
    auto it = m_groups.find(contact.group);
    if (it == m_groups.end()) {
        it = m_groups.emplace(std::string(contact.group), GroupSums{}).first;
    }
    it->second.Count(contact, m_station, sign);
}

ScoreRow ScoreTally::Row(std::string_view group) const {
    const auto it = m_groups.find(group);
    return it == m_groups.end() ? GroupSums().Row(group) : it->second.Row(group);
}

ScoreResult ScoreLog(const QsoLog& log, GroupList& groups, ScoreTally& tally, Coordinate station) {
    OrderGroups(groups);
    tally.UseStation(log, station);
    std::vector<ScoreRow> rows;
    rows.reserve(groups.Count());
    for (std::size_t g = 0; g < groups.Count(); ++g) {
        rows.push_back(tally.Row(groups.At(g)));
    }
    return Finish(std::move(rows), log.Count());
}

}  // namespace zelk
