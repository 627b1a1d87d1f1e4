// The station coordinate: reading it, and the setup dialog.
#include "plugin/station_coordinate.h"

#include "plugin/entry_points.h"
#include "plugin/module_state.h"

namespace zelk {

void ReadStationCoordinate(ModuleState& state, double fallbackLat, double fallbackLong) {
    state.g_stationCoord = state.settings().Read(keys::kSetupZelk, "");
    const Coordinate station = StationCoordinate(state.g_stationCoord, fallbackLat, fallbackLong);
    state.g_stationLat = station.latitude;
    state.g_stationLong = station.longitude;
}

void SetupSet0(ModuleState& state) {
    Settings settings = state.settings();
    Master dialog;
    dialog.m_strCoordinate = settings.Read(keys::kSetupZelk, "");
    if (state.platform().RunSetupDialog(dialog) != 1) {
        return;
    }
    if (!settings.Write(keys::kSetupZelk, dialog.m_strCoordinate)) {
        // The operator typed a coordinate that would otherwise be lost unseen.
        state.platform().ShowMessage(MessageOwner::None,
                                     "The coordinate \"" + dialog.m_strCoordinate +
                                         "\" could not be saved in " + state.g_settingsFile + ".",
                                     Master::kCaption, MessageIcon::None);
    }
}

}  // namespace zelk
