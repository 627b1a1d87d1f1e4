// results.json, written with nlohmann-json: keys in the order written,
// texts from logs as UTF-8 with invalid bytes replaced.
#include <cmath>
#include <nlohmann/json.hpp>

#include "adjudication/results_files.h"

namespace zelk::adjudication {

namespace {

using Json = nlohmann::ordered_json;

Json EntrantJson(const Entrant& entrant, const UbnFile& ubnFile) {
    Json json;
    json["place"] = entrant.place;
    json["call"] = entrant.log.call;
    json["call_from"] = entrant.log.callFromQsoLines ? "QSO lines" : "CALLSIGN";
    json["file"] = entrant.log.name;
    json["superseded_files"] = entrant.supersededFiles;
    json["claimed_score"] =
        entrant.log.claimedScore ? Json(*entrant.log.claimedScore) : Json(nullptr);
    json["checked_score"] = entrant.checkedScore;
    json["qsos_claimed"] = entrant.QsosClaimed();
    json["qsos_credited"] = entrant.QsosCredited();
    // Four decimals: the same number on every platform, and enough to read.
    json["error_rate"] = std::round(entrant.ErrorRate() * 10000.0) / 10000.0;
    json["confirmed"] = entrant.Count(LineStatus::kConfirmed);
    json["partner_busted_call"] = entrant.Count(LineStatus::kPartnerBustedCall);
    json["no_log_credited"] = entrant.Count(LineStatus::kNoLogCredited);
    json["busted_exchange"] = entrant.Count(LineStatus::kBustedExchange);
    json["busted_call"] = entrant.Count(LineStatus::kBustedCall);
    json["nil"] = entrant.Count(LineStatus::kNil);
    json["unique"] = entrant.Count(LineStatus::kUnique);
    json["dupes"] = entrant.Count(LineStatus::kDupe);
    json["not_cw"] = entrant.Count(LineStatus::kNotCw);
    json["x_qso"] = entrant.Count(LineStatus::kXQso);
    json["unreadable_lines"] = entrant.log.unreadable.size();
    json["station_coordinate"] = entrant.log.stationCoordinate;
    const ScoreTotals& t = entrant.checked.totals;
    json["checked"] = {{"qsos", t.qsos},
                       {"points", t.points},
                       {"lat", t.lat},
                       {"long", t.lon},
                       {"zelk", t.zelk},
                       {"polar", t.polar},
                       {"nil_penalty_points", entrant.checked.claimedScore - entrant.checkedScore}};
    // A report that could not be written is null, with the reason beside it.
    if (ubnFile.notWritten.empty()) {
        json["ubn"] = "ubn/" + ubnFile.name;
    } else {
        json["ubn"] = nullptr;
        json["ubn_not_written"] = "ubn/" + ubnFile.name + ": " + ubnFile.notWritten;
    }
    return json;
}

}  // namespace

std::string ResultsJson(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles) {
    Json json;
    json["entrants"] = Json::array();
    for (uint32_t e : contest.ranking) {
        json["entrants"].push_back(EntrantJson(contest.entrants[e], ubnFiles[e]));
    }
    json["not_read"] = Json::array();
    for (const NotRead& file : contest.notRead) {
        json["not_read"].push_back({{"file", file.file}, {"reason", file.reason}});
    }
    const CheckRules& rules = contest.rules;
    json["settings"] = {{"time_window", rules.timeWindowMinutes},
                        {"call_distance", rules.callDistance},
                        {"nil_penalty", rules.nilPenalty},
                        {"min_appearances", rules.minAppearances}};
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zelk::adjudication
