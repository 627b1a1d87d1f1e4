// Writing the files of a built contest and the truth of each line.
#include "contest_files.h"

#include <algorithm>

#include "claimed_score.h"
#include "entrant_truth.h"
#include "log_text.h"

namespace zelk::sim {
namespace {

constexpr int kOlderLogPercent = 70;  // a superseded log holds this share of the newer one

// The logger's claim: its readable CW QSO: lines as logged.
int64_t ScoreOf(const Model& model, uint32_t station, const std::vector<uint32_t>& entries) {
    std::vector<ClaimedContact> contacts;
    contacts.reserve(entries.size());
    for (uint32_t entry : entries) {
        const Contact& contact = model.contacts[entry >> 1];
        const Side& side = model.SideOf(entry);
        if (!contact.cw || (contact.xQso && (entry & 1) == 0) || side.broken != Broken::None) {
            continue;
        }
        const Station& worked = model.stations[model.PartnerOf(entry).station];
        ClaimedContact c;
        c.call = side.bustedCall >= 0 ? std::string_view(model.bustedCalls[side.bustedCall])
                                      : std::string_view(worked.call);
        c.freqKHz = side.freqKHz;
        c.latitude = std::abs(side.coordinateMiscopied ? side.copiedLatitude : worked.latitude);
        c.longitude = std::abs(side.coordinateMiscopied ? side.copiedLongitude : worked.longitude);
        contacts.push_back(c);
    }
    const Station& own = model.stations[station];
    return ClaimedScore(std::abs(own.latitude), std::abs(own.longitude), contacts);
}

}  // namespace

std::vector<PendingFile> WriteFiles(const Model& model, Random& random) {
    const SimulationParameters& p = model.parameters;
    const ContestClock clock(p);
    std::vector<PendingFile> files;
    std::vector<uint32_t> entries;
    std::vector<uint32_t> lineNumbers;
    std::vector<std::pair<std::size_t, std::size_t>> newer;  // a file, and one later than it
    auto logged = [&](uint32_t station) {
        entries.clear();
        for (uint32_t entry : model.logs[station]) {
            if (model.SideOf(entry).logged) {
                entries.push_back(entry);
            }
        }
    };
    for (uint32_t e = 0; e < model.entrants; ++e) {
        const std::string& call = model.HeaderCall(e);
        const EntrantSetup& setup = model.setups[e];
        logged(e);
        const WriterStyle style = ChooseStyle(random, e);
        PendingFile log;
        log.file.call = call;
        log.file.bytes = WriteCabrillo(model, e, entries, style, setup.contest,
                                       ScoreOf(model, e, entries), clock, lineNumbers);
        log.truth.reserve(entries.size());
        const std::string clockNote = ClockNote(setup);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Side& side = model.SideOf(entries[i]);
            if (side.broken == Broken::Time) {
                continue;  // not even partly read: no row (EntrantTruth::unreadableLines counts it)
            }
            std::string note = model.notes[side.note];
            if (!clockNote.empty()) {
                note += (note.empty() ? "" : "; ") + clockNote;
            }
            log.truth.push_back({0, lineNumbers[i], side.status, std::move(note)});
        }
        if (e < model.plainEntrants) {
            log.file.name = LogFileName(call, style);
            files.push_back(std::move(log));
            if (setup.otherContestLog) {
                // The same entrant's log of another contest, sent later.
                PendingFile other;
                other.file.call = call;
                other.file.name = LogFileName(call, style, "-cqww");
                other.file.bytes = WriteOtherContestLog(model, e, style, clock, random);
                other.file.status = FileStatus::Superseded;
                other.file.note = "a log of another contest (" + std::string(kOtherContest) +
                                  "); " + files.back().file.name + " is used";
                newer.emplace_back(files.size() - 1, files.size());
                files.push_back(std::move(other));
            }
            continue;
        }
        // An entrant who sent the log twice: the older holds its first part.
        log.file.name = LogFileName(call, style, "-2");
        entries.resize(std::max<std::size_t>(1, entries.size() * kOlderLogPercent / 100));
        PendingFile older;
        older.file.call = call;
        older.file.name = LogFileName(call, style);
        older.file.bytes = WriteCabrillo(model, e, entries, style, setup.olderLogContest,
                                         ScoreOf(model, e, entries), clock, lineNumbers);
        older.file.status = FileStatus::Superseded;
        older.file.note = "an older log of " + call + "; " + log.file.name + " is used";
        if (setup.contest != setup.olderLogContest) {
            older.file.note += " (it says CONTEST: ZELK, the newer none)";
        }
        newer.emplace_back(files.size(), files.size() + 1);
        files.push_back(std::move(older));
        files.push_back(std::move(log));
    }
    for (int k = 0; k < p.faults.notCabrillo; ++k) {
        const uint32_t s = model.uniqueEnd + static_cast<uint32_t>(k);
        PendingFile other;
        other.file.call = model.stations[s].call;
        other.file.status = FileStatus::NotRead;
        std::string base = LogFileName(other.file.call, WriterStyle{});
        base.resize(base.size() - 4);
        if (k % 2 == 0) {
            logged(s);
            other.file.name = base + ".adi";
            other.file.bytes = WriteAdif(model, s, entries, clock);
            other.file.note = "an ADIF export, not a Cabrillo log";
        } else {
            other.file.name = base + ".cbr";
            other.file.bytes = WriteBinaryFile(random);
            other.file.note = "a binary file (zip archive), not a Cabrillo log";
        }
        files.push_back(std::move(other));
    }
    // Files arrive in random order after the contest; of two files of one
    // entrant, the one that must be newer later.
    std::vector<int64_t> times(files.size());
    const int64_t first = clock.UnixTime(p.lengthHours * 60) + 3600;
    for (std::size_t i = 0; i < times.size(); ++i) {
        times[i] = first + static_cast<int64_t>(i) * 97;
    }
    random.Shuffle(times);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].file.modifiedTime = times[i];
    }
    for (const auto& [earlier, later] : newer) {
        if (files[earlier].file.modifiedTime > files[later].file.modifiedTime) {
            std::swap(files[earlier].file.modifiedTime, files[later].file.modifiedTime);
        }
    }
    return files;
}

}  // namespace zelk::sim
