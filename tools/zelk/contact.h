// One ADIF record turned into the arguments the host passes to AddData0:
// the own and worked calls, the contact time as an OLE date-time, the
// frequency in hertz, the mode, the reports, the two exchanges and the
// group text. The mapping rules are the ones a logger user expects from the
// ADIF field names; where a value cannot be turned into an argument the
// record is refused with the field's byte offset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "adif_reader.h"
#include "contest/plugin_abi.h"

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
};

// A calendar date and a time of day as the host's OLE date-time. Dates
// outside 1900-01-01 .. 9999-12-31 or impossible ones get the invalid status.
ZelkOleDateTime OleDateTime(int year, unsigned month, unsigned day, int hour = 0, int minute = 0,
                            int second = 0);

// QSO_DATE (YYYYMMDD) and TIME_ON (HHMM or HHMMSS): no date gives the null
// status, a date or time that does not exist the invalid status.
ZelkOleDateTime ContactTime(std::string_view qsoDate, std::string_view timeOn);

// "YYYY-MM-DD" as an OLE date-time; nullopt when the text is no such date.
std::optional<ZelkOleDateTime> ParseIsoDate(std::string_view text);

// A frequency in megahertz ("14.025") as whole hertz; nullopt when the text
// is not a decimal number or the value does not fit the host's 32 bits.
std::optional<uint32_t> MegahertzToHertz(std::string_view megahertz);

std::variant<Contact, AdifError> MapRecord(const AdifRecord& record, std::size_t number,
                                           const MappingOptions& options);

}  // namespace zelk::host
