// Export, check, write, publish.
#include "serve/check_run.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "adjudication/contest_check.h"
#include "adjudication/log_folder.h"
#include "adjudication/output_folder.h"
#include "serve/security.h"
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

std::string FileStem(std::string_view call) {
    std::string stem;
    for (char c : call.substr(0, 40)) {
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        stem += plain ? c : '_';
    }
    return stem;
}

}  // namespace

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
        std::map<std::string, int> taken;
        for (const Submission& row : current) {
            const std::string bytes = files.Read(row.storedName);
            if (Sha256Hex(bytes) != row.sha256) {
                throw std::runtime_error("the stored log " + row.storedName + " of " +
                                         Printable(row.call) + " (submission " +
                                         std::to_string(row.id) +
                                         ") is not the file received: its SHA-256 differs");
            }
            std::string name = FileStem(row.call);
            if (taken[name]++ != 0) {
                name += "-" + std::to_string(row.id);
            }
            name += ".log";
            WriteDurably(fresh / name, bytes, 0644);
            names.push_back(std::move(name));
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
    adjudication::CheckRules rules = m_settings.rules;
    if (m_settings.rulesAtCheck) {
        auto read = m_settings.rulesAtCheck();
        if (auto* problem = std::get_if<std::string>(&read)) {
            throw std::runtime_error("the contest's rules cannot be read: " + *problem);
        }
        rules = std::move(std::get<adjudication::CheckRules>(read));
    }
    CheckOutcome outcome;
    outcome.runAt = UtcText(now);
    outcome.logs = ExportCurrentLogs(m_submissions.Current(), m_files, m_dir.current).size();

    auto read = adjudication::ReadLogFolder(m_dir.current, nullptr);
    if (auto* problem = std::get_if<std::string>(&read)) {
        throw std::runtime_error(*problem);
    }
    auto& logs = std::get<std::vector<adjudication::LogFile>>(read);
    const adjudication::ContestCheck contest = adjudication::CheckContest(std::move(logs), rules);
    const adjudication::WrittenResults written =
        adjudication::WriteResults(contest, m_dir.results, {.html = true});
    outcome.table = written.text;
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
        for (const logfile::UnreadableLine& line : entrant.log.unreadable) {
            outcome.problems.push_back(Printable(entrant.log.name) + ": " + line.Describe() +
                                       " (not checked)");
        }
    }
    outcome.checkId = m_submissions.RecordCheck(outcome.runAt, static_cast<int64_t>(outcome.logs));
    return outcome;
}

void ContestChecker::Publish(UtcTime now) {
    std::lock_guard lock(m_mutex);
    const auto last = m_submissions.LastCheck();
    std::error_code error;
    if (!last || !fs::exists(m_dir.results / adjudication::kResultsHtml, error)) {
        throw std::runtime_error("there are no results to publish: run the check first");
    }
    const fs::path fresh = NewFolderBeside(m_dir.published);
    fs::copy(m_dir.results, fresh, fs::copy_options::recursive, error);
    if (error) {
        fs::remove_all(fresh, error);
        throw std::runtime_error("the results cannot be copied for publishing: " + error.message());
    }
    ReplaceFolder(fresh, m_dir.published);
    m_submissions.Publish(last->id, UtcText(now));
}

}  // namespace zelk::serve
