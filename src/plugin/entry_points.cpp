// The set table and ResetStats0, the start of a contest run.
#include "plugin/entry_points.h"

#include "log/error_file.h"
#include "plugin/reference_list.h"
#include "plugin/station_coordinate.h"

namespace zelk {

int GetNumberOfSets() {
    return 1;
}

const char* GetSetName(int index) {
    return index == 0 ? kSetName : "";
}

int ResetStats0(ModuleState& state, const ResetArgs& args) {
    state.g_contestDate = FormatDateTime(args.contestTime, "%d.%m.%Y");
    state.g_contestant = args.contestant;
    state.g_qsoLog.Empty();
    state.g_groupList.Empty();
    state.g_cabrilloWanted = args.cabrilloWanted;
    if (!LoadReferenceList(state)) {
        state.platform().ShowMessage(MessageOwner::None, std::string(kReferenceFileMissing),
                                     std::nullopt, MessageIcon::None);
        return 0;
    }
    ReadStationCoordinate(state, args.fallbackLat, args.fallbackLong);
    StartErrorFile(state.platform());
    if (state.g_cabrilloWanted != 0) {
        state.g_cabrilloLog.RunHeaderDialog(state, args.contestant);
    }
    return 1;
}

}  // namespace zelk
