// Scoring of the contest log.
#include "scoring/score.h"

#include "plugin/decimal.h"
#include "plugin/module_state.h"
#include "plugin/station_coordinate.h"

namespace zelk {
namespace {

std::string ZeroFilled(const std::string& text) {
    return text.size() < kGroupOrderWidth ? std::string(kGroupOrderWidth - text.size(), '0') + text
                                          : text;
}

bool LessByBytes(const std::string& a, const std::string& b) {
    // Compare as unsigned bytes, as a character-code comparison does.
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

}  // namespace

void OrderGroups(GroupList& groups) {
    const std::size_t n = groups.Count();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (LessByBytes(ZeroFilled(groups.At(i)), ZeroFilled(groups.At(j)))) {
                std::string atI = groups.At(i);
                groups.ReplaceAt(i, groups.At(j));
                groups.ReplaceAt(j, std::move(atI));
            }
        }
    }
}

ScoreResult ScoreLog(ModuleState& state) {
    OrderGroups(state.g_groupList);
    ScoreResult result;
    for (std::size_t g = 0; g < state.g_groupList.Count(); ++g) {
        ScoreRow row;
        row.group = state.g_groupList.At(g);
        for (std::size_t i = 0; i < state.g_qsoLog.Count(); ++i) {
            const CInfo& record = state.g_qsoLog.At(i);
            if (record.m_strGroup != row.group || record.m_strCall.empty()) {
                continue;
            }
            row.qsos = SaturatingAdd(row.qsos, 1);
            if (record.m_strCall == kBonusCall) {
                row.zelk = kBonusCallPoints;
            }
            const std::string& exchange = record.m_strExchRcvd;
            const std::size_t space = exchange.find(' ');
            const Coordinate contact = ParseCoordinate(
                space == std::string::npos ? std::string_view(exchange)
                                           : std::string_view(exchange).substr(space + 1));
            row.lon = SaturatingAdd(row.lon, SaturatingAbsDiff(state.g_stationLong, contact.longitude));
            row.lat = SaturatingAdd(row.lat, SaturatingAbsDiff(state.g_stationLat, contact.latitude));
            if (contact.latitude >= kPolarLatitude) {
                row.polar = kPolarPoints;
            }
        }
        row.points = SaturatingMul(row.qsos, kPointsPerContact);
        result.rows.push_back(std::move(row));
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
