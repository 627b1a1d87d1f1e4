// RunHeaderDialog: the Cabrillo header loaded from the settings, reviewed by
// the operator and saved; and the soapbox's three forms.
#include "cabrillo/soapbox.h"
#include "plugin/module_state.h"
#include "plugin/settings.h"

namespace zelk {

std::string SoapboxFromSettings(std::string_view stored) {
    return ReplaceAll(ReplaceAll(stored, "<CR>", "\r"), "<LF>", "\n");
}

std::string SoapboxForSettings(std::string_view plain) {
    return ReplaceAll(ReplaceAll(plain, "\r", "<CR>"), "\n", "<LF>");
}

std::string SoapboxFileForm(std::string_view encoded) {
    return ReplaceAll(ReplaceAll(encoded, "<CR>", "\r\nSOAPBOX: "), "<LF>", "");
}

int CCabrilloLog::RunHeaderDialog(ModuleState& state, std::string_view callsign) {
    m_strCallsign = callsign;
    m_strFileBase = CabrilloFileBase(callsign);

    m_strOperators = ReadSetting(state, keys::kOperators, callsign);
    m_strName = ReadSetting(state, keys::kName, "");
    m_strAddress = ReadSetting(state, keys::kAddress, "");
    m_strAddressCity = ReadSetting(state, keys::kAddressCity, "");
    m_strAddressStateProvince = ReadSetting(state, keys::kAddressStProv, "");
    m_strAddressPostalCode = ReadSetting(state, keys::kAddressPostalCode, "");
    m_strAddressCountry = ReadSetting(state, keys::kAddressCountry, "");
    m_strClaimed = ReadSetting(state, keys::kClaimed, "");

    m_strContest = "ZELK";
    m_strCategoryOperator = "SINGLE-OP";
    m_strCategoryOverlay = "NONE";
    m_strCategoryMode = "CW";
    m_strCategoryBand = "ALL";
    m_strCategoryPower = "HIGH";
    m_strCategoryTransmitter = "ONE";
    m_strLocation = "DX";
    m_strCategoryStation = "FIXED";
    m_strCategoryAssisted = "NON-ASSISTED";

    m_strEmail = ReadSetting(state, keys::kEmail, "");
    m_strClub = ReadSetting(state, keys::kClub, "");
    m_strSoapbox = SoapboxFromSettings(ReadSetting(state, keys::kSoapBox, ""));

    Cabrillo dialog;
    static_cast<CabrilloHeaderFields&>(dialog) = *this;
    if (dialog.DoModal(state.platform()) != 1) {
        // The file is still written at result time; its soapbox lines must
        // carry their tag on this path too.
        m_strSoapbox = SoapboxFileForm(SoapboxForSettings(m_strSoapbox));
        return 0;
    }
    const std::string claimed = std::move(m_strClaimed);
    static_cast<CabrilloHeaderFields&>(*this) = dialog;
    m_strClaimed = claimed;

    m_strSoapbox = SoapboxForSettings(m_strSoapbox);
    WriteSetting(state, keys::kOperators, m_strOperators);
    WriteSetting(state, keys::kName, m_strName);
    WriteSetting(state, keys::kAddress, m_strAddress);
    WriteSetting(state, keys::kAddressCity, m_strAddressCity);
    WriteSetting(state, keys::kAddressStProv, m_strAddressStateProvince);
    WriteSetting(state, keys::kAddressPostalCode, m_strAddressPostalCode);
    WriteSetting(state, keys::kAddressCountry, m_strAddressCountry);
    WriteSetting(state, keys::kCategory, m_strCategoryOperator);
    WriteSetting(state, keys::kCategoryOverlay, m_strCategoryOverlay);
    WriteSetting(state, keys::kContest, m_strContest);
    WriteSetting(state, keys::kEmail, m_strEmail);
    WriteSetting(state, keys::kClub, m_strClub);
    WriteSetting(state, keys::kSoapBox, m_strSoapbox);
    m_strSoapbox = SoapboxFileForm(m_strSoapbox);
    m_arrQsoLines.clear();
    return 1;
}

}  // namespace zelk
