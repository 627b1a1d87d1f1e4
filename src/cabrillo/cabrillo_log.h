// CCabrilloLog: everything the Cabrillo file is made of. The header fields
// (filled by the header dialog), the base of the file name and the QSO lines
// of one result build; the operations that fill it and write the file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contest/cabrillo_dialog.h"
#include "contest/ole_date_time.h"
#include "platform/platform.h"
#include "platform/settings.h"

namespace zelk {

class QsoLog;

// The mode every QSO line gives: the contest is CW only.
inline constexpr std::string_view kCabrilloModeCode = "CW";

// The QSO line in printf terms: frequency, mode, date and time, own call,
// sent exchange, worked call and received exchange, in fixed columns when the
// values fit. AddQsoLine lays the line out exactly so.
inline constexpr const char* kQsoLineFormat = "QSO: %5i %2s %s %-13s %-5s   %-12s  %s\r\n";

class CCabrilloLog : public CabrilloHeaderFields {
  public:
    // Loads the header from `settings`, lets the operator review it in the
    // platform's header dialog and, on OK, saves it. Returns 1 for OK, else 0.
    int RunHeaderDialog(Platform& platform, Settings& settings, std::string_view callsign);

    // Appends the QSO line of one contact.
    void AddQsoLine(std::string_view call, int32_t freqKHz, std::string_view modeCode,
                    const OleDateTime& time, std::string_view exchSent, std::string_view exchRcvd);

    // Appends the QSO lines of every record of `log`, in log order.
    void AddQsoLines(const QsoLog& log);

    struct WriteOutcome {
        bool written = false;
        std::string message;  // for the operator's "Output" box
    };
    // Writes <m_strFileBase>.cbr in the platform's current folder: the
    // header with `claimedScore`, the collected QSO lines and the end line;
    // sets "Multiplier" in `settings` and empties the line list.
    WriteOutcome WriteLogFile(Platform& platform, Settings& settings, int32_t claimedScore);

    std::string m_strFileBase;
    std::vector<std::string> m_arrQsoLines;
};

// The base of the Cabrillo file name for a contestant call sign: every
// character that may not stand in a file name becomes "_", surrounding white
// space goes, and an empty base becomes "KORV".
std::string CabrilloFileBase(std::string_view callsign);

inline constexpr std::string_view kCabrilloExtension = ".cbr";

// The name of the Cabrillo file written for a contestant call sign.
inline std::string CabrilloFileName(std::string_view callsign) {
    return CabrilloFileBase(callsign) + std::string(kCabrilloExtension);
}

// A received or sent exchange as the QSO line prints it: its first blank
// widened to two, or two blanks in front when it has none.
std::string WidenExchange(std::string_view exchange);

// Every non-overlapping occurrence of `find`, left to right, replaced.
std::string ReplaceAll(std::string_view source, std::string_view find,
                       std::string_view replacement);

// The version text of CREATED-BY: "major.minor" when major is 2, else
// "major.minor.third"; empty when no host executable is found.
std::string FindHostVersion(Platform& platform);

}  // namespace zelk
