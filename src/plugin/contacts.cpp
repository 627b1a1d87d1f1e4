// AddData0 and RemoveData0: a contact into the module's log, and out of it.
#include "contest/coordinate.h"
#include "log/error_file.h"
#include "log/intake.h"
#include "plugin/entry_points.h"

namespace zelk {

int AddData0(ModuleState& state, const ContactArgs& args) {
    Platform& platform = state.platform();
    if (const std::optional<std::string_view> refusal = IntakeRefusal(args)) {
        AppendErrorLine(platform, RefusedContactLine(args, *refusal));
        return 0;
    }
    // Every intake leaves the error file in place, even when it adds no line.
    TouchErrorFile(platform);

    if (!state.g_groupList.Contains(args.group)) {
        state.g_groupList.Append(args.group);
    }
    if (state.g_stationCoord.empty()) {
        state.g_stationCoord = FormatCoordinate(state.g_stationLat, state.g_stationLong);
    }
    const CInfo record = ContactRecord(args, state.g_stationCoord);

    // The score follows the log record by record from the station of this run.
    state.g_scoreTally.UseStation(state.g_qsoLog, state.station());
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
