// The Cabrillo header dialog's controls: tab order, labels, kinds, lists and
// enabled states, and the order of its data exchange.
#include "contest/cabrillo_dialog.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <vector>

#include "resource.h"

namespace zelk {
namespace {

using F = CabrilloHeaderFields;
using Items = std::span<const std::string_view>;

constexpr std::string_view kOperatorItems[] = {"SINGLE-OP", "MULTI-MULTI", "MULTI-OP", "CHECKLOG"};
constexpr std::string_view kBandItems[] = {"ALL", "80M", "40M", "20M", "15M", "10M"};
constexpr std::string_view kPowerItems[] = {"HIGH", "LOW", "QRP"};
constexpr std::string_view kTransmitterItems[] = {"ONE", "TWO", "UNLIMITED"};
constexpr std::string_view kOverlayItems[] = {"6-HOURS", "UNLIMITED"};
constexpr std::string_view kStationItems[] = {"FIXED",      "MOBILE", "PORTABLE", "ROVER",
                                              "EXPEDITION", "HQ",     "SCHOOL"};
constexpr std::string_view kAssistedItems[] = {"ASSISTED", "NON-ASSISTED"};
constexpr std::string_view kLocationItems[] = {
    "DX", "--/--", "AL", "AK", "AZ", "AR", "CA",  "CO", "CT", "DE", "FL", "GA", "ID",
    "IL", "IN",    "IA", "KS", "KY", "LA", "ME",  "MA", "MI", "MN", "MS", "MO", "MT",
    "NE", "NV",    "NH", "NJ", "NM", "NY", "NC",  "ND", "OH", "OK", "OR", "PA", "RI",
    "SC", "SD",    "TN", "TX", "UT", "VT", "VA",  "WA", "WV", "WI", "WY", "NB", "NS",
    "QC", "ON",    "MB", "SK", "AB", "BC", "NWT", "NF", "LB", "NU", "YT", "PEI"};
static_assert(std::size(kLocationItems) == 64);

const HeaderControl kControls[] = {
    {IDC_SOAPBOX, "SOAPBOX", ControlKind::MultiLineEdit, &F::m_strSoapbox, {}, false, true},
    {IDC_ADDRESS, "ADDRESS", ControlKind::Edit, &F::m_strAddress, {}, false, true},
    {IDC_EMAIL, "E-MAIL", ControlKind::Edit, &F::m_strEmail, {}, false, true},
    {IDC_CLUB, "CLUB", ControlKind::Edit, &F::m_strClub, {}, false, true},
    {IDC_OPERATORS, "OPERATORS", ControlKind::Edit, &F::m_strOperators, {}, false, true},
    {IDC_NAME, "NAME", ControlKind::Edit, &F::m_strName, {}, false, true},
    {IDC_CLAIMED, "CLAIMED", ControlKind::Edit, &F::m_strClaimed, {}, false, true},
    {IDC_CONTEST, "CONTEST", ControlKind::Edit, &F::m_strContest, {}, false, true},
    {IDC_CALLSIGN, "CALLSIGN", ControlKind::Edit, &F::m_strCallsign, {}, false, true},
    {IDC_CATEGORY_OPERATOR, "CATEGORY-OPERATOR", ControlKind::ComboBox, &F::m_strCategoryOperator,
     Items(kOperatorItems), false, true},
    {IDC_CATEGORY_BAND, "CATEGORY-BAND", ControlKind::ComboBox, &F::m_strCategoryBand,
     Items(kBandItems), false, true},
    {IDC_CATEGORY_MODE, "CATEGORY-MODE", ControlKind::Edit, &F::m_strCategoryMode, {}, false, true},
    {IDC_CATEGORY_POWER, "CATEGORY-POWER", ControlKind::ComboBox, &F::m_strCategoryPower,
     Items(kPowerItems), true, true},
    {IDC_CATEGORY_TRANSMITTER, "CATEGORY-TRANSMITTER", ControlKind::ComboBox,
     &F::m_strCategoryTransmitter, Items(kTransmitterItems), true, true},
    {IDC_CATEGORY_OVERLAY, "CATEGORY-OVERLAY", ControlKind::ComboBox, &F::m_strCategoryOverlay,
     Items(kOverlayItems), true, false},
    {IDC_LOCATION, "LOCATION", ControlKind::ComboBox, &F::m_strLocation, Items(kLocationItems),
     false, false},
    {IDC_ADDRESS_CITY, "ADDRESS-CITY", ControlKind::Edit, &F::m_strAddressCity, {}, false, true},
    {IDC_ADDRESS_ST_PROV,
     "ADDRESS-STATE-PROVINCE",
     ControlKind::Edit,
     &F::m_strAddressStateProvince,
     {},
     false,
     true},
    {IDC_ADDRESS_POSTALCODE,
     "ADDRESS-POSTALCODE",
     ControlKind::Edit,
     &F::m_strAddressPostalCode,
     {},
     false,
     true},
    {IDC_ADDRESS_COUNTRY,
     "ADDRESS-COUNTRY",
     ControlKind::Edit,
     &F::m_strAddressCountry,
     {},
     false,
     true},
    {IDC_CATEGORY_STATION, "CATEGORY-STATION", ControlKind::ComboBox, &F::m_strCategoryStation,
     Items(kStationItems), true, false},
    {IDC_CATEGORY_ASSISTED, "CATEGORY-ASSISTED", ControlKind::ComboBox, &F::m_strCategoryAssisted,
     Items(kAssistedItems), false, false},
};
static_assert(std::size(kControls) == 22);

constexpr int kExchangeOrder[] = {IDC_CALLSIGN,
                                  IDC_CLAIMED,
                                  IDC_CLUB,
                                  IDC_CATEGORY_OPERATOR,
                                  IDC_CONTEST,
                                  IDC_EMAIL,
                                  IDC_NAME,
                                  IDC_OPERATORS,
                                  IDC_SOAPBOX,
                                  IDC_ADDRESS,
                                  IDC_CATEGORY_BAND,
                                  IDC_CATEGORY_MODE,
                                  IDC_CATEGORY_TRANSMITTER,
                                  IDC_CATEGORY_OVERLAY,
                                  IDC_LOCATION,
                                  IDC_ADDRESS_CITY,
                                  IDC_ADDRESS_ST_PROV,
                                  IDC_ADDRESS_POSTALCODE,
                                  IDC_ADDRESS_COUNTRY,
                                  IDC_CATEGORY_STATION,
                                  IDC_CATEGORY_ASSISTED,
                                  IDC_CATEGORY_POWER};
static_assert(std::size(kExchangeOrder) == 22);

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool BeginsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

}  // namespace

std::span<const HeaderControl> HeaderControlsInTabOrder() {
    return kControls;
}

std::span<const int> HeaderExchangeOrder() {
    return kExchangeOrder;
}

const HeaderControl& HeaderControlById(int id) {
    for (const HeaderControl& control : kControls) {
        if (control.id == id) {
            return control;
        }
    }
    throw std::invalid_argument("no such header control");
}

const std::string_view* OpeningSelection(const HeaderControl& control, std::string_view value) {
    // A sorted box searches its list in the order it displays it.
    std::vector<const std::string_view*> shown;
    for (const std::string_view& item : control.items) {
        shown.push_back(&item);
    }
    if (control.sorted) {
        std::stable_sort(shown.begin(), shown.end(),
                         [](const std::string_view* a, const std::string_view* b) {
                             return LessIgnoringCase(*a, *b);
                         });
    }
    for (const std::string_view* item : shown) {
        if (BeginsWithIgnoringCase(*item, value)) {
            return item;
        }
    }
    return nullptr;
}

void TakeOpeningSelections(CabrilloHeaderFields& fields) {
    for (const HeaderControl& control : kControls) {
        if (control.kind != ControlKind::ComboBox) {
            continue;
        }
        std::string& value = fields.*control.field;
        if (const std::string_view* item = OpeningSelection(control, value)) {
            value = std::string(*item);
        }
    }
}

}  // namespace zelk
