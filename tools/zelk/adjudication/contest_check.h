// The organiser's check of a whole contest: every log of the folder against
// every other, by the rules of line_status.h, and each entrant's checked
// score from its credited lines by the contest's own scoring code.
//
// How the rules are applied, where a choice had to be made:
// - Entrants are told apart by their call (CALLSIGN:, else the own call of
//   the first QSO line). Of two or more logs of one call, a log whose
//   CONTEST: names another contest is not used while one of this contest
//   (CONTEST: is the contest's name, in any case, or the log has no
//   CONTEST:) exists; among the rest the newest file is used (modification
//   time; of equal times the name that sorts last). The others are
//   superseded and named in the results, with why. A log used whose
//   CONTEST: names another contest is checked as this contest's and named
//   in the results.
// - The partner of a line is the entrant that sends the call it logged (its
//   CALLSIGN:, or the own call of its QSO lines); two lines are the two
//   sides of a QSO when each logged the own call of the other: the call
//   sent on the air, DL1ABC/P as sent, not the header's DL1ABC.
// - Same band is the amateur band of the frequency (or band designator); a
//   line whose frequency lies in no band pairs without the band, after the
//   matches within a band.
// - A log's clock is corrected first where its pairs with partners' lines
//   that match in everything but time show it off (clocks.cpp states how).
// - A line's own log decides first: lines that cannot be read (but whose
//   fixed fields and call could), X-QSO lines, lines not in CW, lines
//   outside the contest period (CheckRules::start, end), lines in no band
//   and a single-band entry's lines on other bands are set aside; they
//   still pair with the partner's line and confirm it (the partner never
//   pays for our typo, mode, clock, hours or entry).
// - Then the lines are paired across the logs, every line taking part,
//   repeats included. Our lines with the partner's call on a band and
//   the partner's lines with our call on that band pair within the time
//   window, the nearest in time first, each line with one line at most. A
//   paired line is confirmed when the serial (as a number) and the
//   coordinate (degrees and hemisphere letters) copied equal what the
//   partner sent in that line, else a busted exchange; where what the
//   partner's line sent cannot be read, the copy is not judged.
// - A line left unpaired whose call is at most --call-distance edits from a
//   call another entrant D's line sent, where D's line logged us on the
//   band within the window, left unpaired too, and we copied D's exchange
//   exactly as sent, is a busted call; D's line is judged on its copy of
//   ours: partner_busted_call when right, busted_exchange when wrong. A
//   call without a log that --min-appearances logs hold is a real station,
//   never a busted call. A line whose call is exactly one an entrant sends
//   is taken to be right where it can be: a pair in which it is the line
//   copied right wins over one in which it would be the busted one. Then
//   the pair nearest in time wins, then the fewer edits, then the earlier
//   line of ours; each line takes part in one pair.
// - Then the dupes: of a log's lines with one call on one band (those set
//   aside by their own log apart), the earliest that the partner's log backs
//   (confirmed or partner_busted_call) counts, else the earliest (by time,
//   then by line); the others are dupes.
//   A dupe line still confirmed its partner's line where they paired, so a
//   QSO logged by both sides is never a NIL for a repeat one side logged.
// - What is left: the call sent a log: nil; else the call appears (in a CW
//   line of QSO:) in at least --min-appearances logs: no_log_credited, else
//   unique. Where the logs that worked such a call agree on its coordinate
//   (at least two, and more than copied any other), a copy that differs is
//   a busted exchange. Logs of superseded files count for nothing.
// - The adjudicator's decisions then credit or deny single lines.
// - The checked score is ScoreContacts over the credited lines (call, group
//   = the amateur band as `zelk score` groups, received exchange as the
//   plug-in stores it) from the coordinate the entrant sent, less
//   --nil-penalty times 50 points per NIL, never below 0. Check logs are
//   scored, not ranked; the others are ranked overall and within their
//   category (log_header.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
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
    uint32_t nils = 0;         // NIL lines the penalty takes: those no decision credits
    uint32_t causedNils = 0;   // the other entrants' lines that are NILs against this log
    uint32_t overridden = 0;   // lines a decision of the adjudicator applies to
    uint32_t credited = 0;     // lines that count for the score, decisions applied
    ScoreResult checked;       // of the credited lines
    int64_t checkedScore = 0;  // the checked result less the NIL penalty
    uint32_t place = 0;  // 1 for the highest checked score; equal scores share a place; 0 for a
                         // check log
    uint32_t categoryPlace = 0;      // the place within its category; 0 for a check log
    int64_t clockOffsetMinutes = 0;  // how far its clock was off; its lines' times are corrected
    // The calls its QSO lines send (their own-call field), in order of first
    // use; a partner's logged call is matched with these.
    std::vector<uint32_t> sentCalls;

    uint32_t Count(LineStatus status) const {
        return statusCounts[static_cast<std::size_t>(status)];
    }
    // QSO: lines read (X-QSO lines are not claimed, nor lines that cannot be read).
    uint32_t QsosClaimed() const;
    uint32_t QsosCredited() const { return credited; }
    // The share of the lines checked against other logs (CW, not dupes)
    // that were lost to a busted call or exchange, a NIL or a unique call.
    double ErrorRate() const;
};

struct NotRead {
    std::string file;
    std::string reason;
};

