// The settings file: where it is ("Plugins\ZELK.ini", section "Settings")
// and every key the plug-in reads or writes there.
#pragma once

#include <string_view>

namespace zelk {

inline constexpr std::string_view kSettingsFile = "Plugins\\ZELK.ini";
inline constexpr std::string_view kSettingsSection = "Settings";

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

}  // namespace zelk
