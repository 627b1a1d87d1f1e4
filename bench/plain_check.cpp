// The plain contest check: linear searches throughout, each rule written
// the plain way from its wording, every pair of lines looked at. Clocks are
// taken as logged: the benchmark's contests have none off.
#include "plain_check.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string_view>
#include <tuple>

namespace zelk::bench {

using adjudication::CheckedLine;
using adjudication::LineStatus;
using adjudication::LogFile;

namespace {

constexpr std::size_t kNone = SIZE_MAX;

struct Place {
    std::size_t log = kNone;
    std::size_t line = kNone;
};

struct Plain {
    std::vector<const LogFile*> logs;  // by call
    std::vector<std::vector<LineStatus>> status;
    std::vector<std::vector<Place>> paired;  // the partner's line each line pairs with
    adjudication::CheckRules rules;

    std::string_view Call(std::size_t log, std::size_t line) const {
        return logs[log]->calls->Text(Line(log, line).call);
    }
    const CheckedLine& Line(std::size_t log, std::size_t line) const {
        return logs[log]->lines[line];
    }
    // The first entrant of that call, searched from the front.
    std::size_t EntrantOf(std::string_view call) const {
        for (std::size_t e = 0; e < logs.size(); ++e) {
            if (logs[e]->call == call) {
                return e;
            }
        }
        return logs.size();
    }
    bool Unpaired(std::size_t log, std::size_t line) const {
        return paired[log][line].log == kNone;
    }
    void Pair(std::size_t a, std::size_t l, std::size_t b, std::size_t m, LineStatus ours,
              LineStatus theirs) {
        paired[a][l] = {b, m};
        paired[b][m] = {a, l};
        if (status[a][l] == LineStatus::kPending) {
            status[a][l] = ours;
        }
        if (status[b][m] == LineStatus::kPending) {
            status[b][m] = theirs;
        }
    }
    // A line's place in its log's order of time.
    std::tuple<int64_t, uint32_t> When(std::size_t log, std::size_t line) const {
        return {Line(log, line).minute, Line(log, line).lineNumber};
    }
};

LineStatus Copied(const CheckedLine& ours, const CheckedLine& theirs) {
    return ours.receivedSerial == theirs.sentSerial &&
                   ours.receivedCoordinate == theirs.sentCoordinate
               ? LineStatus::kConfirmed
               : LineStatus::kBustedExchange;
}

// Of the logs of one call: this contest's first, then the newest.
void ChooseLogs(Plain& p, const std::vector<LogFile>& files) {
    const auto better = [&p](const LogFile& x, const LogFile& y) {
        const int cx = static_cast<int>(adjudication::MatchContest(x, p.rules));
        const int cy = static_cast<int>(adjudication::MatchContest(y, p.rules));
        return std::tie(cy, x.modified, x.name) > std::tie(cx, y.modified, y.name);
    };
    for (const LogFile& file : files) {
        if (!file.IsLog()) {
            continue;
        }
        const auto same = std::find_if(p.logs.begin(), p.logs.end(),
                                       [&](const LogFile* l) { return l->call == file.call; });
        if (same == p.logs.end()) {
            p.logs.push_back(&file);
        } else if (better(file, **same)) {
            *same = &file;
        }
    }
    std::sort(p.logs.begin(), p.logs.end(),
              [](const LogFile* a, const LogFile* b) { return a->call < b->call; });
}

// Every two lines of two logs that name each other's calls on one band
// within the window, nearest first, each line in one pair.
void Match(Plain& p) {
    struct Candidate {
        int64_t apart;
        std::size_t a;
        std::tuple<int64_t, uint32_t> ours;
        std::size_t l, b;
        std::tuple<int64_t, uint32_t> theirs;
        std::size_t m;
    };
    std::vector<Candidate> candidates;
    const std::size_t n = p.logs.size();
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            const CheckedLine& x = p.Line(a, l);
            const std::size_t b = p.EntrantOf(p.Call(a, l));
            if (b == n || b <= a || x.band == logfile::kNoBand) {
                continue;
            }
            for (std::size_t m = 0; m < p.logs[b]->lines.size(); ++m) {
                const CheckedLine& y = p.Line(b, m);
                const int64_t apart = std::llabs(x.minute - y.minute);
                if (y.band == x.band && p.Call(b, m) == p.logs[a]->call &&
                    apart <= p.rules.timeWindowMinutes) {
                    candidates.push_back({apart, a, p.When(a, l), l, b, p.When(b, m), m});
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
        return std::tie(x.apart, x.a, x.ours, x.b, x.theirs) <
               std::tie(y.apart, y.a, y.ours, y.b, y.theirs);
    });
    for (const Candidate& c : candidates) {
        if (p.Unpaired(c.a, c.l) && p.Unpaired(c.b, c.m)) {
            const CheckedLine& x = p.Line(c.a, c.l);
            const CheckedLine& y = p.Line(c.b, c.m);
            p.Pair(c.a, c.l, c.b, c.m, Copied(x, y), Copied(y, x));
        }
    }
}

// Busted calls: every unpaired line against every entrant's log; a line
// whose call is an entrant's is kept right where a pair allows.
void FindBustedCalls(Plain& p) {
    struct Candidate {
        int demotes;
        int64_t apart;
        int edits;
        std::size_t a, l, d, m;
    };
    std::vector<Candidate> candidates;
    const std::size_t n = p.logs.size();
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            const CheckedLine& line = p.Line(a, l);
            if (!p.Unpaired(a, l) || line.band == logfile::kNoBand) {
                continue;
            }
            const int demotes = p.EntrantOf(p.Call(a, l)) < n ? 1 : 0;
            for (std::size_t d = 0; d < n; ++d) {
                const int edits =
                    adjudication::EditDistance(p.Call(a, l), p.logs[d]->call, p.rules.callDistance);
                if (d == a || edits == 0 || edits > p.rules.callDistance) {
                    continue;
                }
                for (std::size_t m = 0; m < p.logs[d]->lines.size(); ++m) {
                    const CheckedLine& theirs = p.Line(d, m);
                    const int64_t apart = std::llabs(theirs.minute - line.minute);
                    if (p.Unpaired(d, m) && theirs.band == line.band &&
                        p.Call(d, m) == p.logs[a]->call && apart <= p.rules.timeWindowMinutes) {
                        candidates.push_back({demotes, apart, edits, a, l, d, m});
                    }
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
        return std::tie(x.demotes, x.apart, x.edits, x.a, x.l, x.d, x.m) <
               std::tie(y.demotes, y.apart, y.edits, y.a, y.l, y.d, y.m);
    });
    for (const Candidate& c : candidates) {
        if (p.rules.callDistance > 0 && p.Unpaired(c.a, c.l) && p.Unpaired(c.d, c.m)) {
            p.Pair(c.a, c.l, c.d, c.m, LineStatus::kBustedCall, LineStatus::kPartnerBustedCall);
        }
    }
}

// Of a log's lines with one call on one band that their own log left to the
// check: the earliest the partner backs counts, else the earliest; the
// others are dupes.
void DecideDupes(Plain& p) {
    for (std::size_t a = 0; a < p.logs.size(); ++a) {
        const std::size_t count = p.logs[a]->lines.size();
        for (std::size_t l = 0; l < count; ++l) {
            if (adjudication::IsOwnLogStatus(p.status[a][l])) {
                continue;
            }
            std::size_t counted = kNone;
            bool backed = false;
            for (std::size_t k = 0; k < count; ++k) {
                const CheckedLine& other = p.Line(a, k);
                if (adjudication::IsOwnLogStatus(p.status[a][k]) ||
                    other.band != p.Line(a, l).band || p.Call(a, k) != p.Call(a, l)) {
                    continue;
                }
                const bool kBacked = p.status[a][k] == LineStatus::kConfirmed ||
                                     p.status[a][k] == LineStatus::kPartnerBustedCall;
                if (counted == kNone || (kBacked && !backed) ||
                    (kBacked == backed && p.When(a, k) < p.When(a, counted))) {
                    counted = k;
                    backed = kBacked;
                }
            }
            if (counted != l) {
                p.status[a][l] = LineStatus::kDupe;
            }
        }
    }
}

void DecideTheRest(Plain& p) {
    std::map<std::string_view, int> appearances;
    for (std::size_t a = 0; a < p.logs.size(); ++a) {
        std::map<std::string_view, bool> seen;
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            if (p.Line(a, l).Counts() && !seen[p.Call(a, l)]) {
                seen[p.Call(a, l)] = true;
                ++appearances[p.Call(a, l)];
            }
        }
    }
    for (std::size_t a = 0; a < p.logs.size(); ++a) {
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            if (p.status[a][l] == LineStatus::kPending) {
                p.status[a][l] = p.EntrantOf(p.Call(a, l)) < p.logs.size() ? LineStatus::kNil
                                 : appearances[p.Call(a, l)] >= p.rules.minAppearances
                                     ? LineStatus::kNoLogCredited
                                     : LineStatus::kUnique;
            }
        }
    }
}

}  // namespace

