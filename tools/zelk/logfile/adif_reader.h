// Reader for ADIF logs in their ADI form: optional header ended by <EOH>, then
// records of fields <NAME:LENGTH[:TYPE]>value ended by <EOR>. Lengths count
// bytes, so a value may hold any bytes, line breaks included.
//
// Logging programs write this form with many small liberties, and a contest
// log must not be lost over one of them. The reader therefore stops only where
// the structure cannot be followed (a tag that never closes, a length that is
// no number or runs past the end of the file) and reports that once, with the
// record number and byte offset. Everything else is read with a warning, or
// marked on its record as a fault that the contact mapping weighs:
// - the header: header fields without leading text, text holding '<' (an
//   e-mail address), any case of <EOH>; tags without a length there are
//   ignored;
// - tags without a length after the last record (<APP_LoTW_EOF>, <EOF>) are
//   ignored;
// - a field given twice with the same value counts once; with different
//   values, or written as a tag without a length, it is a fault of its record;
// - a length that counts UTF-8 characters instead of bytes is recovered when
//   only the character count ends the value where the next tag begins;
// - a last record without <EOR> is kept with a fault, so it is skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelk::logfile {

struct AdifField {
    std::string name;        // upper case: ADIF names are matched without regard to case
    std::string value;       // exactly the bytes the length announced
    std::string type;        // the type indicator, empty when the tag has none
    std::size_t offset = 0;  // of the field's '<' from the start of the file
};

// A place in the log and what there is to say about it: the fault that stops
// reading, a warning, or why a record cannot be used. Messages hold log text
// only in printable form.
struct AdifNote {
    std::size_t record = 0;  // 1-based; 0 for the header
    std::size_t offset = 0;  // byte offset from the start of the file
    std::string message;
    std::string field;         // upper-case name of the field concerned; empty when none
    bool afterRecord = false;  // the place is after `record`, outside any record

    // "record 3, byte 120: field FREQ: ...", "header, byte 5: ..." or
    // "after record 3, byte 160: ...".
    std::string Describe() const;
};

struct AdifRecord {
    std::vector<AdifField> fields;
    std::size_t offset = 0;  // of the record's first tag
    // Fields whose value could not be read for certain (given twice with
    // different values, a tag without a length), and a missing <EOR> (no
    // field named). The first copy of a field given twice stays in `fields`.
    std::vector<AdifNote> faults;

    // The field with this name (given in upper case), or null.
    const AdifField* Find(std::string_view upperName) const;
    // The field's value, or the empty text when the record has no such field.
    std::string_view Value(std::string_view upperName) const;
};

struct AdifLog {
    bool hasHeader = false;         // an <EOH> ends a header
    std::string headerText;         // free text before the first header field
    std::vector<AdifField> header;  // fields between the header text and <EOH>
    std::vector<AdifRecord> records;
    std::vector<AdifNote> warnings;  // in the order of the file
};

// The log, or the one structural fault that stopped reading.
std::variant<AdifLog, AdifNote> ReadAdif(std::string_view file);

}  // namespace zelk::logfile
