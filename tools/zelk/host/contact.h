// One ADIF record turned into the arguments the host passes to AddData0:
// the own and worked calls, the contact time as an OLE date-time, the
// frequency in hertz, the mode, the reports, the two exchanges and the
// group text. The mapping rules are the ones a logger user expects from the
// ADIF field names. A value that cannot be turned into an argument (a
// frequency in kHz, a date that is no date, a serial number that is a signal
// report) skips that contact, named by its field and byte offset; the rest of
// the log is still scored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contest/plugin_abi.h"
#include "logfile/adif_reader.h"

namespace zelk::host {

struct Contact {
    std::size_t record = 0;  // 1-based position in the log
    std::string ownCall;
    std::string call;
    ZelkOleDateTime time{};
    uint32_t freqHz = 0;
    std::string mode;
    std::string rstSent;
    std::string rstRcvd;
    std::string exchSent;  // the serial number only; the plug-in adds the coordinate
    std::string exchRcvd;
    std::string group;
};

struct MappingOptions {
    std::string fallbackCall;  // own call when the record names none (--call)
    std::string groupField;    // upper-case ADIF field for the group; empty: the band
    // The coordinate the plug-in sends, as it writes it (55N37O); a
    // different one in STX_STRING is warned about. Empty: not compared.
    std::string stationCoordinate;
};

// The most the host's 32-bit hertz argument carries: 4294.967295 MHz.
inline constexpr uint64_t kHostHertzLimit = UINT32_MAX;

// A calendar date and a time of day as the host's OLE date-time. Dates
// outside 1900-01-01 .. 9999-12-31 or impossible ones get the invalid status.
ZelkOleDateTime OleDateTime(int year, unsigned month, unsigned day, int hour = 0, int minute = 0,
                            int second = 0);

// QSO_DATE (YYYYMMDD) and TIME_ON (HHMM or HHMMSS): no date gives the null
// status, a date or time that does not exist the invalid status.
ZelkOleDateTime ContactTime(std::string_view qsoDate, std::string_view timeOn);

// "YYYY-MM-DD" as an OLE date-time; nullopt when the text is no such date.
std::optional<ZelkOleDateTime> ParseIsoDate(std::string_view text);

// A frequency in megahertz ("14.025") as whole hertz; digits below one hertz
// are dropped. Nullopt when the text is not a decimal number.
std::optional<uint64_t> MegahertzToHertz(std::string_view megahertz);

// The lower edge, in hertz, of an ADIF band named in any case ("20m", "9CM").
std::optional<uint64_t> BandLowerEdgeHz(std::string_view band);

// The station coordinate text the plug-in builds from a latitude and a
// longitude when none is stored: whole degrees toward zero, "%i%s%i%s" of
// the magnitudes with N/S and O/W (-33.7, -70.2 gives 33S70W).
std::string CoordinateText(double latitude, double longitude);

// The contact for a record, or why it is skipped. Warnings about values
// that were read with a substitute, or ignored, are appended to `warnings`.
std::variant<Contact, logfile::AdifNote> MapRecord(const logfile::AdifRecord& record,
                                                   std::size_t number,
                                                   const MappingOptions& options,
                                                   std::vector<logfile::AdifNote>& warnings);

}  // namespace zelk::host
