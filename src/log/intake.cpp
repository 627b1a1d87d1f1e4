// AddData0 and RemoveData0: admitting, normalising, storing and deleting
// contacts.
#include "log/intake.h"

#include "log/error_file.h"
#include "plugin/entry_points.h"
#include "plugin/station_coordinate.h"

namespace zelk {

inline constexpr std::string_view kContestMode = "CW";

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

int AddData0(ModuleState& state, const ContactArgs& args) {
    Platform& platform = state.platform();
    if (args.mode != kContestMode) {
        AppendErrorLine(platform, RefusedContactLine(args, kWrongModeMessage));
        return 0;
    }
    if (args.exchRcvd.empty() || args.exchSent.empty()) {
        AppendErrorLine(platform, RefusedContactLine(args, kMissingExchangeMessage));
        return 0;
    }
    // Every intake leaves the error file in place, even when it adds no line.
    TouchErrorFile(platform);

    if (!state.g_groupList.Contains(args.group)) {
        state.g_groupList.Append(args.group);
    }
    CInfo record;
    record.m_time = args.time;
    record.m_strCall = args.call;
    record.m_strGroup = args.group;
    record.m_strMode = args.mode;
    record.m_strAux2 = args.aux2;
    record.m_strRstRcvd = args.rstRcvd;
    record.m_strRstSent = args.rstSent;
    record.m_strExchRcvd = NormaliseReceivedExchange(args.exchRcvd);
    if (state.g_stationCoord.empty()) {
        state.g_stationCoord = FormatCoordinate(state.g_stationLat, state.g_stationLong);
    }
    record.m_strExchSent = std::string(args.exchSent) + ' ' + state.g_stationCoord;
    record.m_strAux1 = args.aux1;
    record.m_nFreqKHz = static_cast<int32_t>(args.freqHz / 1000u);

    // The score follows the log record by record from the station of this run.
    state.g_scoreTally.UseStation(state.g_qsoLog, state.g_stationLat, state.g_stationLong);
    state.g_qsoLog.AppendUnlessStored(record);
    return 1;
}

int RemoveData0(ModuleState& state, const ContactArgs& args) {
    if (args.exchRcvd.empty() || args.exchSent.empty()) {
        return 0;
    }
    state.g_qsoLog.RemoveFirstWithKey(args.call, args.mode, args.group);
    return 1;
}

}  // namespace zelk
