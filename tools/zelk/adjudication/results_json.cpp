// results.json, written with nlohmann-json: keys in the order written,
// texts from logs as UTF-8 with invalid bytes replaced.
#include <cmath>
#include <nlohmann/json.hpp>

#include "adjudication/report_text.h"
#include "adjudication/results_files.h"

namespace zelk::adjudication {

namespace {

using Json = nlohmann::ordered_json;

Json EntrantJson(const Entrant& entrant, const UbnFile& ubnFile) {
    Json json;
    const LogCategory& category = entrant.log.category;
    json["place"] = entrant.place == 0 ? Json(nullptr) : Json(entrant.place);
    json["category_place"] =
        entrant.categoryPlace == 0 ? Json(nullptr) : Json(entrant.categoryPlace);
    json["call"] = entrant.log.call;
    json["category"] = {{"operator", category.Of(CategoryPart::kOperator)},
                        {"band", category.Of(CategoryPart::kBand)},
                        {"power", category.Of(CategoryPart::kPower)},
                        {"transmitter", category.Of(CategoryPart::kTransmitter)}};
    json["check_log"] = category.IsCheckLog();
    json["call_from"] = entrant.log.callFromQsoLines ? "QSO lines" : "CALLSIGN";
    json["file"] = entrant.log.name;
    json["contest"] = entrant.log.contest.empty() ? Json(nullptr) : Json(entrant.log.contest);
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
    json["out_of_period"] = entrant.Count(LineStatus::kOutOfPeriod);
    json["out_of_band"] = entrant.Count(LineStatus::kOutOfBand);
    json["other_band"] = entrant.Count(LineStatus::kOtherBand);
    json["not_cw"] = entrant.Count(LineStatus::kNotCw);
    json["x_qso"] = entrant.Count(LineStatus::kXQso);
    json["unreadable_lines"] = entrant.log.unreadable.size();
    json["unreadable_matched"] = entrant.Count(LineStatus::kUnreadable);
    json["station_coordinate"] = entrant.log.stationCoordinate;
    json["clock_offset_minutes"] = entrant.clockOffsetMinutes;
    json["caused_nil"] = entrant.causedNils;
    json["overridden"] = entrant.overridden;
    json["header_notes"] = entrant.log.headerNotes;
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
    for (uint32_t e : contest.checkLogs) {
        json["entrants"].push_back(EntrantJson(contest.entrants[e], ubnFiles[e]));
    }
    json["categories"] = Json::array();
    for (const CategoryRanking& category : contest.categories) {
        Json calls = Json::array();
        for (uint32_t e : category.ranking) {
            calls.push_back(contest.entrants[e].log.call);
        }
        json["categories"].push_back({{"name", category.name}, {"entrants", calls}});
    }
    json["stale_decisions"] = Json::array();
    for (const StaleDecision& stale : contest.staleDecisions) {
        const Decision& d = stale.decision;
        json["stale_decisions"].push_back(
            {{"call", d.call},
             {"line", d.line},
             {"verdict", d.verdict == Decision::Verdict::kCredit ? "credit" : "deny"},
             {"reason", d.reason},
             {"source", d.source},
             {"why", stale.why}});
    }
    json["missing_logs"] = Json::array();
    for (const MissingLog& missing : contest.missingLogs) {
        json["missing_logs"].push_back({{"call", missing.call}, {"logs", missing.logs}});
    }
    json["clock_ties"] = Json::array();
    for (const ClockTie& tie : contest.clockTies) {
        json["clock_ties"].push_back(
            {{"calls",
              {contest.entrants[tie.first].log.call, contest.entrants[tie.second].log.call}},
             {"minutes", tie.minutes}});
    }
    json["not_read"] = Json::array();
    for (const NotRead& file : contest.notRead) {
        json["not_read"].push_back({{"file", file.file}, {"reason", file.reason}});
    }
    const CheckRules& rules = contest.rules;
    const auto minute = [](const std::optional<int64_t>& m) {
        return m ? Json(MinuteText(*m)) : Json(nullptr);
    };
    // The files as they were given; null where none was.
    const auto file = [](const std::string& path) {
        return path.empty() ? Json(nullptr) : Json(path);
    };
    json["settings"] = {{"contest", rules.contest},
                        {"start", minute(rules.start)},
                        {"end", minute(rules.end)},
                        {"time_window", rules.timeWindowMinutes},
                        {"call_distance", rules.callDistance},
                        {"nil_penalty", rules.nilPenalty},
                        {"min_appearances", rules.minAppearances},
                        {"rules_file", file(rules.rulesFile)},
                        {"overrides_file", file(rules.overridesFile)},
                        {"decisions", rules.decisions.size()}};
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zelk::adjudication
