// The contest check: the files sorted into entrants, superseded logs and
// files that are no log; the calls numbered; then the steps of
// check_steps.h in their order.
#include "adjudication/contest_check.h"

#include <algorithm>

#include "adjudication/check_steps.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

// Sorts the logs into entrants (the newest log of each call) and the logs
// they supersede.
void ChooseEntrants(std::vector<LogFile>& files, ContestCheck& contest) {
    std::vector<std::size_t> logs;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].IsLog()) {
            logs.push_back(i);
        } else {
            contest.notRead.push_back({files[i].name, files[i].notRead});
        }
    }
    // By call; logs of another contest last; then the newest (a log without
    // CONTEST: is one of this contest); of equal times the name that sorts
    // last.
    const CheckRules& rules = contest.rules;
    auto another = [&rules](const LogFile& log) {
        return MatchContest(log, rules) == ContestMatch::kOther;
    };
    std::sort(logs.begin(), logs.end(), [&files, &another](std::size_t a, std::size_t b) {
        const LogFile& x = files[a];
        const LogFile& y = files[b];
        if (x.call != y.call) {
            return x.call < y.call;
        }
        if (another(x) != another(y)) {
            return another(y);
        }
        return x.modified != y.modified ? x.modified > y.modified : x.name > y.name;
    });
    for (std::size_t i = 0; i < logs.size(); ++i) {
        LogFile& file = files[logs[i]];
        if (!contest.entrants.empty() && contest.entrants.back().log.call == file.call) {
            Entrant& used = contest.entrants.back();
            used.supersededFiles.push_back(file.name);
            Superseded superseded{file.name, file.call, used.log.name, ""};
            if (another(file) && !another(used.log)) {
                superseded.contest = file.contest;
            } else {
                superseded.why = file.modified < used.log.modified ? SupersededWhy::kOlder
                                                                   : SupersededWhy::kNameSortsFirst;
            }
            contest.superseded.push_back(std::move(superseded));
            continue;
        }
        contest.entrants.emplace_back().log = std::move(file);
    }
    std::sort(contest.superseded.begin(), contest.superseded.end(),
              [](const Superseded& a, const Superseded& b) { return a.file < b.file; });
}

// Numbers the lines through the contest and the calls: the entrants' calls
// first, so that a call id below the entrants' count names that entrant.
void NumberLinesAndCalls(ContestCheck& contest) {
    std::size_t lines = 0;
    for (Entrant& entrant : contest.entrants) {
        entrant.firstLine = static_cast<uint32_t>(lines);
        lines += entrant.log.lines.size();
    }
    contest.calls.Reserve(contest.entrants.size() * 2);
    for (const Entrant& entrant : contest.entrants) {
        contest.calls.Intern(entrant.log.call);
    }
    for (Entrant& entrant : contest.entrants) {
        // A log's lines mostly send one call: looked up once.
        std::string_view lastText;
        uint32_t lastSent = CallTable::kNoCall;
        for (CheckedLine& line : entrant.log.lines) {
            line.call = contest.calls.Intern(entrant.log.CallText(line));
            const std::string_view own = entrant.log.OwnCallText(line);
            if (lastSent == CallTable::kNoCall || own != lastText) {
                lastText = own;
                lastSent = contest.calls.Intern(own);
                if (std::find(entrant.sentCalls.begin(), entrant.sentCalls.end(), lastSent) ==
                    entrant.sentCalls.end()) {
                    entrant.sentCalls.push_back(lastSent);
                }
            }
            line.ownCall = lastSent;
        }
    }
    // A call names the entrant whose CALLSIGN: it is, else the entrant whose
    // lines send it (the first in order of call).
    const auto entrants = static_cast<uint32_t>(contest.entrants.size());
    contest.senderOf.assign(contest.calls.Size(), ContestCheck::kNoEntrant);
    for (uint32_t e = 0; e < entrants; ++e) {
        contest.senderOf[e] = e;
    }
    for (uint32_t e = 0; e < entrants; ++e) {
        for (uint32_t call : contest.entrants[e].sentCalls) {
            if (contest.senderOf[call] == ContestCheck::kNoEntrant) {
                contest.senderOf[call] = e;
            }
        }
    }
}

}  // namespace

void ForgetDecisions(ContestCheck& contest) {
    for (Entrant& entrant : contest.entrants) {
        for (CheckedLine& line : entrant.log.lines) {
            line.status = LineStatus::kPending;
            line.decidedBy = kNoLine;
            line.match = kNoLine;
        }
    }
}

ContestMatch MatchContest(const LogFile& log, const CheckRules& rules) {
    if (log.contest.empty()) {
        return ContestMatch::kUnnamed;
    }
    const auto named = [&log](const std::string& name) { return log.contest == Upper(name); };
    return named(rules.contest) ||
                   std::any_of(rules.contestAliases.begin(), rules.contestAliases.end(), named)
               ? ContestMatch::kThis
               : ContestMatch::kOther;
}

ContestCheck::LineRef ContestCheck::Line(uint32_t number) const {
    const auto after =
        std::upper_bound(entrants.begin(), entrants.end(), number,
                         [](uint32_t n, const Entrant& entrant) { return n < entrant.firstLine; });
    if (after == entrants.begin()) {
        return {};
    }
    const Entrant& entrant = *(after - 1);
    const uint32_t local = number - entrant.firstLine;
    return local < entrant.log.lines.size() ? LineRef{&entrant, &entrant.log.lines[local]}
                                            : LineRef{};
}

ContestCheck CheckContest(std::vector<LogFile> files, const CheckRules& rules) {
    ContestCheck contest;
    contest.rules = rules;
    contest.files = files.size();
    ChooseEntrants(files, contest);
    files.clear();
    for (Entrant& entrant : contest.entrants) {
        AddUnknownCategoryNotes(entrant.log.category, rules.categories, entrant.log.headerNotes);
    }
    NumberLinesAndCalls(contest);
    PartnerIndex index = IndexLines(contest);
    DecideOwnLogs(contest);
    MatchPartners(contest, index);
    if (CorrectClocks(contest, index)) {
        ForgetDecisions(contest);
        DecideOwnLogs(contest);
        MatchPartners(contest, index);
    }
    CountAppearances(contest);
    FindBustedCalls(contest, index);
    DecideDupes(contest, index);
    DecideTheRest(contest, index);
    ReviewForTheOrganiser(contest);
    ApplyDecisions(contest);
    ScoreEntrants(contest);
    return contest;
}

}  // namespace zelk::adjudication
