// Station coordinate: parsing, formatting, reading and the setup dialog.
#include "plugin/station_coordinate.h"

#include <cstdlib>

#include "plugin/decimal.h"
#include "plugin/entry_points.h"
#include "plugin/master_dialog.h"
#include "plugin/module_state.h"
#include "plugin/settings.h"

namespace zelk {

Coordinate ParseCoordinate(std::string_view text) {
    Coordinate c;
    c.latitude = DecimalValue(text.substr(0, 2));
    std::size_t p = text.find('N');
    if (p == std::string_view::npos) {
        p = text.find('S');
    }
    c.longitude = DecimalValue(p == std::string_view::npos ? text : text.substr(p + 1));
    return c;
}

std::string FormatCoordinate(int32_t latitude, int32_t longitude) {
    // Magnitudes in 64 bits: the most negative 32-bit value has no 32-bit one.
    const int64_t lat = latitude;
    const int64_t lon = longitude;
    return std::to_string(lat < 0 ? -lat : lat) + (lat < 0 ? "S" : "N") +
           std::to_string(lon < 0 ? -lon : lon) + (lon < 0 ? "W" : "O");
}

void ReadStationCoordinate(ModuleState& state, double fallbackLat, double fallbackLong) {
    state.g_stationCoord = ReadSetting(state, keys::kSetupZelk, "");
    if (!state.g_stationCoord.empty()) {
        const Coordinate c = ParseCoordinate(state.g_stationCoord);
        state.g_stationLat = c.latitude;
        state.g_stationLong = c.longitude;
    } else {
        state.g_stationLat = TruncateDegrees(fallbackLat);
        state.g_stationLong = TruncateDegrees(fallbackLong);
    }
}

void SetupSet0(ModuleState& state) {
    Master dialog;
    dialog.m_strCoordinate = ReadSetting(state, keys::kSetupZelk, "");
    if (dialog.DoModal(state.platform()) != 1) {
        return;
    }
    if (!WriteSetting(state, keys::kSetupZelk, dialog.m_strCoordinate)) {
        // The operator typed a coordinate that would otherwise be lost unseen.
        state.platform().ShowMessage(MessageOwner::None,
                                     "The coordinate \"" + dialog.m_strCoordinate +
                                         "\" could not be saved in " + state.g_settingsFile + ".",
                                     Master::kCaption, MessageIcon::None);
    }
}

}  // namespace zelk
