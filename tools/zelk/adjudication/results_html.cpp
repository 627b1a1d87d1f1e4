// results.html: the ranked table of the checked results, the files not read
// and not used, and per entrant, in the order of the table, its map and
// rate sheet of the credited lines (scored by the check's own result) with
// a link to its check report. The world outline is drawn once for the page
// and placed into each entrant's map, so a page of a hundred entrants stays
// a few megabytes.
#include <cstdio>
#include <set>

#include "adjudication/check_steps.h"
#include "adjudication/output_folder.h"
#include "adjudication/report_text.h"
#include "adjudication/results_files.h"
#include "contest/coordinate.h"
#include "report_html/clock.h"
#include "report_html/html_text.h"
#include "report_html/page.h"
#include "report_html/svg_map.h"
#include "report_scoring/report_scoring.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

namespace rh = report_html;
using rh::Escape;
using rh::Int;

constexpr std::string_view kTitle = "ZELK contest: checked results";
constexpr std::string_view kLandId = "world-land";
constexpr std::string_view kTableId = "results";

// What the report's style has no rule for: the ranked table's columns,
// each entrant starting a new sheet on paper, and on a screen narrower than
// a table (a phone's) the table scrolling in its own box, not the page.
constexpr std::string_view kResultsStyle = R"css(
table.results thead th { white-space: normal; vertical-align: bottom; }
table.results thead th:nth-child(2), table.results thead th:last-child { text-align: left; }
table.results tbody td:last-child { text-align: left; }
article.entrant-results { border-top: 3px solid #0072b2; margin-top: 32px; }
.check-note { margin: 4px 0 0; }
.files { padding-left: 18px; margin: 4px 0; }
@media print { article.entrant-results { break-before: page; border-top: none; } }
@media screen { table { display: block; max-width: 100%; overflow-x: auto; } }
)css";

// Each entrant's id on the page: its report file's name without ".ubn",
// with what a URL fragment would need escaped made "_", unique.
std::vector<std::string> AnchorIds(const std::vector<UbnFile>& ubnFiles) {
    std::vector<std::string> ids;
    std::set<std::string> taken;
    for (const UbnFile& ubnFile : ubnFiles) {
        const std::string& file = ubnFile.name;
        std::string id = "entrant-";
        for (char c : std::string_view(file).substr(0, file.size() - 4)) {
            const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                               (c >= '0' && c <= '9') || c == '-' || c == '_';
            id += plain ? c : '_';
        }
        std::string unique = id;
        for (int n = 2; !taken.insert(unique).second; ++n) {
            unique = id + "-" + std::to_string(n);
        }
        ids.push_back(std::move(unique));
    }
    return ids;
}

// A report file's name as a relative URL: ubn/ and the name, every byte
// but letters, digits and - . _ ~ percent-encoded.
std::string UbnHref(std::string_view file) {
    std::string href = std::string(kUbnFolder) + "/";
    for (char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("-._~").find(c) != std::string_view::npos;
        if (plain) {
            href += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            href += escaped;
        }
    }
    return href;
}

// The link to a report, shown as `shown`, or why there is none.
std::string UbnLink(const UbnFile& file, const std::string& shown) {
    if (!file.notWritten.empty()) {
        return "not written: " + Escape(file.notWritten);
    }
    return "<a href=\"" + Escape(UbnHref(file.name)) + "\">" + Escape(shown) + "</a>";
}

// The date of the log's first line; empty without lines.
std::string ContestDate(const Entrant& entrant) {
    return entrant.log.lines.empty() ? std::string()
                                     : rh::ContestDateText(entrant.log.lines.front().minute);
}

// The entrant's model: its credited lines, in log order, as the checked
// score took them, and that very result.
rh::ReportModel EntrantModel(const ContestCheck& contest, const Entrant& entrant) {
    GroupTexts groups;
    std::vector<ScoredContact> credited;
    std::vector<std::optional<int64_t>> minutes;
    for (uint32_t i = 0; i < entrant.log.lines.size(); ++i) {
        const CheckedLine& line = entrant.log.lines[i];
        if (contest.Credited(entrant.firstLine + i, line)) {
            credited.push_back(ScoredLine(contest, line, groups));
            minutes.emplace_back(line.minute);
        }
    }
    rh::ReportModel model;
    model.entrant = report_scoring::ReportEntrant(
        entrant.log.call, {}, entrant.log.stationCoordinate, ContestDate(entrant));
    model.score = report_scoring::ReportScoreTable(entrant.checked);
    model.contacts = report_scoring::ReportContacts(credited, minutes,
                                                    ParseCoordinate(entrant.log.stationCoordinate));
    return model;
}

std::string Claimed(const Entrant& entrant) {
    return entrant.log.claimedScore ? Int(*entrant.log.claimedScore) : "\u2013";
}

