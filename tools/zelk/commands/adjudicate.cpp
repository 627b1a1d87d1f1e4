// zelk adjudicate: reads the folder, checks the contest, writes the results
// and prints the table; every file not read, log not used and line that
// cannot be read is named on standard error with its reason.

#include <chrono>
#include <ostream>

#include "adjudication/contest_check.h"
#include "adjudication/log_folder.h"
#include "adjudication/output_folder.h"
#include "adjudication/report_text.h"
#include "commands/adjudicate_rules.h"
#include "commands/command.h"
#include "host/system.h"
#include "text/text.h"

namespace zelk::commands {

namespace fs = std::filesystem;
using namespace adjudication;

namespace {

struct AdjudicateOptions {
    fs::path logs;
    fs::path output;
    CheckRules rules;
    bool html = false;      // results.html too
    bool progress = false;  // redraw a progress line on `err` (a terminal)
};

constexpr const char* kCommand = "zelk adjudicate: ";

// A progress line on a terminal, redrawn at most ten times a second.
class ProgressLine {
  public:
    ProgressLine(std::ostream& err, bool shown) : m_err(err), m_shown(shown) {}
    ~ProgressLine() { Clear(); }

    void Show(const std::string& text, bool always = false) {
        const auto now = std::chrono::steady_clock::now();
        if (!m_shown || (!always && now - m_last < std::chrono::milliseconds(100))) {
            return;
        }
        m_last = now;
        m_err << '\r' << text << std::string(m_width > text.size() ? m_width - text.size() : 0, ' ')
              << std::flush;
        m_width = text.size();
    }

    void Clear() {
        if (m_shown && m_width > 0) {
            m_err << '\r' << std::string(m_width, ' ') << '\r' << std::flush;
            m_width = 0;
        }
    }

