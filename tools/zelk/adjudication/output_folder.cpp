// The output folder: the run's own folder, the files written into it, and
// the moves that put them in place or, on a failure, back.
#include "adjudication/output_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>

#include "adjudication/in_parallel.h"
#include "platform/file_replace.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

// What a run replaces in the output folder, in the order it is put in place:
// results.txt, the table an organiser opens first, last.
const char* const kReplaced[] = {kUbnFolder, kResultsCsv, kResultsJson, kResultsHtml, kResultsText};

std::error_code LastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

// A report into the run's own folder, which no one else writes into. Not
// flushed to the disk: for thousands of reports that was most of a check's
// time (ext4), and a report is made again by running the check again.
std::error_code WriteReportFile(const fs::path& path, const std::string& bytes) {
    errno = 0;
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        return LastError();
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        const std::error_code error = LastError();
        std::error_code ignored;
        fs::remove(path, ignored);
        return error;
    }
    return {};
}

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
// item. On a failure every move done is undone, newest first, and the
// exception says whether the previous results are back whole.
//
// A crash (or a power cut: the moves are not flushed to the disk) between
// two moves leaves the output folder with this run's first items and the
// previous run's last ones (results.txt, moved last, still the previous
// run's), and the run's folder .zelk-run-* with the rest of both: new/ this
// run's files, old/ the previous run's. No file is ever half written. A
// later run leaves that folder alone (it cannot tell it from the folder of
// a run still going); the organiser removes it.
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
}

// Writes every file of the run into `into`; a report that cannot be written
// is told in its UbnFile, any other file stops the run.
WrittenResults WriteFiles(const ContestCheck& contest, const fs::path& into, const fs::path& output,
                          const ResultsFormats& formats, const OutputSteps& steps) {
    WrittenResults written;
    written.ubnFiles = UbnFiles(contest);
    MakeFolder(into / kUbnFolder);
    // The reports are made on the check's threads (each reads only the
    // contest), a batch at a time so that few are held, then written in order.
    constexpr std::size_t kBatch = 256;
    std::vector<std::string> reports;
    for (std::size_t first = 0; first < contest.entrants.size(); first += kBatch) {
        reports.assign(std::min(kBatch, contest.entrants.size() - first), std::string());
        InParallel(reports.size(), kCheckThreads, [&](std::size_t i) {
            reports[i] = UbnReport(contest, contest.entrants[first + i]);
        });
        for (std::size_t i = 0; i < reports.size(); ++i) {
            UbnFile& file = written.ubnFiles[first + i];
            if (const std::error_code error =
                    steps.write(into / kUbnFolder / file.name, reports[i], false)) {
                file.notWritten = "cannot be written: " + error.message();
            }
        }
    }
    auto write = [&](const char* name, const std::string& bytes) {
        if (const std::error_code error = steps.write(into / name, bytes, true)) {
            throw std::runtime_error((output / name).string() +
                                     ": cannot be written: " + error.message());
        }
    };
    written.text = ResultsText(contest, written.ubnFiles);
    write(kResultsText, written.text);
    write(kResultsCsv, ResultsCsv(contest));
    write(kResultsJson, ResultsJson(contest, written.ubnFiles));
    if (formats.html) {
        write(kResultsHtml, ResultsHtml(contest, written.ubnFiles));
    }
    return written;
}

}  // namespace

OutputSteps SystemSteps() {
    return {[](const fs::path& path, const std::string& bytes, bool durable) {
                // The durable ones get the whole replace's exclusive create and flush.
                return durable ? ReplaceFileWhole(path.string(), bytes)
                               : WriteReportFile(path, bytes);
            },
            [](const fs::path& from, const fs::path& to) {
                std::error_code error;
                fs::rename(from, to, error);
                return error;
            }};
}

WrittenResults WriteResults(const ContestCheck& contest, const fs::path& folder,
                            const ResultsFormats& formats, const OutputSteps& steps) {
    std::error_code error;
    const bool made = !fs::exists(folder, error);
    MakeFolder(folder);
    try {
        RunFolder run(folder);
        WrittenResults written = WriteFiles(contest, run.New(), folder, formats, steps);
        PutInPlace(folder, run, steps);
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