// One table: the entrants of a category by place, or the check logs.
std::string Table(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles,
                  const std::vector<std::string>& ids, std::string_view heading,
                  const std::vector<uint32_t>& entrants, bool ranked) {
    std::string html =
        "<h2>" + Escape(heading) +
        "</h2>\n<table class=\"numbers results\">\n<thead><tr><th>Place</th><th>Call</th>"
        "<th>Checked</th><th>Claimed</th><th>QSOs claimed</th><th>QSOs credited</th>"
        "<th>Error rate</th><th>Overall</th><th>Check report</th></tr></thead>\n<tbody>\n";
    for (uint32_t e : entrants) {
        const Entrant& entrant = contest.entrants[e];
        const std::string place = ranked ? Int(entrant.categoryPlace) : "\u2013";
        const std::string overall = ranked ? Int(entrant.place) : "\u2013";
        html += "<tr><td>" + place + "</td><th scope=\"row\"><a href=\"#" + ids[e] + "\">" +
                Escape(entrant.log.call) + "</a></th><td>" + Int(entrant.checkedScore) +
                "</td><td>" + Claimed(entrant) + "</td><td>" + Int(entrant.QsosClaimed()) +
                "</td><td>" + Int(entrant.QsosCredited()) + "</td><td>" +
                Percent(entrant.ErrorRate()) + "</td><td>" + overall + "</td><td>" +
                UbnLink(ubnFiles[e], ubnFiles[e].name) + "</td></tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

// A table per category, in the results' order, then the check logs.
std::string RankedTables(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles,
                         const std::vector<std::string>& ids) {
    std::string html = "<div id=\"" + std::string(kTableId) + "\">\n";
    for (const CategoryRanking& category : contest.categories) {
        html += Table(contest, ubnFiles, ids, category.name, category.ranking, true);
    }
    if (!contest.checkLogs.empty()) {
        html += Table(contest, ubnFiles, ids, "Check logs (scored, not ranked)", contest.checkLogs,
                      false);
    }
    return html + "</div>\n";
}

std::string FileList(std::string_view heading, const std::vector<std::string>& items) {
    if (items.empty()) {
        return {};
    }
    std::string html = "<h2>" + std::string(heading) + "</h2>\n<ul class=\"files\">\n";
    for (const std::string& item : items) {
        html += "<li>" + item + "</li>\n";
    }
    return html + "</ul>\n";
}

// The counts, the rules, and, for review, the files that were not read or
// not used and what the organiser is told of the logs.
std::string Notes(const ContestCheck& contest, bool reviewLists) {
    std::size_t lines = 0;
    std::vector<std::string> fromQsoLines;
    for (const Entrant& entrant : contest.entrants) {
        lines += entrant.log.lines.size();
        if (entrant.log.callFromQsoLines) {
            fromQsoLines.push_back("<code>" + Escape(entrant.log.name) +
                                   "</code>: " + Escape(entrant.log.call));
        }
    }
    std::string html =
        "<p>" + Counted(contest.entrants.size(), "log", "logs") + " checked, holding " +
        Counted(lines, "QSO line", "QSO lines") + ", of " +
        Counted(contest.files, "file", "files") +
        " received.</p>\n<p class=\"note\">Checked: the score of the credited QSOs by the "
        "contest's rules. Error rate: the share of the CW QSO lines (dupes aside) lost to a "
        "busted call or exchange, a NIL or a unique call. Each entrant's lines are explained "
        "in its check report. Rules: " +
        Escape(RulesText(contest.rules)) + ".</p>\n";
    if (!reviewLists) {
        return html;
    }
    std::vector<std::string> notRead;
    for (const NotRead& file : contest.notRead) {
        notRead.push_back("<code>" + Escape(file.file) + "</code>: " + Escape(file.reason));
    }
    std::vector<std::string> superseded;
    for (const Superseded& file : contest.superseded) {
        superseded.push_back("<code>" + Escape(file.file) +
                             "</code>: " + Escape(SupersededReason(file, contest.rules)) +
                             "; <code>" + Escape(file.usedFile) + "</code> is used");
    }
    std::vector<std::string> missing;
    for (const MissingLog& log : contest.missingLogs) {
        missing.push_back(Escape(log.call) + " in " + Counted(log.logs, "log", "logs"));
    }
    std::vector<std::string> costly;
    std::vector<std::string> clocks;
    std::vector<std::string> headers;
    for (const Entrant& entrant : contest.entrants) {
        if (entrant.causedNils > 0) {
            costly.push_back(Escape(entrant.log.call) + ": " +
                             Counted(entrant.causedNils, "NIL", "NILs") + " of other logs");
        }
        if (entrant.clockOffsetMinutes != 0) {
            clocks.push_back(Escape(entrant.log.call) + ": off by " +
                             Int(entrant.clockOffsetMinutes) + " minutes");
        }
        for (const std::string& note : entrant.log.headerNotes) {
            headers.push_back("<code>" + Escape(entrant.log.name) + "</code>: " + Escape(note));
        }
    }
    for (const ClockTie& tie : contest.clockTies) {
        clocks.push_back(Escape(ClockTieText(contest, tie)));
    }
    std::vector<std::string> stale;
    for (const StaleDecision& decision : contest.staleDecisions) {
        stale.push_back(Escape(decision.decision.source) + ": " + Escape(decision.decision.call) +
                        " line " + Int(decision.decision.line) + ": " + Escape(decision.why));
    }
    return html + FileList("Files not read (no Cabrillo log)", notRead) +
           FileList("Decisions that name no QSO line (not applied)", stale) +
           FileList("Logs not used (another log of the same call was used)", superseded) +
           FileList("Calls taken from the first QSO line (the log has no CALLSIGN:)",
                    fromQsoLines) +
           FileList("Missing logs (calls without a log in 2 or more logs)", missing) +
           FileList("Logs that cost others NILs", costly) +
           FileList("Clocks corrected (QSOs matched with the corrected times) or not", clocks) +
           FileList("Headers", headers);
}

// Under the entrant's key figures: what the check made of its log.
std::string CheckNote(const ContestCheck& contest, const Entrant& entrant, const UbnFile& ubnFile) {
    std::string penalty;
    const int64_t taken = entrant.checked.claimedScore - entrant.checkedScore;
    if (taken != 0) {
        penalty = ", " + Int(taken) + " points taken for " + Counted(entrant.nils, "NIL", "NILs");
    }
    const std::string place =
        entrant.log.category.IsCheckLog()
            ? std::string("Check log, not ranked")
            : "Place <strong>" + Int(entrant.categoryPlace) + "</strong> in " +
                  Escape(entrant.log.category.RankedName()) + ", " + Int(entrant.place) + " of " +
                  Int(static_cast<int64_t>(contest.ranking.size())) + " overall";
    return "<p class=\"check-note\">" + place + " \u00b7 checked score <strong>" +
           Int(entrant.checkedScore) + "</strong> (claimed " + Claimed(entrant) + penalty +
           ") \u00b7 " + Int(entrant.QsosCredited()) + " of " + Int(entrant.QsosClaimed()) +
           " QSOs credited \u00b7 error rate " + Percent(entrant.ErrorRate()) +
           "<br>Check report " + UbnLink(ubnFile, std::string(kUbnFolder) + "/" + ubnFile.name) +
           " \u00b7 log <code>" + Escape(entrant.log.name) + "</code> \u00b7 <a href=\"#" +
           std::string(kTableId) + "\">back to the results</a></p>\n";
}

}  // namespace

std::string ResultsHtml(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles,
                        const ResultsPage& page) {
    const std::vector<std::string> ids = AnchorIds(ubnFiles);
    const rh::Outline outline = rh::WorldOutline();
    const std::string title = page.title.empty() ? std::string(kTitle) : page.title;
    std::string body = page.navigation;
    body += contest.entrants.empty() ? std::string() : rh::SharedLandSvg(outline, kLandId);
    body += "<header>\n<h1>" + Escape(title) + "</h1>\n</header>\n<section>\n" +
            RankedTables(contest, ubnFiles, ids) + Notes(contest, page.reviewLists) +
            "</section>\n";
    std::vector<uint32_t> order;
    for (const CategoryRanking& category : contest.categories) {
        order.insert(order.end(), category.ranking.begin(), category.ranking.end());
    }
    order.insert(order.end(), contest.checkLogs.begin(), contest.checkLogs.end());
    for (uint32_t e : order) {
        const Entrant& entrant = contest.entrants[e];
        rh::SectionOptions options;
        options.refused = false;
        options.headerNote = CheckNote(contest, entrant, ubnFiles[e]);
        options.sharedLand = kLandId;
        body += "<article class=\"entrant-results\" id=\"" + ids[e] + "\" data-call=\"" +
                Escape(entrant.log.call) + "\" data-credited=\"" + Int(entrant.QsosCredited()) +
                "\">\n" +
                rh::EntrantSectionsHtml(EntrantModel(contest, entrant), outline, options) +
                "</article>\n";
    }
    body +=
        "<footer>Made by zelk adjudicate from the received logs and the contest rules. Each "
        "entrant's map and rate sheet show its credited QSOs. Times are UTC.</footer>\n";
    return rh::HtmlDocument(title, body, "zelk adjudicate",
                            std::string(kResultsStyle) + page.style);
}

}  // namespace zelk::adjudication
