// One tag of an ADI file and the value it announces: <NAME:LENGTH[:TYPE]>
// followed by LENGTH bytes, a keyword (<EOH>, <EOR>) or a tag without a
// length. Part of the ADIF reader (adif_reader.h states its rules).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "logfile/adif_reader.h"

namespace zelk::logfile {

struct AdifTag {
    enum class Kind { kField, kKeyword, kBare };
    Kind kind = Kind::kField;
    AdifField field;
    std::string_view inner;           // the bytes between '<' and '>'
    std::size_t end = 0;              // first byte after the tag and its value
    std::size_t countedLength = 0;    // the length as written
    bool lengthInCharacters = false;  // the value was read as that many UTF-8 characters
};

// "<inner>", printable, for messages.
std::string TagText(std::string_view inner);

class AdifTagScanner {
  public:
    explicit AdifTagScanner(std::string_view file) : m_file(file) {}

    // The tag whose '<' is at `pos`, with its value; a fault of record
    // `record` when its structure cannot be followed.
    std::variant<AdifTag, AdifNote> Scan(std::size_t record, std::size_t pos) const;

  private:
    // The value after `tag`, of the length `lengthText` announces.
    std::variant<AdifTag, AdifNote> ReadValue(AdifTag tag, std::string_view lengthText,
                                              std::size_t record, std::size_t pos) const;
    // Where a value may end: at the end of the file, or before blanks that
    // lead to the next tag.
    bool EndsAValue(std::size_t pos) const;
    // The bytes that `characters` UTF-8 characters from `pos` take, or
    // nullopt when the bytes there are not that many well-formed characters.
    std::optional<std::size_t> Utf8Bytes(std::size_t pos, std::size_t characters) const;

    std::string_view m_file;
};

}  // namespace zelk::logfile
