// A Cabrillo log's QSO lines turned into the arguments the host passes to
// AddData0, so that `zelk score` scores exactly the file an operator is
// about to submit: own call, worked call, the time, the frequency in hertz
// (a band designator as the band's lower edge, as for an ADIF contact that
// gives only its band), the mode, the reports as RST, the sent serial only
// (the plug-in adds the station coordinate), the received exchange as the
// plug-in stores it, and the band's group (BandGroup). X-QSO lines and QSO
// lines that cannot be read are skipped, each with its line number and
// reason, but the lines of another contest in one note with their count;
// other lines that cannot be read (no tag, a second START-OF-LOG:, lines
// after END-OF-LOG:) are no contacts and are warned about.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/contact.h"
#include "logfile/cabrillo_reader.h"

namespace zelk::host {

struct CabrilloNote {
    uint32_t line = 0;  // the line; for a note about several lines, the first of them
    std::string message;
    std::size_t lines = 1;  // the lines it is about; a note about several says them all

    // "line 57: ...", or the message of a note about several lines.
    std::string Describe() const {
        return lines > 1 ? message : "line " + std::to_string(line) + ": " + message;
    }
};

struct CabrilloContacts {
    std::vector<Contact> contacts;
    std::vector<CabrilloNote> skipped;   // QSO lines not handed over, and why
    std::vector<CabrilloNote> warnings;  // contacts handed over with a substitute, and lines
                                         // that are no QSO line and were not read
    std::string callsign;                // CALLSIGN:, in capitals; empty when none
    std::string sentCoordinate;  // the station coordinate the log sent (StationCoordinateSent)
    // The categories of the header, as a score site lists them: operator,
    // assisted, band, mode, power and transmitter, in that order, blank
    // separated ("SINGLE-OP ALL CW HIGH ONE"); a Cabrillo 2 log's CATEGORY:
    // as it stands. Empty when the header names none.
    std::string category;

    // The QSO lines skipped.
    std::size_t SkippedCount() const;
};

CabrilloContacts MapCabrilloLog(const logfile::CabrilloLog& log);

// The file read as a Cabrillo log when its content is one: a file whose first
// line but blank ones is START-OF-LOG: is Cabrillo, whatever its soapbox
// says; else a file with ADIF's <EOH> or <EOR> is ADIF, and one with a
// START-OF-LOG: line is Cabrillo. Nullopt for any other file.
std::optional<logfile::CabrilloLog> ReadIfCabrillo(std::string_view bytes);

// Which station coordinate a Cabrillo log is scored from: the coordinate
// the log sent, when the contest folder stores none and neither --lat nor
// --lon is given; and what to say about it on standard error (nothing when
// the coordinates agree). zelk's own scoring (`zelk report`, the receipts
// of `zelk serve`, the check) reads `coordinate` as the plug-in reads a
// stored coordinate, so that a log has one score wherever it is scored;
// `zelk score` can hand the plug-in only fallback degrees, which it reads
// with their signs.
struct StationChoice {
    std::string coordinate;          // the sent coordinate, when it is used
    std::optional<double> latitude;  // its signed degrees, for the plug-in's fallback
    std::optional<double> longitude;
    std::string note;
};
StationChoice ChooseStation(const std::string& sentCoordinate, const std::string& storedCoordinate,
                            std::optional<double> latitude, std::optional<double> longitude);

// For `zelk score`, which hands the plug-in the sent coordinate as fallback
// degrees: where they are signed (south or west), how the plug-in's score
// then differs and what to do about it; empty otherwise.
std::string SignedFallbackNote(const StationChoice& choice);

}  // namespace zelk::host
