// The plain contest check: linear searches throughout.
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

struct Plain {
    std::vector<const LogFile*> logs;  // by call
    std::vector<std::vector<LineStatus>> status;
    adjudication::CheckRules rules;

    std::string_view Call(std::size_t log, std::size_t line) const {
        return logs[log]->CallText(logs[log]->lines[line]);
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
    // The partner's line with `call` on the band that counts and is no dupe
    // (and is not matched yet, when asked), searched from the front.
    std::size_t LineWith(std::size_t log, std::string_view call, const CheckedLine& ours,
                         bool unmatched) const {
        for (std::size_t l = 0; l < logs[log]->lines.size(); ++l) {
            const LineStatus s = status[log][l];
            const bool counts = unmatched ? s == LineStatus::kPending
                                          : s != LineStatus::kXQso && s != LineStatus::kNotCw &&
                                                s != LineStatus::kDupe;
            if (counts && logs[log]->lines[l].band == ours.band && Call(log, l) == call) {
                return l;
            }
        }
        return SIZE_MAX;
    }
};

}  // namespace

std::vector<std::vector<LineStatus>> PlainCheck(const std::vector<LogFile>& files,
                                                const adjudication::CheckRules& rules) {
    Plain p;
    p.rules = rules;
    for (const LogFile& file : files) {
        if (!file.IsLog()) {
            continue;
        }
        const auto same = std::find_if(p.logs.begin(), p.logs.end(),
                                       [&](const LogFile* l) { return l->call == file.call; });
        if (same == p.logs.end()) {
            p.logs.push_back(&file);
        } else if (std::tie(file.modified, file.name) >
                   std::tie((*same)->modified, (*same)->name)) {
            *same = &file;
        }
    }
    std::sort(p.logs.begin(), p.logs.end(),
              [](const LogFile* a, const LogFile* b) { return a->call < b->call; });
    const std::size_t n = p.logs.size();
    p.status.resize(n);
    for (std::size_t a = 0; a < n; ++a) {
        const auto& lines = p.logs[a]->lines;
        p.status[a].assign(lines.size(), LineStatus::kPending);
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const CheckedLine& line = lines[l];
            if (line.xQso) {
                p.status[a][l] = LineStatus::kXQso;
                continue;
            }
            if (!line.Counts()) {
                p.status[a][l] = LineStatus::kNotCw;
                continue;
            }
            for (std::size_t k = 0; k < lines.size(); ++k) {
                const CheckedLine& other = lines[k];
                if (k != l && other.Counts() && other.band == line.band &&
                    p.Call(a, k) == p.Call(a, l) &&
                    std::tie(other.minute, other.lineNumber) <
                        std::tie(line.minute, line.lineNumber)) {
                    p.status[a][l] = LineStatus::kDupe;
                    break;
                }
            }
        }
    }
    const int64_t window = rules.timeWindowMinutes;
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            const CheckedLine& line = p.logs[a]->lines[l];
            const std::size_t b = p.EntrantOf(p.Call(a, l));
            if (p.status[a][l] != LineStatus::kPending || b == n || b == a ||
                line.band == logfile::kNoBand) {
                continue;
            }
            const std::size_t m = p.LineWith(b, p.logs[a]->call, line, false);
            if (m != SIZE_MAX && std::llabs(p.logs[b]->lines[m].minute - line.minute) <= window) {
                const CheckedLine& theirs = p.logs[b]->lines[m];
                p.status[a][l] = line.receivedSerial == theirs.sentSerial &&
                                         line.receivedCoordinate == theirs.sentCoordinate
                                     ? LineStatus::kConfirmed
                                     : LineStatus::kBustedExchange;
            }
        }
    }
    // Busted calls: every unmatched line against every entrant's log.
    struct Candidate {
        int64_t apart;
        int edits;
        std::size_t a, l, d, m;
    };
    std::vector<Candidate> candidates;
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            const CheckedLine& line = p.logs[a]->lines[l];
            if (p.status[a][l] != LineStatus::kPending || line.band == logfile::kNoBand) {
                continue;
            }
            for (std::size_t d = 0; d < n; ++d) {
                const int edits =
                    adjudication::EditDistance(p.Call(a, l), p.logs[d]->call, rules.callDistance);
                if (d == a || edits == 0 || edits > rules.callDistance) {
                    continue;
                }
                const std::size_t m = p.LineWith(d, p.logs[a]->call, line, true);
                if (m != SIZE_MAX) {
                    const int64_t apart = std::llabs(p.logs[d]->lines[m].minute - line.minute);
                    if (apart <= window) {
                        candidates.push_back({apart, edits, a, l, d, m});
                    }
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end(), [&](const Candidate& x, const Candidate& y) {
        return std::tie(x.apart, x.edits, x.a, x.l, x.d, x.m) <
               std::tie(y.apart, y.edits, y.a, y.l, y.d, y.m);
    });
    for (const Candidate& c : candidates) {
        if (p.status[c.a][c.l] == LineStatus::kPending &&
            p.status[c.d][c.m] == LineStatus::kPending) {
            p.status[c.a][c.l] = LineStatus::kBustedCall;
            p.status[c.d][c.m] = LineStatus::kPartnerBustedCall;
        }
    }
    std::map<std::string_view, int> appearances;
    for (std::size_t a = 0; a < n; ++a) {
        std::map<std::string_view, bool> seen;
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            if (p.logs[a]->lines[l].Counts() && !seen[p.Call(a, l)]) {
                seen[p.Call(a, l)] = true;
                ++appearances[p.Call(a, l)];
            }
        }
    }
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t l = 0; l < p.logs[a]->lines.size(); ++l) {
            if (p.status[a][l] == LineStatus::kPending) {
                p.status[a][l] = p.EntrantOf(p.Call(a, l)) < n ? LineStatus::kNil
                                 : appearances[p.Call(a, l)] >= rules.minAppearances
                                     ? LineStatus::kNoLogCredited
                                     : LineStatus::kUnique;
            }
        }
    }
    return p.status;
}

}  // namespace zelk::bench
