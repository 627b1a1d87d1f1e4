// Export, check, write, publish.
#include "serve/check_run.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

#include "adjudication/contest_check.h"
#include "adjudication/log_folder.h"
#include "adjudication/output_folder.h"
#include "adjudication/results_files.h"
#include "serve/page_frame.h"
#include "serve/security.h"
#include "serve/upload_reading.h"
#include "text/text.h"

namespace zelk::serve {

namespace fs = std::filesystem;

namespace {

// A new, empty folder beside `target`, named so no other run picks it.
fs::path NewFolderBeside(const fs::path& target) {
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder beside " + target.string());
    }
    return pattern;
}

// The category the organiser set for a log's call, over its header's: the
// three parts the results rank by, as the desk sets them ("SINGLE-OP 40M
// LOW"); the transmitter stays the header's. Told in the log's header notes.
void SetCategory(adjudication::LogFile& log, const std::string& category) {
    adjudication::LogCategory set = log.category;
    std::size_t part = 0;
    for (std::size_t at = 0; part < 3 && at < category.size(); ++part) {
        const std::size_t blank = std::min(category.find(' ', at), category.size());
        set.values[part] = category.substr(at, blank - at);
        set.defaulted[part] = false;
        at = blank + 1;
    }
    if (part != 3) {
        return;  // not a category the desk sets
    }
    log.headerNotes.push_back("category set by the organiser: " + set.RankedName() +
                              " (the header gives " + log.category.RankedName() + ")");
    log.category = set;
}

}  // namespace

std::string ExportName(std::string_view call, int64_t id) {
    constexpr std::size_t kLongest = 100;
    std::string name;
    for (char c : call) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        char piece[4] = {c, '\0'};
        if (!plain) {
            std::snprintf(piece, sizeof piece, "_%02X", static_cast<unsigned char>(c));
        }
        if (name.size() + std::strlen(piece) > kLongest) {
            return name + "~" + std::to_string(id) + ".log";
        }
        name += piece;
    }
    // No call (never taken, but no name may be a hidden ".log" either).
    return name.empty() ? "~" + std::to_string(id) + ".log" : name + ".log";
}

std::size_t RemoveExportLeftovers(const ContestDir& dir) {
    std::size_t removed = 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.root, error)) {
        const std::string name = entry.path().filename().string();
        for (const fs::path& target : {dir.current, dir.published}) {
            const std::string prefix = "." + target.filename().string() + "-";
            std::error_code kind;
            if (name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
                entry.is_directory(kind) && !entry.is_symlink(kind)) {
                std::error_code gone;
                fs::remove_all(entry.path(), gone);
                removed += gone ? 0 : 1;
            }
        }
    }
    return removed;
}

void ReplaceFolder(const fs::path& fresh, const fs::path& target) {
    std::error_code error;
    if (fs::exists(target, error)) {
        if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
            // A file system without the exchange: the old folder steps aside
            // first, so for a moment there is none.
            const fs::path old = NewFolderBeside(target);
            fs::remove(old, error);
            fs::rename(target, old, error);
            if (!error) {
                fs::rename(fresh, target, error);
            }
            if (error) {
                fs::remove_all(fresh, error);
                throw std::runtime_error(target.string() + ": cannot be replaced");
            }
            fs::remove_all(old, error);
        } else {
            fs::remove_all(fresh, error);  // now the old folder
        }
    } else {
        fs::rename(fresh, target, error);
        if (error) {
            fs::remove_all(fresh, error);
            throw std::runtime_error(target.string() + ": cannot be put in place");
        }
    }
    SyncFolder(target.parent_path());
}

std::vector<std::string> ExportCurrentLogs(const std::vector<Submission>& current,
                                           const LogStore& files, const fs::path& folder) {
    const fs::path fresh = NewFolderBeside(folder);
    std::vector<std::string> names;
    try {
        std::set<std::string> written;
        for (const Submission& row : current) {
            const std::string bytes = files.Read(row.storedName);
            const auto differs = [&row](std::string_view what) {
                return std::runtime_error("the stored log " + row.storedName + " of " +
                                          Printable(row.call) + " (submission " +
                                          std::to_string(row.id) + ") " + std::string(what));
            };
            if (Sha256Hex(bytes) != row.sha256) {
                throw differs("is not the file received: its SHA-256 differs");
            }
            std::string name = ExportName(row.call, row.id);
            if (!written.insert(name).second) {
                throw differs("would be exported as " + name + ", which another log has");
            }
            WriteDurably(fresh / name, bytes, 0644);
            if (Sha256Hex(ReadWholeFile(fresh / name)) != row.sha256) {
                throw differs("was not exported whole");
            }
            names.push_back(std::move(name));
        }
        // The folder holds these files and no other.
        std::size_t found = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(fresh)) {
            const std::string name = entry.path().filename().string();
            if (!written.contains(name)) {
                throw std::runtime_error(fresh.string() + " holds " + Printable(name) +
                                         ", which is none of the current logs");
            }
            ++found;
        }
        if (found != current.size()) {
            throw std::runtime_error(fresh.string() + " holds " + std::to_string(found) +
                                     " files for " + std::to_string(current.size()) +
                                     " current logs");
        }
        ReplaceFolder(fresh, folder);
    } catch (...) {
        std::error_code error;
        fs::remove_all(fresh, error);
        throw;
    }
    return names;
}

