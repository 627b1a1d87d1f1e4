// Intake: refusal, normalisation and the stored record.
#include "log/intake.h"

#include "log/error_file.h"

namespace zelk {

std::optional<std::string_view> IntakeRefusal(const ContactArgs& args) {
    if (args.mode != kContestMode) {
        return kWrongModeMessage;
    }
    if (args.exchRcvd.empty() || args.exchSent.empty()) {
        return kMissingExchangeMessage;
    }
    return std::nullopt;
}

std::string NormaliseReceivedExchange(std::string_view exchange) {
    if (exchange.find(' ') != std::string_view::npos) {
        return std::string(exchange);
    }
    std::size_t p = exchange.find('N');
    if (p == std::string_view::npos) {
        p = exchange.find('S');
    }
    if (p == std::string_view::npos || p < 3 || p > 6) {
        return std::string(exchange);
    }
    const std::string_view serial = exchange.substr(0, p - 2);
    const std::string_view coordinate = exchange.substr(p - 2);
    std::string stored(serial.size() < 3 ? 3 - serial.size() : 0, '0');
    stored += serial;
    stored += ' ';
    stored += coordinate;
    return stored;
}

std::string SentExchange(std::string_view serial, std::string_view stationCoordinate) {
    std::string sent;
    sent.reserve(serial.size() + 1 + stationCoordinate.size());
    sent += serial;
    sent += ' ';
    sent += stationCoordinate;
    return sent;
}

CInfo ContactRecord(const ContactArgs& args, std::string_view stationCoordinate) {
    CInfo record;
    record.m_time = args.time;
    record.m_strCall = args.call;
    record.m_strGroup = args.group;
    record.m_strMode = args.mode;
    record.m_strAux2 = args.aux2;
    record.m_strRstRcvd = args.rstRcvd;
    record.m_strRstSent = args.rstSent;
    record.m_strExchRcvd = NormaliseReceivedExchange(args.exchRcvd);
    record.m_strExchSent = SentExchange(args.exchSent, stationCoordinate);
    record.m_strAux1 = args.aux1;
    record.m_nFreqKHz = static_cast<int32_t>(args.freqHz / 1000u);
    return record;
}

}  // namespace zelk
