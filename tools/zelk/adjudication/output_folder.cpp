// The output folder: the run's own folder, the files written into it, and
// the moves that put them in place or, on a failure, back.
#include "adjudication/output_folder.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "adjudication/in_parallel.h"
#include "adjudication/quoted_lines.h"
#include "platform/files.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

// What a run replaces in the output folder, in the order it is put in place:
// results.txt, the table an organiser opens first, last.
const char* const kReplaced[] = {kUbnFolder, kResultsCsv, kResultsJson, kResultsHtml, kResultsText};

void MakeFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
        throw std::runtime_error(folder.string() + ": cannot be made a folder" +
                                 (error ? ": " + error.message() : std::string()));
    }
}

// The run's own folder inside the output folder: new/ holds this run's
// files, old/ the previous run's once they are moved aside. Its name is
// new and unguessable, and the folder is made by this run (create_directory
// makes it or fails; a name already there, a symbolic link least of all, is
// never used), so nothing in it was placed there by anyone else. Removed
// with everything in it when the run ends, unless Keep() was called.
class RunFolder {
  public:
    explicit RunFolder(const fs::path& output) {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            char name[40];
            std::snprintf(name, sizeof name, ".zelk-run-%08x%08x", random(), random());
            std::error_code error;
            if (fs::create_directory(output / name, error)) {
                m_path = output / name;
            } else if (error && error != std::errc::file_exists) {
                throw std::runtime_error((output / name).string() +
                                         ": cannot be made: " + error.message());
            }
        }
        if (m_path.empty()) {
            throw std::runtime_error(output.string() + ": no new folder can be made in it");
        }
        MakeFolder(New());
        MakeFolder(Old());
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    ~RunFolder() {
        if (!m_kept) {
            std::error_code ignored;
            fs::remove_all(m_path, ignored);
        }
    }

    const fs::path& Path() const { return m_path; }
    fs::path New() const { return m_path / "new"; }
    fs::path Old() const { return m_path / "old"; }
    void Keep() { m_kept = true; }
    // Empty when removed, else the system's reason.
    std::error_code Remove() {
        std::error_code error;
        fs::remove_all(m_path, error);
        m_kept = true;
        return error;
    }

  private:
    fs::path m_path;
    bool m_kept = false;
};

bool Exists(const fs::path& path) {
    std::error_code error;
    // Unknown (no permission to look) counts as there: the move then says why.
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// Moves the previous run's files aside and this run's into place, item by
// item, then flushes the moves to the disk. On a failure every move done is
// undone, newest first, and the exception says whether the previous results
// are back whole.
//
// A crash (or a power cut before the last flush) between two moves leaves
// the output folder with this run's first items and the previous run's last
// ones (results.txt, moved last, still the previous run's), and the run's
// folder .zelk-run-* with the rest of both: new/ this run's files, old/ the
// previous run's. No file is ever half written: every one was on the disk
// before the first move. A later run leaves that folder alone (it cannot
// tell it from the folder of a run still going); the organiser removes it.
void PutInPlace(const fs::path& output, RunFolder& run, const OutputSteps& steps) {
    struct Move {
        fs::path from, to;
    };
    std::vector<Move> done;
    auto fail = [&](const fs::path& path, const char* what, const std::error_code& error) {
        std::string message = path.string() + ": " + what + ": " + error.message();
        bool whole = true;
        for (auto move = done.rbegin(); move != done.rend(); ++move) {
            whole = !steps.rename(move->to, move->from) && whole;
        }
        if (whole) {
            throw std::runtime_error(message + "; the previous results are kept as they were");
        }
        run.Keep();
        throw std::runtime_error(message + "; the previous results could not all be moved back: " +
                                 "what is missing in " + output.string() + " is in " +
                                 run.Old().string());
    };
    for (const char* item : kReplaced) {
        const fs::path current = output / item;
        if (Exists(current)) {
            if (const std::error_code error = steps.rename(current, run.Old() / item)) {
                fail(current, "cannot be moved aside", error);
            }
            done.push_back({current, run.Old() / item});
        }
        if (const fs::path fresh = run.New() / item; Exists(fresh)) {
            if (const std::error_code error = steps.rename(fresh, current)) {
                fail(current, "cannot be put in place", error);
            }
            done.push_back({fresh, current});
        }
    }
    const fs::path folders[] = {output};
    if (const std::error_code error = steps.flush(output, {}, folders)) {
        fail(output, "the results moved into it cannot be flushed to the disk", error);
    }
}

// Writes every file of the run into `into`, the reports on the check's
// threads; a report that cannot be written is told in its UbnFile, any
// other file stops the run. Then flushes them all to the disk in one go.
WrittenResults WriteFiles(const ContestCheck& contest, const QuotedLines& quoted,
                          const fs::path& into, const fs::path& output,
                          const ResultsFormats& formats, const OutputSteps& steps,
                          const PartDone& tell) {
    WrittenResults written;
    written.ubnFiles = UbnFiles(contest);
    const fs::path reports = into / kUbnFolder;
    MakeFolder(reports);
    // Each report reads only the contest: made and written by whichever
    // thread takes it, and let go at once, so that few are held.
    InParallel(contest.entrants.size(), kCheckThreads, [&](std::size_t e) {
        UbnFile& file = written.ubnFiles[e];
        if (const std::error_code error =
                steps.write(reports / file.name, UbnReport(contest, contest.entrants[e], quoted))) {
            file.notWritten = "cannot be written: " + error.message();
        }
    });
    tell("reports");
    std::vector<fs::path> files;
    files.reserve(written.ubnFiles.size() + 4);
    for (const UbnFile& file : written.ubnFiles) {
        if (file.notWritten.empty()) {
            files.push_back(reports / file.name);
        }
    }
    auto write = [&](const char* name, const std::string& bytes) {
        if (const std::error_code error = steps.write(into / name, bytes)) {
            throw std::runtime_error((output / name).string() +
                                     ": cannot be written: " + error.message());
        }
        files.push_back(into / name);
    };
    written.text = ResultsText(contest, written.ubnFiles);
    write(kResultsText, written.text);
    write(kResultsCsv, ResultsCsv(contest));
    write(kResultsJson, ResultsJson(contest, written.ubnFiles));
    if (formats.html) {
        write(kResultsHtml, ResultsHtml(contest, written.ubnFiles));
    }
    tell("results files");
    // Every file whole on the disk before the first is put in place.
    const fs::path folders[] = {reports, into};
    if (const std::error_code error = steps.flush(into, files, folders)) {
        throw std::runtime_error(output.string() +
                                 ": the results cannot be flushed to the disk: " + error.message());
    }
    tell("flushed to the disk");
    return written;
}

}  // namespace

