// Reader for ADIF logs in their ADI form: optional header text ended by
// <EOH>, then records of fields <NAME:LENGTH[:TYPE]>value ended by <EOR>.
// Lengths count bytes, so a value may hold any bytes, line breaks included.
// A malformed file is reported once, with the record number and the byte
// offset of the place where reading could not go on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelk::host {

struct AdifField {
    std::string name;        // upper case: ADIF names are matched without regard to case
    std::string value;       // exactly the bytes the length announced
    std::string type;        // the type indicator, empty when the tag has none
    std::size_t offset = 0;  // of the field's '<' from the start of the file
};

struct AdifRecord {
    std::vector<AdifField> fields;
    std::size_t offset = 0;  // of the record's first tag

    // The field with this name (given in upper case), or null.
    const AdifField* Find(std::string_view upperName) const;
    // The field's value, or the empty text when the record has no such field.
    std::string_view Value(std::string_view upperName) const;
};

struct AdifLog {
    std::string headerText;         // free text before the first header field
    std::vector<AdifField> header;  // fields between the header text and <EOH>
    std::vector<AdifRecord> records;
};

struct AdifError {
    std::size_t record = 0;  // 1-based; 0 for the header
    std::size_t offset = 0;  // byte offset from the start of the file
    std::string message;

    // "record 3, byte 120: ..." or "header, byte 5: ...".
    std::string Describe() const;
};

std::variant<AdifLog, AdifError> ReadAdif(std::string_view file);

}  // namespace zelk::host