CheckOutcome ContestChecker::Run(UtcTime now) {
    std::lock_guard lock(m_mutex);
    const std::shared_ptr<const ServeSettings> settings = m_settings.Current();
    adjudication::CheckRules rules = settings->rules;
    if (settings->rulesAtCheck) {
        auto read = settings->rulesAtCheck();
        if (auto* problem = std::get_if<std::string>(&read)) {
            throw std::runtime_error("the contest's rules cannot be read: " + *problem);
        }
        rules = std::move(std::get<adjudication::CheckRules>(read));
    }
    CheckOutcome outcome;
    outcome.runAt = UtcText(now);
    const std::vector<Submission> current = m_submissions.Current();
    const std::vector<std::string> names = ExportCurrentLogs(current, m_files, m_dir.current);
    outcome.logs = names.size();

    auto read = adjudication::ReadLogFolder(m_dir.current, nullptr);
    if (auto* problem = std::get_if<std::string>(&read)) {
        throw std::runtime_error(*problem);
    }
    auto& logs = std::get<std::vector<adjudication::LogFile>>(read);
    // Every current log is checked: the folder read is the one written.
    std::map<std::string, const Submission*> byName;
    for (std::size_t i = 0; i < names.size(); ++i) {
        byName.emplace(names[i], &current[i]);
    }
    std::size_t matched = 0;
    for (adjudication::LogFile& log : logs) {
        const auto row = byName.find(log.name);
        if (row == byName.end()) {
            throw std::runtime_error(m_dir.current.string() + " holds " + Printable(log.name) +
                                     ", which is none of the current logs");
        }
        ++matched;
        if (log.IsLog() && !row->second->categorySet.empty()) {
            SetCategory(log, row->second->categorySet);
        }
    }
    if (matched != names.size()) {
        throw std::runtime_error(m_dir.current.string() + " holds " + std::to_string(matched) +
                                 " of the " + std::to_string(names.size()) + " current logs");
    }
    const adjudication::ContestCheck contest = adjudication::CheckContest(std::move(logs), rules);
    const adjudication::WrittenResults written =
        adjudication::WriteResults(contest, m_dir.results, {.html = true});
    outcome.table = written.text;
    // The pages for the public, beside the results; a check whose pages
    // cannot be written leaves none, so that none of an earlier check is
    // published with these results.
    adjudication::ResultsPage page;
    page.title = settings->ContestName() + " contest: results";
    page.navigation = SiteNavigation();
    // The results page's body has a margin of its own: the bar spans it.
    page.style = std::string(SiteNavigationStyle()) +
                 "body > header.site { margin: -16px -16px 12px; }\n"
                 "@media print { body > header.site { display: none; } }\n";
    for (const bool review : {false, true}) {
        page.reviewLists = review;
        const fs::path file = m_dir.results / (review ? kPublicReviewPage : kPublicPage);
        try {
            WriteDurably(file, adjudication::ResultsHtml(contest, written.ubnFiles, page), 0644);
        } catch (const std::exception&) {
            std::error_code error;
            fs::remove(m_dir.results / kPublicPage, error);
            fs::remove(m_dir.results / kPublicReviewPage, error);
            throw;
        }
    }
    for (std::size_t e = 0; e < written.ubnFiles.size(); ++e) {
        if (!written.ubnFiles[e].notWritten.empty()) {
            outcome.problems.push_back("ubn/" + written.ubnFiles[e].name + " (the report of " +
                                       Printable(contest.entrants[e].log.call) +
                                       "): " + written.ubnFiles[e].notWritten);
        }
    }
    if (!written.leftOver.empty()) {
        outcome.problems.push_back(written.leftOver + " (the results are in place)");
    }
    for (const adjudication::NotRead& file : contest.notRead) {
        outcome.problems.push_back(Printable(file.file) + ": not read: " + file.reason);
    }
    for (const adjudication::Entrant& entrant : contest.entrants) {
        std::size_t told = 0;
        for (const logfile::UnreadableLine& line : entrant.log.unreadable) {
            if (++told > kNotesKept) {
                outcome.problems.push_back(
                    Printable(entrant.log.name) + ": " +
                    std::to_string(entrant.log.unreadable.size() - kNotesKept) +
                    " more lines not read (not checked)");
                break;
            }
            outcome.problems.push_back(Printable(entrant.log.name) + ": " + line.Describe() +
                                       " (not checked)");
        }
    }
    outcome.checkId = m_submissions.RecordCheck(outcome.runAt, static_cast<int64_t>(outcome.logs));
    return outcome;
}

void ContestChecker::Publish(UtcTime now, bool reviewLists) {
    std::lock_guard lock(m_mutex);
    const auto last = m_submissions.LastCheck();
    std::error_code error;
    const fs::path page = m_dir.results / (reviewLists ? kPublicReviewPage : kPublicPage);
    if (!last || !fs::exists(page, error)) {
        throw std::runtime_error("there are no results to publish: run the check first");
    }
    const fs::path fresh = NewFolderBeside(m_dir.published);
    try {
        fs::copy(m_dir.results, fresh, fs::copy_options::recursive);
        // The page the public sees is results.html; what holds the lists
        // for review goes unless the organiser chose to publish them.
        fs::copy_file(page, fresh / adjudication::kResultsHtml,
                      fs::copy_options::overwrite_existing);
        fs::remove(fresh / kPublicPage);
        fs::remove(fresh / kPublicReviewPage);
        if (!reviewLists) {
            fs::remove(fresh / adjudication::kResultsText);
            fs::remove(fresh / adjudication::kResultsJson);
        }
    } catch (const fs::filesystem_error& problem) {
        fs::remove_all(fresh, error);
        throw std::runtime_error("the results cannot be copied for publishing: " +
                                 std::string(problem.what()));
    }
    ReplaceFolder(fresh, m_dir.published);
    m_submissions.Publish(last->id, UtcText(now), reviewLists);
}

}  // namespace zelk::serve
