// The Cabrillo QSO line of one contact.
#include "cabrillo/cabrillo_log.h"
#include "scoring/report.h"

namespace zelk {

// Frequency, mode, date and time, own call, sent exchange, worked call and
// received exchange, in fixed columns when the values fit.
inline constexpr const char* kQsoLineFormat = "QSO: %5i %2s %s %-13s %-5s   %-12s  %s\r\n";

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

void CCabrilloLog::AddQsoLine(std::string_view call, int32_t freqKHz, std::string_view modeCode,
                              const OleDateTime& time, std::string_view exchSent,
                              std::string_view exchRcvd) {
    const std::string dateTime = FormatDateTime(time, "%Y-%m-%d %H%M");
    const std::string sent = WidenExchange(exchSent);
    const std::string received = WidenExchange(exchRcvd);
    m_arrQsoLines.push_back(FormatText(kQsoLineFormat, static_cast<int>(freqKHz),
                                       std::string(modeCode).c_str(), dateTime.c_str(),
                                       m_strCallsign.c_str(), sent.c_str(),
                                       std::string(call).c_str(), received.c_str()));
}

}  // namespace zelk
