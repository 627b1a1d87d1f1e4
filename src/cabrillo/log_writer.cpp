// WriteLogFile: the Cabrillo 3.0 file, and the host version for CREATED-BY.
#include <string>

#include "cabrillo/cabrillo_log.h"
#include "contest/settings_keys.h"

namespace zelk {

inline constexpr std::string_view kHostExecutableMark = "Vexa";
inline constexpr std::string_view kFileProduced = "File produced: ";

std::string FindHostVersion(Platform& platform) {
    for (const std::string& name : platform.ListExecutables()) {
        if (name.find(kHostExecutableMark) == std::string::npos) {
            continue;
        }
        const std::optional<FixedFileVersion> version = platform.ReadFixedFileVersion(name);
        if (!version) {
            return {};
        }
        const unsigned major = version->mostSignificant >> 16;
        const unsigned minor = version->mostSignificant & 0xFFFFu;
        const unsigned third = version->leastSignificant >> 16;
        return major == 2 ? std::to_string(major) + "." + std::to_string(minor)
                          : std::to_string(major) + "." + std::to_string(minor) + "." +
                                std::to_string(third);
    }
    return {};
}

CCabrilloLog::WriteOutcome CCabrilloLog::WriteLogFile(Platform& platform, Settings& settings,
                                                      int32_t claimedScore) {
    const std::string version = FindHostVersion(platform);
    std::size_t size = 1024 + m_strSoapbox.size();
    for (const std::string& line : m_arrQsoLines) {
        size += line.size();
    }
    std::string file;
    file.reserve(size);
    auto line = [&file](std::string_view tag, std::string_view value) {
        file += tag;
        file += value;
        file += "\r\n";
    };
    line("START-OF-LOG: 3.0", "");
    line("CONTEST: ZELK", "");
    line("CALLSIGN: ", m_strCallsign);
    line("CATEGORY-OPERATOR: ", m_strCategoryOperator);
    line("CATEGORY-BAND: ", m_strCategoryBand);
    line("CATEGORY-MODE: ", m_strCategoryMode);
    line("CATEGORY-POWER: ", m_strCategoryPower);
    line("CATEGORY-TRANSMITTER: ", m_strCategoryTransmitter);
    line("CLAIMED-SCORE: ", std::to_string(claimedScore));
    line("OPERATORS: ", m_strOperators);
    line("NAME: ", m_strName);
    line("ADDRESS: ", m_strAddress);
    line("ADDRESS-CITY: ", m_strAddressCity);
    line("ADDRESS-STATE-PROVINCE: ", m_strAddressStateProvince);
    line("ADDRESS-POSTALCODE: ", m_strAddressPostalCode);
    line("ADDRESS-COUNTRY: ", m_strAddressCountry);
    line("EMAIL: ", m_strEmail);
    line("CREATED-BY: Vexa ", version);
    line("SOAPBOX: ", m_strSoapbox);
    for (const std::string& qso : m_arrQsoLines) {
        file += qso;
    }
    file += "END-OF-LOG:\r\n";

    // A contest run whose reset failed never derived a base.
    const std::string name = (m_strFileBase.empty() ? std::string("KORV") : m_strFileBase) +
                             std::string(kCabrilloExtension);
    WriteOutcome outcome;
    outcome.written = platform.ReplaceFile(name, file);
    settings.Write(keys::kMultiplier, std::to_string(0));
    m_arrQsoLines.clear();
    outcome.message = outcome.written ? std::string(kFileProduced) + name
                                      : "The Cabrillo file " + name + " could not be written.";
    return outcome;
}

}  // namespace zelk
