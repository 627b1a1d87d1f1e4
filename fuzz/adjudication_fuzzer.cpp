// libFuzzer target for zelk adjudicate and for `zelk score` on a Cabrillo
// log: an input is up to four files, separated by a line "=====", checked
// as one contest (the first byte chooses the time window and the call
// distance), with every result file made. Beyond running clean under the
// sanitizers:
// - every QSO line gets a status, and the counts add up to the lines; no
//   check log has a place; decisions are applied or kept aside, never lost;
// - a line that names its deciding line names one that exists, and a busted
//   call and its partner's line name each other;
// - results.json is JSON that lists every entrant and every file not read,
//   with a null report where one could not be written;
// - report file names are short, unique without regard to case, and never
//   a Windows device name;
// - each file's QSO lines map to contacts or skipped lines one for one (no
//   other line counts as a contact), the received exchange as the reader
//   normalised it.
// A broken invariant aborts, which libFuzzer reports as a finding.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/contest_check.h"
#include "adjudication/results_files.h"
#include "fuzz_invariants.h"
#include "host/cabrillo_contacts.h"
#include "text/text.h"

namespace zelk::adjudication {
namespace {

using namespace zelk::fuzzing;

std::vector<std::string> SplitFiles(std::string_view bytes) {
    constexpr std::string_view kSeparator = "\n=====\n";
    std::vector<std::string> files;
    while (files.size() < 3) {
        const std::size_t at = bytes.find(kSeparator);
        if (at == std::string_view::npos) {
            break;
        }
        files.emplace_back(bytes.substr(0, at));
        bytes.remove_prefix(at + kSeparator.size());
    }
    files.emplace_back(bytes);
    return files;
}

void CheckMapping(const std::string& bytes) {
    auto read = logfile::ReadCabrillo(bytes);
    const auto* log = std::get_if<logfile::CabrilloLog>(&read);
    if (log == nullptr) {
        return;
    }
    const host::CabrilloContacts mapped = host::MapCabrilloLog(*log);
    // Only QSO lines are contacts: a second START-OF-LOG: or a line after
    // END-OF-LOG: is warned about, never counted as a contact read.
    const auto qsoLines = static_cast<std::size_t>(
        std::count_if(log->unreadable.begin(), log->unreadable.end(),
                      [](const logfile::UnreadableLine& line) { return IsQsoLine(line.kind); }));
    Require(mapped.contacts.size() + mapped.SkippedCount() == log->qsos.size() + qsoLines,
            "a QSO line neither mapped nor skipped, or another line counted as a contact");
    std::size_t c = 0;
    for (const logfile::CabrilloQso& qso : log->qsos) {
        if (!qso.xQso) {
            Require(mapped.contacts[c].exchRcvd == qso.received.Normalised(),
                    "a received exchange handed over otherwise than read");
            Require(mapped.contacts[c].record == qso.lineNumber, "a contact's line number");
            ++c;
        }
    }
}

void CheckReportNames(const std::vector<UbnFile>& files) {
    std::set<std::string> taken;
    for (const UbnFile& file : files) {
        Require(file.name.size() <= 60 && file.name.ends_with(".ubn"), "a long report name");
        Require(taken.insert(Upper(file.name)).second, "two report names differ only in case");
        const std::string base = Upper(file.name.substr(0, file.name.find('.')));
        for (const char* device : {"CON", "PRN", "AUX", "NUL", "COM1", "LPT1", "CONIN$"}) {
            Require(base != device, "a report named as a Windows device");
        }
    }
}

void CheckContestOf(const std::vector<std::string>& pieces, uint8_t choice, bool page) {
    std::vector<LogFile> files;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        files.push_back(
            ReadLogFile("f" + std::to_string(i) + ".log", pieces[i], static_cast<int64_t>(i % 2)));
    }
    CheckRules rules;
    rules.timeWindowMinutes = choice % 8;
    rules.callDistance = (choice >> 3) % 4;
    rules.minAppearances = 1 + (choice >> 5) % 3;
    // One input in two has a contest period around the simulator's usual
    // date, and decisions on the first lines of the first file's call; they
    // may name lines that are no QSO lines.
    if ((choice & 0x80) != 0) {
        const int64_t day = int64_t{19855} * 1440;  // 2024-05-12 00:00
        rules.start = day + 6 * 60;
        rules.end = day + 13 * 60;
        const std::string call = files.empty() ? std::string("X") : files.front().call;
        for (uint32_t line = 1; line <= 6; ++line) {
            rules.decisions.push_back(
                {call, line, line % 2 == 0 ? Decision::Verdict::kDeny : Decision::Verdict::kCredit,
                 "fuzz", "input"});
        }
    }
    const ContestCheck contest = CheckContest(std::move(files), rules);
    Require(contest.staleDecisions.size() + contest.applied.size() <= rules.decisions.size(),
            "more decisions applied or stale than given");
    Require(contest.entrants.size() + contest.notRead.size() + contest.superseded.size() ==
                pieces.size(),
            "a file neither an entrant, superseded nor not read");
    for (const Entrant& entrant : contest.entrants) {
        uint32_t counted = 0;
        for (std::size_t s = 0; s < kStatusCount; ++s) {
            counted += entrant.statusCounts[s];
        }
        Require(counted == entrant.log.lines.size(), "status counts do not add up");
        Require(entrant.Count(LineStatus::kPending) == 0, "a line left pending");
        Require(entrant.QsosCredited() <= entrant.log.lines.size(), "more credited than lines");
        Require(entrant.place == 0 || !entrant.log.category.IsCheckLog(), "a check log ranked");
        Require(entrant.checkedScore >= 0, "a negative checked score");
        for (const CheckedLine& line : entrant.log.lines) {
            Require(line.status != LineStatus::kNil || line.match == kNoLine,
                    "a NIL whose partner logged the QSO");
            Require(line.unreadable == (line.status == LineStatus::kUnreadable),
                    "a line that cannot be read is not unreadable, or one read is");
            Require(!IsCredited(line.status) || line.Counts(), "a line credited that never counts");
            if (line.decidedBy == kNoLine) {
                continue;
            }
            const ContestCheck::LineRef other = contest.Line(line.decidedBy);
            Require(other.line != nullptr, "a deciding line that does not exist");
            if (line.status == LineStatus::kConfirmed ||
                line.status == LineStatus::kBustedExchange) {
                Require(line.match == line.decidedBy && other.line->match != kNoLine &&
                            contest.Line(other.line->match).line == &line,
                        "a matched line and its partner's line do not name each other");
            }
            if (line.status == LineStatus::kDupe) {
                Require(other.entrant == &entrant && other.line != &line,
                        "a dupe not decided by another line of its own log");
            }
            // A miscopied call pairs only on the evidence of an exchange
            // copied exactly, and its other side scores only when it copied
            // right: a miscopy never scores.
            if (line.status == LineStatus::kBustedCall) {
                Require(line.receivedRead && other.line->sentRead &&
                            line.receivedSerial == other.line->sentSerial &&
                            line.receivedCoordinate == other.line->sentCoordinate,
                        "a busted call paired without its exchange copied exactly");
            }
            if (line.status == LineStatus::kPartnerBustedCall ||
                line.status == LineStatus::kConfirmed) {
                Require(!other.line->sentRead ||
                            (line.receivedSerial == other.line->sentSerial &&
                             line.receivedCoordinate == other.line->sentCoordinate),
                        "a line credited on a copy that differs from what was sent");
            }
            if (line.status == LineStatus::kBustedCall ||
                line.status == LineStatus::kPartnerBustedCall) {
                Require(contest.Line(line.match).line == other.line &&
                            other.line->match != kNoLine &&
                            contest.Line(other.line->match).line == &line,
                        "a busted call and its partner's line do not name each other");
            }
        }
        UbnReport(contest, entrant);
    }
    std::vector<UbnFile> ubnFiles = UbnFiles(contest);
    CheckReportNames(ubnFiles);
    // As when the first entrant's report could not be written.
    const bool missing = !ubnFiles.empty() && (choice & 0x80) != 0;
    if (missing) {
        ubnFiles[0].notWritten = "cannot be written: No space left on device";
    }
    const std::string text = ResultsText(contest, ubnFiles);
    Require(
        !missing || text.find("ubn/" + ubnFiles[0].name +
                              ": cannot be written: No space left on device") != std::string::npos,
        "a report not written is not named in results.txt");
    ResultsCsv(contest);
    const auto json = nlohmann::json::parse(ResultsJson(contest, ubnFiles));
    Require(json["entrants"].size() == contest.entrants.size(), "an entrant missing in JSON");
    std::size_t nullReports = 0;
    for (const auto& entrant : json["entrants"]) {
        nullReports += entrant["ubn"].is_null();
    }
    Require(nullReports == (missing ? 1u : 0u), "a report's entry in JSON");
    Require(json["not_read"].size() == contest.notRead.size(), "a file missing in JSON");
    // The page costs ten times the check itself: drawn for one input in eight.
    if (!page) {
        return;
    }
    const std::string html = ResultsHtml(contest, ubnFiles);
    std::size_t sections = 0;
    for (std::size_t at = html.find("<article "); at != std::string::npos;
         at = html.find("<article ", at + 1)) {
        ++sections;
    }
    Require(sections == contest.entrants.size(), "an entrant without its section on the page");
}

}  // namespace
}  // namespace zelk::adjudication

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> pieces = zelk::adjudication::SplitFiles(bytes);
    for (const std::string& piece : pieces) {
        zelk::adjudication::CheckMapping(piece);
    }
    zelk::adjudication::CheckContestOf(pieces, data[0], size % 8 == 0);
    return 0;
}