  private:
    std::ostream& m_err;
    bool m_shown;
    std::size_t m_width = 0;
    std::chrono::steady_clock::time_point m_last{};
};

// Every file not read, log not used, line that cannot be read, clock
// corrected and decision not applied.
void ListProblems(const ContestCheck& contest, std::ostream& err) {
    for (const NotRead& file : contest.notRead) {
        err << kCommand << PrintableName(file.file) << ": not read: " << file.reason << '\n';
    }
    for (const Superseded& file : contest.superseded) {
        err << kCommand << PrintableName(file.file)
            << ": not used: " << SupersededReason(file, contest.rules) << "; "
            << PrintableName(file.usedFile) << " is used\n";
    }
    for (const Entrant& entrant : contest.entrants) {
        const std::string name = PrintableName(entrant.log.name);
        if (MatchContest(entrant.log, contest.rules) == ContestMatch::kOther) {
            err << kCommand << name << ": its CONTEST: is " << Printable(entrant.log.contest)
                << ", not " << Printable(contest.rules.contest) << "; checked as "
                << Printable(contest.rules.contest) << "'s\n";
        }
        if (entrant.log.callFromQsoLines) {
            err << kCommand << name << ": no CALLSIGN: line; the entrant is "
                << Printable(entrant.log.call) << ", the own call of its first QSO line\n";
        }
        if (ReadableLines(entrant.log) == 0) {
            err << kCommand << name << ": the log of " << Printable(entrant.log.call)
                << (entrant.log.unreadable.empty() ? " has no QSO line"
                                                   : " has no QSO line that could be read")
                << '\n';
        }
        if (entrant.clockOffsetMinutes != 0) {
            err << kCommand << name << ": its clock was off by " << entrant.clockOffsetMinutes
                << " minutes; its QSOs were matched with corrected times\n";
        }
        // A log of another contest is one line here, not one per QSO line.
        for (const logfile::UnreadableGroup& group :
             logfile::GroupUnreadable(entrant.log.unreadable)) {
            err << kCommand << name << ": "
                << (group.count > 1 ? group.Summary() + "; not checked"
                                    : group.first->Describe() + " (not checked)")
                << '\n';
        }
    }
    for (const ClockTie& tie : contest.clockTies) {
        err << kCommand << ClockTieText(contest, tie) << '\n';
    }
    // A decision must never vanish without a word.
    for (const StaleDecision& stale : contest.staleDecisions) {
        err << kCommand << Printable(stale.decision.source) << ": "
            << Printable(stale.decision.call) << " line " << stale.decision.line
            << ": not applied: " << stale.why << '\n';
    }
}

std::string Summary(const ContestCheck& contest, const fs::path& output, bool html) {
    std::size_t lines = 0;
    std::size_t unreadable = 0;
    for (const Entrant& entrant : contest.entrants) {
        lines += ReadableLines(entrant.log);
        for (const logfile::UnreadableLine& line : entrant.log.unreadable) {
            unreadable += logfile::IsQsoLine(line.kind) ? 1 : 0;
        }
    }
    std::string summary =
        "Checked " + std::to_string(contest.entrants.size()) + " logs (" + std::to_string(lines) +
        " QSO lines" +
        (unreadable == 0 ? "" : ", " + std::to_string(unreadable) + " more that cannot be read") +
        ") of " + std::to_string(contest.files) + " files";
    if (!contest.notRead.empty()) {
        summary += "; " + std::to_string(contest.notRead.size()) + " not read";
    }
    for (const Superseded& file : contest.superseded) {
        summary += "; " + PrintableName(file.file) + " not used (" +
                   SupersededReason(file, contest.rules) + ")";
    }
    summary += "; results in " + output.string();
    return html ? summary + ", the page " + (output / kResultsHtml).string() : summary;
}

// Each report that could not be written, by its entrant, and the run's
// own folder when it was left behind; true when a report is missing.
bool ListReportsNotWritten(const ContestCheck& contest, const WrittenResults& written,
                           std::ostream& err) {
    bool any = false;
    for (std::size_t e = 0; e < written.ubnFiles.size(); ++e) {
        const UbnFile& file = written.ubnFiles[e];
        if (!file.notWritten.empty()) {
            err << kCommand << (fs::path(kUbnFolder) / file.name).string() << " (the report of "
                << Printable(contest.entrants[e].log.call) << "): " << file.notWritten
                << "; the rest of the results are written\n";
            any = true;
        }
    }
    if (!written.leftOver.empty()) {
        err << kCommand << written.leftOver << " (the results are in place)\n";
    }
    return any;
}

int RunAdjudicate(const AdjudicateOptions& options, std::ostream& out, std::ostream& err) {
    // Nothing of the logs is ever inside what a run replaces, nor the results
    // inside the logs' folder.
    if (const std::string overlap = OutputOverlapsLogs(options.logs, options.output);
        !overlap.empty()) {
        err << kCommand << overlap << '\n';
        return kExitBadInput;
    }
    ProgressLine progress(err, options.progress);
    auto read = ReadLogFolder(options.logs, [&progress](std::size_t done, std::size_t total) {
        progress.Show("Reading logs: " + std::to_string(done) + " of " + std::to_string(total),
                      done == total);
    });
    if (auto* problem = std::get_if<std::string>(&read)) {
        progress.Clear();
        err << kCommand << *problem << '\n';
        return kExitBadInput;
    }
    std::vector<LogFile>& files = std::get<std::vector<LogFile>>(read);
    if (files.empty()) {
        progress.Clear();
        err << kCommand << options.logs.string() << " holds no files: there is nothing to check\n";
        return kExitBadInput;
    }
    progress.Show("Checking " + std::to_string(files.size()) + " files", true);
    const ContestCheck contest = CheckContest(std::move(files), options.rules);
    if (contest.entrants.empty()) {
        // Results of nobody would replace the last good ones: keep those.
        progress.Clear();
        ListProblems(contest, err);
        err << kCommand << options.logs.string()
            << " holds no Cabrillo log that can be read: there is nothing to check; "
            << options.output.string() << " is left as it was\n";
        return kExitBadInput;
    }
    progress.Show("Writing the results", true);
    WrittenResults written;
    try {
        written = WriteResults(contest, options.output, {.html = options.html});
    } catch (const std::exception& problem) {
        progress.Clear();
        err << kCommand << problem.what() << '\n';
        return kExitFailure;
    }
    progress.Clear();
    ListProblems(contest, err);
    const bool reportMissing = ListReportsNotWritten(contest, written, err);
    out << written.text;
    err << Summary(contest, options.output, options.html) << '\n';
    return reportMissing ? kExitFailure : kExitOk;
}

}  // namespace

Subcommand DeclareAdjudicate(CLI::App& app) {
    auto options = std::make_shared<AdjudicateOptions>();
    CLI::App* adjudicate = app.add_subcommand(
        "adjudicate",
        "The organiser's check: cross-checks every Cabrillo log of LOGS against the others "
        "and writes, into -o DIR, the ranked results (results.txt, also printed; results.csv; "
        "results.json) and every entrant's report of the QSO lines not credited or credited "
        "without confirmation (ubn/<CALL>.ubn, replaced whole); with --html also results.html. "
        "Subfolders of LOGS are not read. Files that are no log, older logs of a call and lines "
        "that cannot be read are named on standard error. Every file is written first, then "
        "all are put in place, so DIR holds one run's results whole; LOGS and DIR must lie "
        "apart (LOGS not in DIR/ubn). The contest's rules are the defaults shown, or a rules "
        "file's (--rules), each overridden by its flag; the adjudicator's decisions come from a "
        "CSV file (--overrides). A fault in either is named with its file, line and key, and "
        "nothing is written.");
    CLI::Option* logs = adjudicate->add_option(
        "LOGS", options->logs, "Folder of the received logs (needed, except with --write-rules)");
    CLI::Option* output =
        adjudicate->add_option("-o,--output", options->output,
                               "Folder for the results (needed, except with --write-rules)");
    adjudicate->add_flag(
        "--html", options->html,
        "Also write results.html: the ranked table and each entrant's map and hourly rate sheet "
        "of its credited QSOs, linked to its check report; one self-contained page (without "
        "--html an earlier results.html is removed)");
    auto rules = std::make_shared<RulesOptions>(*adjudicate);
    // LOGS and -o are needed for a check; --write-rules takes no other option.
    adjudicate->callback([adjudicate, logs, output, writeRules = rules->WriteRulesOption()] {
        if (!*writeRules) {
            for (CLI::Option* needed : {logs, output}) {
                if (!*needed) {
                    throw CLI::RequiredError(needed->get_name());
                }
            }
            return;
        }
        for (const CLI::Option* given : adjudicate->get_options()) {
            if (given != writeRules && *given) {
                throw CLI::ExcludesError(writeRules->get_name(), given->get_name());
            }
        }
    });
    return {adjudicate, [options, rules](std::ostream& out, std::ostream& err) {
                if (*rules->WriteRulesOption()) {
                    return rules->WriteRules(out, err);
                }
                auto applied = rules->Rules();
                if (auto* problem = std::get_if<std::string>(&applied)) {
                    err << kCommand << *problem << '\n';
                    return static_cast<int>(kExitBadInput);
                }
                options->rules = std::move(std::get<CheckRules>(applied));
                options->progress = host::os::StderrIsTerminal();
                return RunAdjudicate(*options, out, err);
            }};
}

}  // namespace zelk::commands
