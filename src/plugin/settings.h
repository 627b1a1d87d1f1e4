// The settings file "Plugins\ZELK.ini", section "Settings": every key the
// plug-in reads or writes, and the readers and writers that go through the
// shared read buffer.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelk {

struct ModuleState;

namespace keys {
inline constexpr std::string_view kSetupZelk = "Setup_ZELK";
inline constexpr std::string_view kClaimed = "Claimed";
inline constexpr std::string_view kMultiplier = "Multiplier";
inline constexpr std::string_view kOperators = "Operators";
inline constexpr std::string_view kName = "Name";
inline constexpr std::string_view kAddress = "Address";
inline constexpr std::string_view kAddressCity = "Address_City";
inline constexpr std::string_view kAddressStProv = "Address_St_Prov";
inline constexpr std::string_view kAddressPostalCode = "Address_PostalCode";
inline constexpr std::string_view kAddressCountry = "Address_Country";
inline constexpr std::string_view kEmail = "Email";
inline constexpr std::string_view kClub = "Club";
inline constexpr std::string_view kSoapBox = "SoapBox";
inline constexpr std::string_view kCategory = "Category";
inline constexpr std::string_view kCategoryOverlay = "Category_Overlay";
inline constexpr std::string_view kContest = "Contest";
}  // namespace keys

// Reads a key of section "Settings" into the shared read buffer and returns
// a copy of it. The whole value is read, however long.
std::string ReadSetting(ModuleState& state, std::string_view key, std::string_view fallback);

// Writes a key of section "Settings"; false when the store could not be written.
bool WriteSetting(ModuleState& state, std::string_view key, std::string_view value);

// Writes `value` as decimal text under `key` in `section` of `file`.
bool WriteSettingInt(Platform& platform, std::string section, std::string key, int value,
                     std::string file);

}  // namespace zelk