OutputSteps SystemSteps() {
    return {
        [](const fs::path& path, const std::string& bytes) { return WriteNewFile(path, bytes); },
        [](const fs::path& folder, std::span<const fs::path> files,
           std::span<const fs::path> folders) { return FlushToDisk(folder, files, folders); },
        [](const fs::path& from, const fs::path& to) {
            std::error_code error;
            fs::rename(from, to, error);
            return error;
        }};
}

WrittenResults WriteResults(const ContestCheck& contest, const fs::path& folder,
                            const ResultsFormats& formats, const OutputSteps& steps,
                            const PartDone& done) {
    const auto tell = [&done](std::string_view part) {
        if (done) {
            done(part);
        }
    };
    // Before anything is made: a log that changed stops the run here.
    const QuotedLines quoted = QuotedLines::Of(contest);
    tell("quoted lines read again");
    std::error_code error;
    const bool made = !fs::exists(folder, error);
    MakeFolder(folder);
    try {
        RunFolder run(folder);
        WrittenResults written =
            WriteFiles(contest, quoted, run.New(), folder, formats, steps, tell);
        PutInPlace(folder, run, steps);
        tell("put in place");
        if (const std::error_code removed = run.Remove()) {
            written.leftOver = run.Path().string() + ": cannot be removed: " + removed.message();
        }
        return written;
    } catch (const std::runtime_error&) {
        if (made) {
            fs::remove(folder, error);  // only when empty, as it was made
        }
        throw;
    }
}

namespace {

// Whether `inner` is `outer` or lies inside it on the disk: each folder on
// `inner`'s way up that exists is compared with `outer` by identity (the
// same file of the same device), so neither the spelling, nor a symbolic
// link, nor the case of a name hides it.
bool WithinOnDisk(const fs::path& inner, const fs::path& outer) {
    for (fs::path path = inner;; path = path.parent_path()) {
        std::error_code error;
        if (fs::equivalent(path, outer, error)) {
            return true;
        }
        if (!path.has_relative_path()) {
            return false;
        }
    }
}

// A path as written, made absolute, and as the disk resolves it: a folder
// may be reached through a link, and what the link's own name lies in
// matters too (a run removes the link with the folder holding it).
std::vector<fs::path> BothForms(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    return error ? std::vector<fs::path>{absolute} : std::vector<fs::path>{absolute, resolved};
}

}  // namespace

std::string OutputOverlapsLogs(const fs::path& logs, const fs::path& output) {
    for (const fs::path& out : BothForms(output)) {
        for (const fs::path& in : BothForms(logs)) {
            if (WithinOnDisk(out, in)) {
                return "the results cannot go into the folder of logs " + logs.string() +
                       " or a folder inside it (" + output.string() + "); give another with -o";
            }
            for (const char* item : kReplaced) {
                if (WithinOnDisk(in, out / item)) {
                    return "the folder of logs " + logs.string() + " lies in " +
                           (output / item).string() +
                           ", which every run replaces; move the logs out of it or give "
                           "another folder with -o";
                }
            }
        }
    }
    return {};
}

}  // namespace zelk::adjudication
