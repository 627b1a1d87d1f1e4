// The third step, once every line has met its partner's: dupes. Of a log's
// lines with one call on one band, the one that counts is the earliest the
// partner's log backs (confirmed, or credited because the partner miscopied
// our call), else the earliest; the others are dupes of it. So a QSO that
// both sides logged is never lost for a repeat that only one side logged.
#include "adjudication/check_steps.h"
#include "adjudication/in_parallel.h"

namespace zelk::adjudication {

void DecideDupes(ContestCheck& contest, const PartnerIndex& index) {
    // Each log's own lines: the logs on the check's threads.
    InParallel(contest.entrants.size(), kCheckThreads, [&](std::size_t e) {
        const auto a = static_cast<uint32_t>(e);
        Entrant& entrant = contest.entrants[a];
        std::vector<CheckedLine>& lines = entrant.log.lines;
        ForEachKey(index.Of(a), [&](std::span<const PartnerIndex::Entry> run) {
            if (run.size() == 1) {
                return;
            }
            // The run is in order of time; lines their own log decided are
            // neither dupes nor make one.
            uint32_t counted = kNoLine;
            for (const PartnerIndex::Entry& entry : run) {
                const LineStatus status = lines[entry.line].status;
                if (IsOwnLogStatus(status)) {
                    continue;
                }
                if (counted == kNoLine) {
                    counted = entry.line;
                }
                if (IsBacked(status)) {
                    counted = entry.line;
                    break;
                }
            }
            for (const PartnerIndex::Entry& entry : run) {
                CheckedLine& line = lines[entry.line];
                if (entry.line != counted && !IsOwnLogStatus(line.status)) {
                    line.status = LineStatus::kDupe;
                    line.decidedBy = entrant.firstLine + counted;
                }
            }
        });
    });
}

}  // namespace zelk::adjudication
