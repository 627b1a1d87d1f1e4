// One QSO of a Cabrillo log as the reader keeps it: the line's fields as
// spans of the line, with the values the check compares (band, minutes,
// serials, coordinates) read once. Shared by the reader (cabrillo_reader.h)
// and the reading of one QSO line (cabrillo_qso_line.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logfile/bands.h"

namespace zelk::logfile {

enum class CabrilloMode : uint8_t { kCw, kPhone, kFm, kRtty, kDigital };

// "CW", "PH", "FM", "RY", "DG".
std::string_view ModeCode(CabrilloMode mode);

// A piece of a QSO line: where it starts in the line and how many bytes.
struct LineSpan {
    uint16_t begin = 0;
    uint16_t size = 0;
};

struct CabrilloExchange {
    LineSpan report;        // size 0 when the exchange has none
    LineSpan serialText;    // as written: "1", "001", "12" of "1255N37O"
    LineSpan coordinate;    // "55N37O": the coordinate text as the plug-in stores it
    uint32_t serial = 0;    // the serial as a number: "001" and "1" are both 1
    int32_t latitude = 0;   // the coordinate as the plug-in's scoring reads it
    int32_t longitude = 0;  // (ParseCoordinate: magnitudes, letters not applied)

    // The exchange as the plug-in stores a received exchange typed without a
    // blank, "012 55N37O" for 12 and 55N37O; where that form would not split
    // serial and coordinate again (a one-digit latitude, a serial of five or
    // more digits), as it stores one typed with a blank: "12345 55N37O".
    std::string_view Normalised() const { return {normalised, normalisedSize}; }

    char normalised[15] = {};
    uint8_t normalisedSize = 0;
};

// The texts of a QSO are views into its log's bytes: keep the log (or a copy
// of it) while the QSO is used.
struct CabrilloQso {
    std::string_view line;  // the whole line, letters in capitals, without its line end
    uint32_t lineNumber = 0;
    bool xQso = false;        // an X-QSO: line: listed, never credited
    int8_t transmitter = -1;  // 0 or 1; -1 when the line gives none
    CabrilloMode mode = CabrilloMode::kCw;
    BandIndex band = kNoBand;  // the band of the frequency or designator
    uint32_t freqKHz = 0;      // 0 when the line gives a band designator
    int64_t minutes = 0;       // date and time as minutes since 1970-01-01 00:00
    LineSpan frequency;        // "3514", "144", "1.2G"
    LineSpan date;             // "2024-05-12"
    LineSpan time;             // "0602"
    LineSpan ownCall;
    LineSpan call;
    CabrilloExchange sent;
    CabrilloExchange received;
    // Both true on a line that was read. On a line kept as partly read
    // (CabrilloLog::partlyRead), which of the two exchanges could be read.
    bool sentRead = true;
    bool receivedRead = true;

    std::string_view Text(LineSpan span) const { return line.substr(span.begin, span.size); }
    std::string_view OwnCall() const { return Text(ownCall); }
    std::string_view Call() const { return Text(call); }
    // The designator as the table spells it; empty when a frequency was given.
    std::string_view BandDesignator() const {
        return freqKHz == 0 && band != kNoBand ? Bands()[band].cabrillo : std::string_view();
    }
    // The group `zelk score` gives the contact by default (BandGroup): the
    // band's lower edge in whole megahertz ("28", "1240").
    std::string Group() const {
        return BandGroup(freqKHz != 0 ? freqKHz : Bands()[band].lowerHz / 1000);
    }
};

}  // namespace zelk::logfile
