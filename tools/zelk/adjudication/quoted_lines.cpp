// The quoted lines gathered: which lines, then each log's read again.
#include "adjudication/quoted_lines.h"

#include <algorithm>
#include <stdexcept>

#include "adjudication/report_text.h"
#include "platform/files.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

// One log's quoted lines, and why it could not be read again.
struct LogQuotes {
    std::vector<uint32_t> numbers;
    std::vector<uint32_t> ends;
    std::string bytes;
    std::string problem;
};

// Every contest-wide line number a report quotes, marked.
std::vector<bool> QuotedNumbers(const ContestCheck& contest) {
    std::vector<bool> quoted(contest.lineStarts.empty() ? 0 : contest.lineStarts.back());
    for (const Entrant& entrant : contest.entrants) {
        for (uint32_t i = 0; i < entrant.log.lines.size(); ++i) {
            const CheckedLine& line = entrant.log.lines[i];
            const uint32_t number = entrant.firstLine + i;
            if (ListedInReport(line, contest.DecisionOn(number))) {
                quoted[number] = true;
                if (line.decidedBy != kNoLine && line.decidedBy < quoted.size()) {
                    quoted[line.decidedBy] = true;
                }
            }
        }
    }
    return quoted;
}

// The log's lines marked in `quoted`, from its bytes: the same lines, by
// number, the reader read.
void Gather(const Entrant& entrant, const std::vector<bool>& quoted, std::string_view bytes,
            LogQuotes& quotes) {
    const std::vector<CheckedLine>& lines = entrant.log.lines;
    logfile::CabrilloLines split(bytes);
    std::string_view text;
    std::size_t begin = 0;
    std::string capitals;
    for (uint32_t i = 0; i < lines.size(); ++i) {
        if (!quoted[entrant.firstLine + i]) {
            continue;
        }
        while (split.Number() < lines[i].lineNumber && split.Next(text, begin)) {
        }
        if (split.Number() != lines[i].lineNumber) {
            break;  // the bytes end before the line: not the log that was read
        }
        capitals.assign(text);
        logfile::ToCapitals(capitals.data(), capitals.size());
        quotes.numbers.push_back(entrant.firstLine + i);
        quotes.bytes += QuotedLine(capitals);
        quotes.ends.push_back(static_cast<uint32_t>(quotes.bytes.size()));
    }
}

}  // namespace

QuotedLines QuotedLines::Of(const ContestCheck& contest, unsigned threads) {
    const std::vector<bool> quoted = QuotedNumbers(contest);
    std::vector<LogQuotes> logs(contest.entrants.size());
    std::vector<std::string> buffers(std::max(threads, 1u));
    InParallelOnThreads(
        contest.entrants.size(), threads,
        [&](std::size_t e, unsigned thread) {
            const Entrant& entrant = contest.entrants[e];
            const LineSource& source = entrant.log.source;
            const auto first = quoted.begin() + entrant.firstLine;
            if (std::find(first, first + static_cast<std::ptrdiff_t>(entrant.log.lines.size()),
                          true) == first + static_cast<std::ptrdiff_t>(entrant.log.lines.size())) {
                return;
            }
            if (source.bytes != nullptr) {
                Gather(entrant, quoted, *source.bytes, logs[e]);
                return;
            }
            std::string& bytes = buffers[thread];
            const FileRead read = ReadFileWhole(source.path, kMaxLogBytes, bytes);
            if (read.error) {
                logs[e].problem =
                    PrintableName(entrant.log.name) +
                    ": cannot be read again to quote its lines: " + read.error.message();
            } else if (read.changed || !read.regular || read.tooLarge ||
                       read.identity != source.identity) {
                logs[e].problem = PrintableName(entrant.log.name) +
                                  ": the file changed after the check read it, so its lines "
                                  "cannot be quoted; check the contest again";
            } else {
                Gather(entrant, quoted, bytes, logs[e]);
            }
        },
        [](std::size_t) {});
    QuotedLines lines;
    for (LogQuotes& log : logs) {
        if (!log.problem.empty()) {
            throw std::runtime_error(log.problem);
        }
    }
    lines.m_logs.reserve(logs.size());
    for (LogQuotes& log : logs) {
        lines.m_logs.push_back({std::move(log.numbers), std::move(log.ends), std::move(log.bytes)});
    }
    lines.m_starts = contest.lineStarts;
    return lines;
}

std::string_view QuotedLines::Text(uint32_t number) const {
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), number);
    if (after == m_starts.begin() || after == m_starts.end()) {
        return {};
    }
    const Log& log = m_logs[static_cast<std::size_t>(after - m_starts.begin()) - 1];
    const auto at = std::lower_bound(log.numbers.begin(), log.numbers.end(), number);
    if (at == log.numbers.end() || *at != number) {
        return {};
    }
    const auto i = static_cast<std::size_t>(at - log.numbers.begin());
    const uint32_t begin = i == 0 ? 0 : log.ends[i - 1];
    return std::string_view(log.bytes).substr(begin, log.ends[i] - begin);
}

}  // namespace zelk::adjudication
