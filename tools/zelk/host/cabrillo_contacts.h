// A Cabrillo log's QSO lines turned into the arguments the host passes to
// AddData0, so that `zelk score` scores exactly the file an operator is
// about to submit: own call, worked call, the time, the frequency in hertz
// (a band designator as the band's lower edge, as for an ADIF contact that
// gives only its band), the mode, the reports as RST, the sent serial only
// (the plug-in adds the station coordinate), the received exchange as the
// plug-in stores it, and the whole-megahertz group. X-QSO lines and lines
// that cannot be read are skipped, each with its line number and reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/contact.h"
#include "logfile/cabrillo_reader.h"

namespace zelk::host {

struct CabrilloNote {
    uint32_t line = 0;
    std::string message;

    // "line 57: ..."
    std::string Describe() const { return "line " + std::to_string(line) + ": " + message; }
};

struct CabrilloContacts {
    std::vector<Contact> contacts;
    std::vector<CabrilloNote> skipped;   // lines not handed over, and why
    std::vector<CabrilloNote> warnings;  // contacts handed over with a substitute
    std::string callsign;                // CALLSIGN:, in capitals; empty when none
    std::string sentCoordinate;  // the station coordinate the log sent (StationCoordinateSent)
    // The categories of the header, as a score site lists them: operator,
    // assisted, band, mode, power and transmitter, in that order, blank
    // separated ("SINGLE-OP ALL CW HIGH ONE"); a Cabrillo 2 log's CATEGORY:
    // as it stands. Empty when the header names none.
    std::string category;
};

CabrilloContacts MapCabrilloLog(const logfile::CabrilloLog& log);

// The file read as a Cabrillo log when its content is one: a file with
// ADIF's <EOH> or <EOR> is ADIF; one with a START-OF-LOG: line is Cabrillo.
// Nullopt for any other file.
std::optional<logfile::CabrilloLog> ReadIfCabrillo(std::string_view bytes);

// Which station coordinate `zelk score` takes for a Cabrillo log: the
// coordinate the log sent, as fallback degrees for the plug-in, when the
// contest folder stores none and neither --lat nor --lon is given; and what
// to say about it on standard error (nothing when the coordinates agree).
struct StationChoice {
    std::optional<double> latitude;  // set when the sent coordinate is used
    std::optional<double> longitude;
    std::string note;
};
StationChoice ChooseStation(const std::string& sentCoordinate, const std::string& storedCoordinate,
                            std::optional<double> latitude, std::optional<double> longitude);

}  // namespace zelk::host
