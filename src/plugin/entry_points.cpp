// The set table and ResetStats0, the start of a contest run.
#include "plugin/entry_points.h"

#include "log/error_file.h"
#include "plugin/reference_list.h"
#include "plugin/station_coordinate.h"

namespace zelk {

std::string_view TextFromHost(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

ResetArgs ResetFromHost(int cabrilloWanted, const char* contestant,
                        const ZelkOleDateTime* contestTime, double fallbackLat,
                        double fallbackLong) {
    ResetArgs args;
    args.cabrilloWanted = cabrilloWanted;
    args.contestant = TextFromHost(contestant);
    args.contestTime = OleDateTime::FromHost(contestTime);
    args.fallbackLat = fallbackLat;
    args.fallbackLong = fallbackLong;
    return args;
}

ContactArgs ContactFromHost(const char* ownCall, const char* call, const ZelkOleDateTime* time,
                            unsigned int freqHz, const char* mode, const char* rstSent,
                            const char* rstRcvd, const char* exchSent, const char* exchRcvd,
                            const char* aux1, const char* aux2, const char* group) {
    ContactArgs args;
    args.ownCall = TextFromHost(ownCall);
    args.call = TextFromHost(call);
    args.time = OleDateTime::FromHost(time);
    args.freqHz = freqHz;
    args.mode = TextFromHost(mode);
    args.rstSent = TextFromHost(rstSent);
    args.rstRcvd = TextFromHost(rstRcvd);
    args.exchSent = TextFromHost(exchSent);
    args.exchRcvd = TextFromHost(exchRcvd);
    args.aux1 = TextFromHost(aux1);
    args.aux2 = TextFromHost(aux2);
    args.group = TextFromHost(group);
    return args;
}

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
        Settings settings = state.settings();
        state.g_cabrilloLog.RunHeaderDialog(state.platform(), settings, args.contestant);
    }
    return 1;
}

}  // namespace zelk
