// The output folder and the report file names.
#include "adjudication/output_folder.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <stdexcept>

#include "adjudication/results_files.h"
#include "platform/file_replace.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 22> kDeviceNames{
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool IsDeviceName(const std::string& stem) {
    std::string upper = stem;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return std::find(kDeviceNames.begin(), kDeviceNames.end(), upper) != kDeviceNames.end();
}

std::string FileStem(std::string_view call) {
    std::string stem;
    for (char c : call) {
        const auto byte = static_cast<unsigned char>(c);
        const bool bad = byte <= 0x20 || byte >= 0x7F ||
                         std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
        stem += bad ? '_' : c;
    }
    // Windows drops a final dot; a device name is no file at all.
    if (stem.empty() || stem.back() == '.' || IsDeviceName(stem)) {
        stem += '_';
    }
    return stem;
}

// Writes a report into this run's new reports folder; a failure is told as
// one of the file `shownAs`.
void WriteNewFile(const fs::path& path, const std::string& bytes, const fs::path& shownAs) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::error_code ignored;
        fs::remove(path, ignored);
        throw std::runtime_error(shownAs.string() + ": cannot be written");
    }
}

constexpr std::string_view kTemporarySuffix = ".zelk-tmp";

}  // namespace

void ReplaceFile(const fs::path& path, const std::string& bytes) {
    if (const std::error_code error = ReplaceFileWhole(path.string(), bytes)) {
        throw std::runtime_error(path.string() + ": cannot be written: " + error.message());
    }
}

namespace {

void MakeFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
        throw std::runtime_error(folder.string() + ": cannot be made a folder" +
                                 (error ? ": " + error.message() : std::string()));
    }
}

}  // namespace

std::vector<std::string> UbnFileNames(const ContestCheck& contest) {
    std::vector<std::string> names;
    std::set<std::string> taken;  // in capitals: Windows names ignore case
    auto key = [](std::string name) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
        return name;
    };
    for (const Entrant& entrant : contest.entrants) {
        const std::string stem = FileStem(entrant.log.call);
        std::string name = stem + ".ubn";
        for (int n = 2; !taken.insert(key(name)).second; ++n) {
            name = stem + "-" + std::to_string(n) + ".ubn";
        }
        names.push_back(std::move(name));
    }
    return names;
}

std::string WriteResults(const ContestCheck& contest, const fs::path& folder,
                         const ResultsFormats& formats) {
    MakeFolder(folder);
    // The reports are written into a new folder that then takes the old
    // one's place: a file renamed over another costs a flush to disk on
    // some file systems (ext4), which for thousands of reports was most of
    // a check's time; and no report of an earlier run's entrant stays.
    const fs::path ubn = folder / kUbnFolder;
    fs::path fresh = ubn;
    fresh += kTemporarySuffix;
    fs::path old = ubn;
    old += ".zelk-old";
    std::error_code error;
    fs::remove_all(fresh, error);
    MakeFolder(fresh);
    const std::vector<std::string> names = UbnFileNames(contest);
    for (std::size_t e = 0; e < contest.entrants.size(); ++e) {
        WriteNewFile(fresh / names[e], UbnReport(contest, contest.entrants[e]), fresh / names[e]);
    }
    fs::remove_all(old, error);
    if (fs::exists(ubn, error)) {
        fs::rename(ubn, old, error);
        if (error) {
            throw std::runtime_error(ubn.string() + ": cannot be replaced: " + error.message());
        }
    }
    fs::rename(fresh, ubn, error);
    if (error) {
        throw std::runtime_error(ubn.string() + ": cannot be put in place: " + error.message());
    }
    fs::remove_all(old, error);

    const std::string text = ResultsText(contest);
    ReplaceFile(folder / kResultsCsv, ResultsCsv(contest));
    ReplaceFile(folder / kResultsJson, ResultsJson(contest, names));
    if (formats.html) {
        ReplaceFile(folder / kResultsHtml, ResultsHtml(contest, names));
    } else if (fs::remove(folder / kResultsHtml, error); error) {
        throw std::runtime_error((folder / kResultsHtml).string() +
                                 ": an earlier run's page cannot be removed: " + error.message());
    }
    ReplaceFile(folder / kResultsText, text);
    return text;
}

}  // namespace zelk::adjudication
