// The Cabrillo header: its 22 fields, and the dialog class Cabrillo
// (template 101) that shows them. The form table below is the one statement
// of the dialog's controls (tab order, labels, kinds, lists, enabled states)
// and of its data-exchange order; every platform's dialog is built from it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zelk {

// The 22 header fields in their declaration order.
struct CabrilloHeaderFields {
    std::string m_strCallsign;
    std::string m_strName;
    std::string m_strAddress;
    std::string m_strAddressCity;
    std::string m_strAddressStateProvince;
    std::string m_strAddressPostalCode;
    std::string m_strAddressCountry;
    std::string m_strClaimed;
    std::string m_strContest;
    std::string m_strEmail;
    std::string m_strClub;
    std::string m_strSoapbox;
    std::string m_strOperators;
    std::string m_strCategoryOperator;
    std::string m_strCategoryStation;
    std::string m_strCategoryOverlay;
    std::string m_strCategoryMode;
    std::string m_strCategoryBand;
    std::string m_strCategoryAssisted;
    std::string m_strCategoryTransmitter;
    std::string m_strCategoryPower;
    std::string m_strLocation;
};

// The dialog itself: the platform shows it (Platform::RunHeaderDialog) and
// returns the id of the button that ended it (1 for OK).
class Cabrillo : public CabrilloHeaderFields {
  public:
    static constexpr const char* kCaption = "ZELK Contest ";
};

enum class ControlKind {
    Edit,           // single-line edit box
    MultiLineEdit,  // the soapbox: Enter inserts a line break
    ComboBox,       // editable drop-down combo box
};

struct HeaderControl {
    int id;
    std::string_view label;
    ControlKind kind;
    std::string CabrilloHeaderFields::*field;
    std::span<const std::string_view> items;  // combo boxes: the list in the order added
    bool sorted;                              // the combo box displays its list sorted
    bool enabled;
};

// The 22 controls in creation order, which is the dialog's tab order.
std::span<const HeaderControl> HeaderControlsInTabOrder();

// The control ids in the order of the dialog's data exchange.
std::span<const int> HeaderExchangeOrder();

const HeaderControl& HeaderControlById(int id);

// The list item a combo box selects when it opens on `value`: the first item
// that begins with `value`, compared without regard to case; nullptr when
// none does (the box then shows the value as typed).
const std::string_view* OpeningSelection(const HeaderControl& control, std::string_view value);

// The fields as the dialog shows them when it opens: each combo box shows
// its opening selection in place of the value it was given.
void TakeOpeningSelections(CabrilloHeaderFields& fields);

}  // namespace zelk