// Why a log of an entrant's call is not the one used: it names another
// contest while the one used does not, or it is older, or it is as old and
// its name sorts first.
enum class SupersededWhy : uint8_t { kOtherContest, kOlder, kNameSortsFirst };

struct Superseded {
    std::string file;
    std::string call;
    std::string usedFile;
    std::string contest;  // the superseded log's CONTEST:, when that lost it the place
    SupersededWhy why = SupersededWhy::kOtherContest;
};

// Whether a log's CONTEST: names this contest, names none, or names another.
enum class ContestMatch : uint8_t { kThis, kUnnamed, kOther };
ContestMatch MatchContest(const LogFile& log, const CheckRules& rules);

// The entrants of one category, by place.
struct CategoryRanking {
    std::string name;               // "SINGLE-OP 40M LOW"
    std::vector<uint32_t> ranking;  // entrants by category place
};

// A call without a log that many logs hold: the organiser may ask for its log.
inline constexpr uint32_t kLeastLogsOfAMissingLog = 2;
struct MissingLog {
    std::string call;
    uint32_t logs = 0;
};

// Two logs whose clocks differ by more than the time window on the evidence
// of their QSOs with each other, when the evidence cannot tell which clock is
// off and the contest period cannot either: neither is corrected.
struct ClockTie {
    uint32_t first = 0;  // entrants, in order of call
    uint32_t second = 0;
    int64_t minutes = 0;  // the first's times less the second's
};

// What the logs that worked a call without a log copied as its coordinate:
// the coordinate copied by the most logs (each log counted once per
// coordinate), and whether the logs agree on it (at least two, and more
// than copied any other).
struct NoLogCoordinate {
    uint32_t coordinate = 0;   // as CoordinateKey packs it
    uint32_t logs = 0;         // that copied it
    uint32_t nextLogs = 0;     // that copied the next most copied one
    uint32_t coordinates = 0;  // distinct coordinates copied
    bool agreed = false;
};

// A decision of the adjudicator that names no QSO line of the contest (the
// call sent no log, or its log has no QSO line there): reported, not applied.
struct StaleDecision {
    Decision decision;
    std::string why;
};

struct ContestCheck {
    CheckRules rules;
    CallTable calls;                          // entrants' calls first: id i is entrants[i]'s call
    std::vector<Entrant> entrants;            // in order of call
    std::vector<uint32_t> ranking;            // ranked entrants by place, equal places in order of
                                              // call; check logs are not ranked
    std::vector<CategoryRanking> categories;  // in the results' order of categories
    std::vector<uint32_t> checkLogs;          // in order of call
    std::vector<MissingLog> missingLogs;      // by logs holding the call, then call
    // The decisions applied, as (contest-wide line number, index into
    // rules.decisions), by line; and those that name no line.
    std::vector<std::pair<uint32_t, uint32_t>> applied;
    std::vector<StaleDecision> staleDecisions;
    std::vector<NotRead> notRead;        // in order of name
    std::vector<Superseded> superseded;  // in order of name
    std::vector<uint32_t> appearances;   // per call id: the logs it appears in (CW, QSO:)
    // Per call id: the entrant that sends it (its CALLSIGN:, or the own call
    // of its QSO lines), or kNoEntrant.
    std::vector<uint32_t> senderOf;
    // Per call id of a call without a log credited from enough logs.
    std::unordered_map<uint32_t, NoLogCoordinate> noLogCoordinates;
    std::vector<ClockTie> clockTies;  // in order of the first entrant
    std::size_t files = 0;            // every file of the folder

    // The entrant of a contest-wide line number, and the line.
    struct LineRef {
        const Entrant* entrant = nullptr;
        const CheckedLine* line = nullptr;
    };
    LineRef Line(uint32_t number) const;
    CheckedLine& LineAt(uint32_t number) {
        return const_cast<CheckedLine&>(*std::as_const(*this).Line(number).line);
    }
    // The decision applied to a contest-wide line number, or null.
    const Decision* DecisionOn(uint32_t number) const;
    // Whether the line counts for the score: by its status, unless a
    // decision of the adjudicator says otherwise.
    bool Credited(uint32_t number, const CheckedLine& line) const {
        return applied.empty() ? IsCredited(line.status) : DecidedCredit(number, line);
    }
    // Credited(), where decisions were applied.
    bool DecidedCredit(uint32_t number, const CheckedLine& line) const;

    static constexpr uint32_t kNoEntrant = UINT32_MAX;
    // The entrant that sends the call of this id, or kNoEntrant.
    uint32_t SenderOf(uint32_t call) const {
        return call < senderOf.size() ? senderOf[call] : kNoEntrant;
    }
    // The same as a pointer, or null.
    const Entrant* EntrantSending(uint32_t call) const {
        const uint32_t e = SenderOf(call);
        return e == kNoEntrant ? nullptr : &entrants[e];
    }
};

// The distance of busted calls: Levenshtein's (a character inserted, deleted
// or changed is one edit), or `limit` + 1 when it exceeds `limit`.
int EditDistance(std::string_view a, std::string_view b, int limit);

// Checks the contest of these files (in order of name, as ReadLogFolder
// gives them).
ContestCheck CheckContest(std::vector<LogFile> files, const CheckRules& rules);

}  // namespace zelk::adjudication
