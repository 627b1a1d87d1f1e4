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
    // By call; this contest's logs first, then the newest; of equal times the
    // name that sorts last.
    const CheckRules& rules = contest.rules;
    std::sort(logs.begin(), logs.end(), [&files, &rules](std::size_t a, std::size_t b) {
        const LogFile& x = files[a];
        const LogFile& y = files[b];
        if (x.call != y.call) {
            return x.call < y.call;
        }
        const ContestMatch cx = MatchContest(x, rules);
        const ContestMatch cy = MatchContest(y, rules);
        if (cx != cy) {
            return cx < cy;
        }
        return x.modified != y.modified ? x.modified > y.modified : x.name > y.name;
    });
    for (std::size_t i = 0; i < logs.size(); ++i) {
        LogFile& file = files[logs[i]];
        if (!contest.entrants.empty() && contest.entrants.back().log.call == file.call) {
            Entrant& used = contest.entrants.back();
            used.supersededFiles.push_back(file.name);
            const bool lostOnContest = MatchContest(file, rules) > MatchContest(used.log, rules);
            contest.superseded.push_back(
                {file.name, file.call, used.log.name, lostOnContest ? file.contest : ""});
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
        for (CheckedLine& line : entrant.log.lines) {
            line.call = contest.calls.Intern(entrant.log.CallText(line));
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
    FindBustedCalls(contest, index);
    DecideDupes(contest, index);
    DecideTheRest(contest, index);
    ReviewForTheOrganiser(contest);
    ApplyDecisions(contest);
    ScoreEntrants(contest);
    return contest;
}

}  // namespace zelk::adjudication