std::vector<std::vector<LineStatus>> PlainCheck(const std::vector<LogFile>& files,
                                                const adjudication::CheckRules& rules) {
    Plain p;
    p.rules = rules;
    ChooseLogs(p, files);
    p.status.resize(p.logs.size());
    p.paired.resize(p.logs.size());
    for (std::size_t a = 0; a < p.logs.size(); ++a) {
        const auto& lines = p.logs[a]->lines;
        p.paired[a].assign(lines.size(), Place{});
        p.status[a].assign(lines.size(), LineStatus::kPending);
        const adjudication::LogCategory& category = p.logs[a]->category;
        const bool singleBand = category.Of(adjudication::CategoryPart::kBand) != "ALL" &&
                                category.EntryBand(rules.categories) != logfile::kNoBand;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const CheckedLine& line = lines[l];
            if (line.xQso) {
                p.status[a][l] = LineStatus::kXQso;
            } else if (line.mode != logfile::CabrilloMode::kCw) {
                p.status[a][l] = LineStatus::kNotCw;
            } else if ((rules.start && line.minute < *rules.start) ||
                       (rules.end && line.minute >= *rules.end)) {
                p.status[a][l] = LineStatus::kOutOfPeriod;
            } else if (singleBand && line.band != category.EntryBand(rules.categories)) {
                p.status[a][l] = LineStatus::kOtherBand;
            }
        }
    }
    Match(p);
    FindBustedCalls(p);
    DecideDupes(p);
    DecideTheRest(p);
    return p.status;
}

}  // namespace zelk::bench
