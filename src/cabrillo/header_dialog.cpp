// RunHeaderDialog: the Cabrillo header loaded from the settings, reviewed by
// the operator and saved; and the soapbox's three forms.
#include "cabrillo/soapbox.h"
#include "contest/settings_keys.h"

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

int CCabrilloLog::RunHeaderDialog(Platform& platform, Settings& settings,
                                  std::string_view callsign) {
    m_strCallsign = callsign;
    m_strFileBase = CabrilloFileBase(callsign);

    m_strOperators = settings.Read(keys::kOperators, callsign);
    m_strName = settings.Read(keys::kName, "");
    m_strAddress = settings.Read(keys::kAddress, "");
    m_strAddressCity = settings.Read(keys::kAddressCity, "");
    m_strAddressStateProvince = settings.Read(keys::kAddressStProv, "");
    m_strAddressPostalCode = settings.Read(keys::kAddressPostalCode, "");
    m_strAddressCountry = settings.Read(keys::kAddressCountry, "");
    m_strClaimed = settings.Read(keys::kClaimed, "");

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

    m_strEmail = settings.Read(keys::kEmail, "");
    m_strClub = settings.Read(keys::kClub, "");
    m_strSoapbox = SoapboxFromSettings(settings.Read(keys::kSoapBox, ""));

    Cabrillo dialog;
    static_cast<CabrilloHeaderFields&>(dialog) = *this;
    if (platform.RunHeaderDialog(dialog) != 1) {
        // The file is still written at result time; its soapbox lines must
        // carry their tag on this path too.
        m_strSoapbox = SoapboxFileForm(SoapboxForSettings(m_strSoapbox));
        return 0;
    }
    const std::string claimed = std::move(m_strClaimed);
    static_cast<CabrilloHeaderFields&>(*this) = dialog;
    m_strClaimed = claimed;

    m_strSoapbox = SoapboxForSettings(m_strSoapbox);
    settings.Write(keys::kOperators, m_strOperators);
    settings.Write(keys::kName, m_strName);
    settings.Write(keys::kAddress, m_strAddress);
    settings.Write(keys::kAddressCity, m_strAddressCity);
    settings.Write(keys::kAddressStProv, m_strAddressStateProvince);
    settings.Write(keys::kAddressPostalCode, m_strAddressPostalCode);
    settings.Write(keys::kAddressCountry, m_strAddressCountry);
    settings.Write(keys::kCategory, m_strCategoryOperator);
    settings.Write(keys::kCategoryOverlay, m_strCategoryOverlay);
    settings.Write(keys::kContest, m_strContest);
    settings.Write(keys::kEmail, m_strEmail);
    settings.Write(keys::kClub, m_strClub);
    settings.Write(keys::kSoapBox, m_strSoapbox);
    m_strSoapbox = SoapboxFileForm(m_strSoapbox);
    m_arrQsoLines.clear();
    return 1;
}

}  // namespace zelk
