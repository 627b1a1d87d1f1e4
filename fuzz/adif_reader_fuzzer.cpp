// libFuzzer target for zelk's ADIF reader and contact mapping, the code that
// reads logs from anywhere. Each input is a whole log file. Besides not
// crashing (under AddressSanitizer and UndefinedBehaviorSanitizer), reading
// must keep these invariants; a broken one aborts, which libFuzzer reports:
// - reading the same bytes twice gives the same log, warnings and faults;
// - every offset it reports (the stopping fault, warnings, record faults,
//   skipped contacts) lies within the file, and so does every record and
//   every field with its value;
// - every message is one line of printable UTF-8, whatever bytes the log holds;
// - no contact handed on has an invalid date-time: such a contact is skipped;
// - a file whose first line but blank ones is START-OF-LOG: is read as a
//   Cabrillo log, whatever ADIF tags its soapbox holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fuzz_invariants.h"
#include "host/cabrillo_contacts.h"
#include "host/contact.h"
#include "logfile/adif_reader.h"
#include "text/text.h"

namespace {

using namespace zelk::fuzzing;

using namespace zelk;
using namespace zelk::host;

void CheckNote(const logfile::AdifNote& note, std::size_t size) {
    const std::string text = note.Describe();
    Require(note.offset <= size, "a reported offset lies within the file: " + text);
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        Require(byte >= 0x20 && byte != 0x7F, "a message is one printable line: " + text);
        const auto length = Utf8SequenceLength(std::string_view(text).substr(i));
        Require(length.has_value(), "a message is UTF-8: " + text);
        i += *length;
    }
}

void CheckField(const logfile::AdifField& field, std::size_t size) {
    Require(field.offset < size && field.value.size() < size - field.offset,
            "a field and its value lie within the file: " + Printable(field.name));
}

// Everything the reader gives, as one text, to compare two readings.
std::string Picture(const std::variant<logfile::AdifLog, logfile::AdifNote>& read) {
    if (const auto* fault = std::get_if<logfile::AdifNote>(&read)) {
        return "fault " + fault->Describe();
    }
    const logfile::AdifLog& log = std::get<logfile::AdifLog>(read);
    std::string picture = (log.hasHeader ? "header " : "") + log.headerText + '\0';
    const auto fields = [&picture](const std::vector<logfile::AdifField>& list) {
        for (const logfile::AdifField& field : list) {
            picture += field.name + '\0' + field.value + '\0' + field.type + '\0' +
                       std::to_string(field.offset) + '\0';
        }
    };
    fields(log.header);
    for (const logfile::AdifRecord& record : log.records) {
        picture += "record " + std::to_string(record.offset) + '\0';
        fields(record.fields);
        for (const logfile::AdifNote& fault : record.faults) {
            picture += fault.Describe() + '\0';
        }
    }
    for (const logfile::AdifNote& warning : log.warnings) {
        picture += warning.Describe() + '\0';
    }
    return picture;
}

// Whether the first line but blank ones (after a UTF-8 mark) starts with the
// tag START-OF-LOG:, written the plain way.
bool StartsAsCabrillo(std::string_view file) {
    if (file.starts_with("\xEF\xBB\xBF")) {
        file.remove_prefix(3);
    }
    file.remove_prefix(std::min(file.find_first_not_of(" \t\r\n"), file.size()));
    return Upper(file.substr(0, 13)) == "START-OF-LOG:";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    if (StartsAsCabrillo(file)) {
        Require(ReadIfCabrillo(file).has_value(), "a file that starts as Cabrillo read as ADIF");
    }
    const auto read = logfile::ReadAdif(file);
    Require(Picture(read) == Picture(logfile::ReadAdif(file)),
            "reading the same bytes gives the same log");
    if (const auto* fault = std::get_if<logfile::AdifNote>(&read)) {
        CheckNote(*fault, size);
        return 0;
    }
    const logfile::AdifLog& log = std::get<logfile::AdifLog>(read);
    for (const logfile::AdifNote& warning : log.warnings) {
        CheckNote(warning, size);
    }
    for (const logfile::AdifField& field : log.header) {
        CheckField(field, size);
    }
    MappingOptions options;
    options.stationCoordinate = "50N30O";
    // The last byte, when odd, groups by a field, so faults in it matter too.
    if (size > 0 && (data[size - 1] & 1) != 0) {
        options.groupField = "MY_SECTION";
    }
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        const logfile::AdifRecord& record = log.records[i];
        Require(!record.fields.empty() && record.offset <= record.fields.front().offset,
                "a record starts at its first field");
        for (const logfile::AdifField& field : record.fields) {
            CheckField(field, size);
        }
        for (const logfile::AdifNote& fault : record.faults) {
            CheckNote(fault, size);
        }
        std::vector<logfile::AdifNote> warnings;
        const auto mapped = MapRecord(record, i + 1, options, warnings);
        for (const logfile::AdifNote& warning : warnings) {
            CheckNote(warning, size);
        }
        if (const auto* skipped = std::get_if<logfile::AdifNote>(&mapped)) {
            CheckNote(*skipped, size);
            Require(skipped->record == i + 1, "a skipped contact names its record");
        } else {
            const Contact& contact = std::get<Contact>(mapped);
            Require(contact.time.m_status != kZelkDateTimeInvalid,
                    "no contact with an invalid date-time is handed on");
        }
    }
    return 0;
}
