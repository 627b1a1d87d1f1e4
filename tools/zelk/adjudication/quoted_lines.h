// The QSO lines the entrants' reports quote, read again from their logs
// once the check is done. The check keeps no log's bytes (they would be
// most of its memory); a report quotes the lines it lists and, beside each,
// the line of another log (or of its own) that decided it. A log read from
// a file is read again only when the file is still the one read (its
// identity: device, number, size, write and change times); otherwise the
// results are not written, since they would quote what the check never saw.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/contest_check.h"
#include "adjudication/in_parallel.h"

namespace zelk::adjudication {

// Whether the entrant's report lists its line (with the decision applied
// to it, null for none): every line but those confirmed and those that
// cannot be read (listed apart), unless the adjudicator decided it.
inline bool ListedInReport(const CheckedLine& line, const Decision* decision) {
    return (line.status != LineStatus::kConfirmed && !line.unreadable) || decision != nullptr;
}

class QuotedLines {
  public:
    // Reads every line the reports quote, the logs on `threads` threads.
    // Throws std::runtime_error naming the file when a log's file is not
    // the one that was read, or cannot be read again.
    static QuotedLines Of(const ContestCheck& contest, unsigned threads = kCheckThreads);

    // A quoted line as a report shows it (QuotedLine) by its contest-wide
    // number; empty for a line no report quotes.
    std::string_view Text(uint32_t number) const;

  private:
    // One entrant's quoted lines: their numbers, ascending, and their texts
    // one after another.
    struct Log {
        std::vector<uint32_t> numbers;
        std::vector<uint32_t> ends;  // of each one's text in `bytes`
        std::string bytes;
    };
    std::vector<Log> m_logs;         // per entrant
    std::vector<uint32_t> m_starts;  // ContestCheck::lineStarts
};

}  // namespace zelk::adjudication
