// The Cabrillo QSO lines: one contact's, and a whole log's.
#include <charconv>

#include "cabrillo/cabrillo_log.h"
#include "log/qso_log.h"

namespace zelk {

std::string WidenExchange(std::string_view exchange) {
    const std::size_t blank = exchange.find(' ');
    if (blank == std::string_view::npos) {
        return "  " + std::string(exchange);
    }
    std::string widened(exchange.substr(0, blank));
    widened += "  ";
    widened += exchange.substr(blank + 1);
    return widened;
}

namespace {

// A %s conversion ends at the first zero byte.
std::string_view AsPrinted(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

void AppendPadded(std::string& line, std::string_view text, std::size_t width, bool left) {
    const std::size_t fill = text.size() < width ? width - text.size() : 0;
    if (!left) {
        line.append(fill, ' ');
    }
    line += text;
    if (left) {
        line.append(fill, ' ');
    }
}

}  // namespace

// The line is laid out by hand, exactly as kQsoLineFormat lays it out: a
// result build makes one line per contact, and printf would be the larger
// part of the cost.
void CCabrilloLog::AddQsoLine(std::string_view call, int32_t freqKHz, std::string_view modeCode,
                              const OleDateTime& time, std::string_view exchSent,
                              std::string_view exchRcvd) {
    const std::string dateTime = FormatDateTime(time, "%Y-%m-%d %H%M");
    const std::string sent = WidenExchange(exchSent);
    const std::string received = WidenExchange(exchRcvd);
    char digits[16];
    const std::to_chars_result frequency = std::to_chars(digits, digits + sizeof digits, freqKHz);

    std::string line;
    line.reserve(64 + m_strCallsign.size() + sent.size() + call.size() + received.size());
    line += "QSO: ";
    AppendPadded(line, std::string_view(digits, frequency.ptr - digits), 5, false);
    line += ' ';
    AppendPadded(line, AsPrinted(modeCode), 2, false);
    line += ' ';
    line += AsPrinted(dateTime);
    line += ' ';
    AppendPadded(line, AsPrinted(m_strCallsign), 13, true);
    line += ' ';
    AppendPadded(line, AsPrinted(sent), 5, true);
    line += "   ";
    AppendPadded(line, AsPrinted(call), 12, true);
    line += "  ";
    line += AsPrinted(received);
    line += "\r\n";
    m_arrQsoLines.push_back(std::move(line));
}

void CCabrilloLog::AddQsoLines(const QsoLog& log) {
    m_arrQsoLines.reserve(m_arrQsoLines.size() + log.Count());
    log.ForEach([this](const QsoView& r) {
        AddQsoLine(r.Call(), r.FreqKHz(), kCabrilloModeCode, r.Time(), r.ExchSent(), r.ExchRcvd());
    });
}

}  // namespace zelk
