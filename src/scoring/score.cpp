// Scoring of the contest log.
#include "scoring/score.h"

#include "plugin/decimal.h"
#include "plugin/module_state.h"
#include "plugin/station_coordinate.h"

namespace zelk {

void ScoreTally::UseStation(const QsoLog& log, int32_t latitude, int32_t longitude) {
    if (latitude == m_stationLat && longitude == m_stationLong) {
        return;
    }
    m_stationLat = latitude;
    m_stationLong = longitude;
    m_groups.clear();
    log.ForEach([this](const QsoView& record) { Count(record, +1); });
}

void ScoreTally::Count(const QsoView& record, int sign) {
    const std::string_view call = record.Call();
    if (call.empty()) {
        return;  // in the totals' contact count only, which is the log's count
    }
    auto it = m_groups.find(record.Group());
    if (it == m_groups.end()) {
        it = m_groups.emplace(std::string(record.Group()), GroupSums{}).first;
    }
    GroupSums& sums = it->second;
    const std::string_view exchange = record.ExchRcvd();
    const std::size_t space = exchange.find(' ');
    const Coordinate contact =
        ParseCoordinate(space == std::string_view::npos ? exchange : exchange.substr(space + 1));
    sums.qsos += sign;
    sums.lat += sign * int64_t{SaturatingAbsDiff(m_stationLat, contact.latitude)};
    sums.lon += sign * int64_t{SaturatingAbsDiff(m_stationLong, contact.longitude)};
    if (call == kBonusCall) {
        sums.zelkContacts += sign;
    }
    if (contact.latitude >= kPolarLatitude) {
        sums.polarContacts += sign;
    }
}

ScoreRow ScoreTally::Row(std::string_view group) const {
    ScoreRow row;
    row.group = group;
    const auto it = m_groups.find(group);
    if (it == m_groups.end()) {
        return row;
    }
    const GroupSums& sums = it->second;
    row.qsos = Saturate(sums.qsos);
    row.points = SaturatingMul(row.qsos, kPointsPerContact);
    row.lat = Saturate(sums.lat);
    row.lon = Saturate(sums.lon);
    row.zelk = sums.zelkContacts > 0 ? kBonusCallPoints : 0;
    row.polar = sums.polarContacts > 0 ? kPolarPoints : 0;
    return row;
}

ScoreResult ScoreLog(ModuleState& state) {
    OrderGroups(state.g_groupList);
    state.g_scoreTally.UseStation(state.g_qsoLog, state.g_stationLat, state.g_stationLong);
    ScoreResult result;
    result.rows.reserve(state.g_groupList.Count());
    for (std::size_t g = 0; g < state.g_groupList.Count(); ++g) {
        result.rows.push_back(state.g_scoreTally.Row(state.g_groupList.At(g)));
    }
    ScoreTotals& t = result.totals;
    t.qsos = Saturate(static_cast<int64_t>(state.g_qsoLog.Count()));
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

}  // namespace zelk
