// The organiser's check of a whole contest: every log of the folder against
// every other, by the rules of line_status.h, and each entrant's checked
// score from its credited lines by the contest's own scoring code.
//
// How the rules are applied, where a choice had to be made:
// - Entrants are told apart by their call (CALLSIGN:, else the own call of
//   the first QSO line). Of two or more logs of one call the newest file is
//   used (modification time; of equal times the name that sorts last); the
//   others are superseded and named in the results.
// - Same band is the amateur band of the frequency (or band designator); a
//   line whose frequency lies in no band finds no partner.
// - A line's own log decides first: X-QSO lines, then lines not in CW, then
//   dupes. Of the CW lines with one call on one band the earliest (by time,
//   then by line) counts; the later ones are dupes. A dupe neither confirms
//   nor is confirmed, so each pair of logs has at most one line a side per
//   band to match: a partner's line confirms at most one of ours by
//   construction. A partner's X-QSO or non-CW line confirms nothing.
// - A line whose partner matched (within the time window) is confirmed when
//   the serial (as a number) and the coordinate (degrees and hemisphere
//   letters) copied equal what the partner sent in that line, else a busted
//   exchange.
// - A line without a match whose call is at most --call-distance edits from
//   another entrant D that logged us on the band within the window, in a
//   line no other line matched, is a busted call; D's line is credited as
//   partner_busted_call. Where several lines claim one line of D (or one
//   line could take several), the pair nearest in time wins, then the fewer
//   edits, then the earlier line of ours; each line takes part in one pair.
// - What is left: the call sent a log: nil; else the call appears (in a CW
//   line of QSO:) in at least --min-appearances logs: no_log_credited, else
//   unique. Logs of superseded files count for nothing.
// - The checked score is ScoreContacts over the credited lines (call, group
//   in whole megahertz as `zelk score` groups, received exchange as the
//   plug-in stores it) from the coordinate the entrant sent, less
//   --nil-penalty times 50 points per NIL, never below 0.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adjudication/call_table.h"
#include "adjudication/line_status.h"
#include "adjudication/log_file.h"
#include "scoring/score.h"

namespace zelk::adjudication {

struct Entrant {
    LogFile log;
    uint32_t firstLine = 0;                    // the contest-wide number of its first line
    std::vector<std::string> supersededFiles;  // older logs of its call, newest first
    std::array<uint32_t, kStatusCount> statusCounts{};
    uint32_t nils = 0;
    ScoreResult checked;       // of the credited lines
    int64_t checkedScore = 0;  // the checked result less the NIL penalty
    uint32_t place = 0;        // 1 for the highest checked score; equal scores share a place

    uint32_t Count(LineStatus status) const {
        return statusCounts[static_cast<std::size_t>(status)];
    }
    // QSO: lines read (X-QSO lines are not claimed).
    uint32_t QsosClaimed() const;
    uint32_t QsosCredited() const;
    // The share of the lines checked against other logs (CW, not dupes)
    // that were lost to a busted call or exchange, a NIL or a unique call.
    double ErrorRate() const;
};

struct NotRead {
    std::string file;
    std::string reason;
};

struct Superseded {
    std::string file;
    std::string call;
    std::string usedFile;
};

struct ContestCheck {
    CheckRules rules;
    CallTable calls;                     // entrants' calls first: id i is entrants[i]'s call
    std::vector<Entrant> entrants;       // in order of call
    std::vector<uint32_t> ranking;       // entrants by place, equal places in order of call
    std::vector<NotRead> notRead;        // in order of name
    std::vector<Superseded> superseded;  // in order of name
    std::vector<uint32_t> appearances;   // per call id: the logs it appears in (CW, QSO:)
    std::size_t files = 0;               // every file of the folder

    // The entrant of a contest-wide line number, and the line.
    struct LineRef {
        const Entrant* entrant = nullptr;
        const CheckedLine* line = nullptr;
    };
    LineRef Line(uint32_t number) const;
    CheckedLine& LineAt(uint32_t number) {
        return const_cast<CheckedLine&>(*std::as_const(*this).Line(number).line);
    }
    // The entrant whose call has this id, or null.
    const Entrant* EntrantOfCall(uint32_t call) const {
        return call < entrants.size() ? &entrants[call] : nullptr;
    }
};

// The distance of busted calls: Levenshtein's (a character inserted, deleted
// or changed is one edit), or `limit` + 1 when it exceeds `limit`.
int EditDistance(std::string_view a, std::string_view b, int limit);

// Checks the contest of these files (in order of name, as ReadLogFolder
// gives them).
ContestCheck CheckContest(std::vector<LogFile> files, const CheckRules& rules);

}  // namespace zelk::adjudication
