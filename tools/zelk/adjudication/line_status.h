// The status the check gives every QSO line of every log it uses, the rules
// it applies, and their names. The names are the ones the contest simulator
// writes into its truth, and the ones results.json counts under.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/contest_categories.h"
#include "adjudication/intake_rules.h"

namespace zelk::adjudication {

// In the order of their precedence on a line: what its own log says alone
// (unreadable, x_qso, not_cw, out_of_period, out_of_band, other_band), then dupe, then what
// the partner's log says
// (confirmed, busted_exchange), then busted calls (busted_call, and partner_busted_call on the
// other side), then what is left (nil, no_log_credited, unique). The check pairs the lines first
// and decides the dupes after, so a dupe is the line of a repeat that the partner's log does not
// back.
enum class LineStatus : uint8_t {
    kPending,     // not decided yet; never left on a line once the check is done
    kUnreadable,  // a QSO line that cannot be read, kept for pairing: not credited, no penalty
    kXQso,
    kNotCw,
    kOutOfPeriod,  // outside the contest period: not credited, no penalty
    kOutOfBand,    // a frequency in no amateur band: not credited, no penalty
    kOtherBand,    // a single-band entry's line on another band: not scored, no penalty
    kDupe,
    kConfirmed,
    kBustedExchange,
    kBustedCall,
    kPartnerBustedCall,
    kNil,
    kNoLogCredited,
    kUnique,
};
inline constexpr std::size_t kStatusCount = 15;

// "confirmed", "busted_exchange", ... ("pending" for kPending).
std::string_view StatusName(LineStatus status);

// Whether the line's own log decides its status alone; such a line still
// takes part in pairing, so that it can confirm the partner's line.
inline bool IsOwnLogStatus(LineStatus status) {
    return status == LineStatus::kUnreadable || status == LineStatus::kXQso ||
           status == LineStatus::kNotCw || status == LineStatus::kOutOfPeriod ||
           status == LineStatus::kOutOfBand || status == LineStatus::kOtherBand;
}

// Whether the partner's log backs the line: the partner logged the QSO with
// our call as we sent it, or miscopied our call in it.
inline bool IsBacked(LineStatus status) {
    return status == LineStatus::kConfirmed || status == LineStatus::kPartnerBustedCall;
}

// Whether a line of this status counts for the score.
inline bool IsCredited(LineStatus status) {
    return status == LineStatus::kConfirmed || status == LineStatus::kPartnerBustedCall ||
           status == LineStatus::kNoLogCredited;
}

// An adjudicator's decision on one QSO line, kept in the overrides file the
// organiser keeps between runs: applied after the check, shown in the
// entrant's report with its reason.
struct Decision {
    enum class Verdict : uint8_t { kCredit, kDeny };
    std::string call;   // the entrant's call, as its log names it (any case)
    uint32_t line = 0;  // the line number in that entrant's log file
    Verdict verdict = Verdict::kCredit;
    std::string reason;
    std::string source;  // where it was given: "overrides.csv line 4"

    bool operator==(const Decision&) const = default;
};

// The rules of the check; each is a flag of `zelk adjudicate` and a key of
// its rules file.
struct CheckRules {
    std::string contest = "ZELK";  // the contest's name, as CONTEST: gives it (any case)
    // The other names a log's CONTEST: may give for this contest (any case).
    std::vector<std::string> contestAliases;
    // The contest period in minutes since 1970-01-01 00:00 UTC: a QSO counts
    // when start <= its time < end. Without them nothing is out of period.
    std::optional<int64_t> start;
    std::optional<int64_t> end;
    int timeWindowMinutes = 5;        // --time-window: the two sides' times differ by at most this
    int callDistance = 2;             // --call-distance: edits between a miscopied and a true call
    int nilPenalty = 0;               // --nil-penalty: QSOs' worth of points more taken per NIL
    int minAppearances = 3;           // --min-appearances: logs a call without a log must be in
    std::vector<Decision> decisions;  // --overrides: the adjudicator's decisions, in file order
    // The rules file's [categories]: the values each part of a category may take.
    ContestCategories categories = BuiltInCategories();
    // The rules file's [serve] table, for zelk serve.
    IntakeRules intake;
    // Where the rules and the decisions were read from, as given (the
    // decisions file a rules file names: joined to the rules file's folder);
    // empty where none was. results.json echoes them.
    std::string rulesFile;
    std::string overridesFile;
};

}  // namespace zelk::adjudication
