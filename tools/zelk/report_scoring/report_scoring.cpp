// Scored contacts and results as the report's plain model.
#include "report_scoring/report_scoring.h"

namespace zelk::report_scoring {

namespace rh = report_html;

std::vector<rh::AdmittedContact> ReportContacts(std::span<const ScoredContact> contacts,
                                                std::span<const std::optional<int64_t>> minutes,
                                                Coordinate station) {
    const std::vector<ContactShare> shares = ShareContacts(contacts, station);
    std::vector<rh::AdmittedContact> drawn;
    drawn.reserve(contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        const ScoredContact& contact = contacts[i];
        rh::AdmittedContact& out = drawn.emplace_back();
        out.minute = i < minutes.size() ? minutes[i] : std::nullopt;
        out.group = contact.group;
        out.call = contact.call;
        out.position = rh::PositionFromCoordinate(ExchangeCoordinateText(contact.exchRcvd));
        out.points = shares[i].points;
        out.bonus = shares[i].bonus;
        out.zelkStation = shares[i].zelk;
        out.polar = shares[i].polar;
    }
    return drawn;
}

namespace {

rh::ScoreRow Row(std::string group, int32_t qsos, int32_t points, int32_t lat, int32_t lon,
                 int32_t zelk, int32_t polar) {
    return {std::move(group), qsos, points, lat, lon, zelk, polar};
}

}  // namespace

rh::ScoreTable ReportScoreTable(const ScoreResult& result) {
    rh::ScoreTable table;
    for (const ScoreRow& row : result.rows) {
        table.rows.push_back(
            Row(row.group, row.qsos, row.points, row.lat, row.lon, row.zelk, row.polar));
    }
    const ScoreTotals& t = result.totals;
    table.totals = Row("Total", t.qsos, t.points, t.lat, t.lon, t.zelk, t.polar);
    table.claimedScore = result.claimedScore;
    return table;
}

rh::Entrant ReportEntrant(std::string call, std::string category, std::string coordinateText,
                          std::string contestDate) {
    rh::Entrant entrant;
    entrant.position = rh::PositionFromCoordinate(coordinateText);
    entrant.call = std::move(call);
    entrant.category = std::move(category);
    entrant.coordinateText = std::move(coordinateText);
    entrant.contestDate = std::move(contestDate);
    return entrant;
}

}  // namespace zelk::report_scoring
