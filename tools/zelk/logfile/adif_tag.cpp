// Scanning one ADI tag and its value.
#include "logfile/adif_tag.h"

#include "text/text.h"

namespace zelk::logfile {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

}  // namespace

std::string TagText(std::string_view inner) {
    return "<" + Printable(inner) + ">";
}

std::variant<AdifTag, AdifNote> AdifTagScanner::Scan(std::size_t record, std::size_t pos) const {
    const std::size_t close = m_file.find_first_of("<>", pos + 1);
    if (close == std::string_view::npos || m_file[close] != '>') {
        return AdifNote{record, pos, "tag without its closing '>'", ""};
    }
    AdifTag tag;
    tag.inner = m_file.substr(pos + 1, close - pos - 1);
    tag.field.offset = pos;
    tag.end = close + 1;

    const std::size_t colon = tag.inner.find(':');
    tag.field.name = Upper(tag.inner.substr(0, colon));
    if (colon == std::string_view::npos) {
        const bool keyword = tag.field.name == "EOH" || tag.field.name == "EOR";
        tag.kind = keyword ? AdifTag::Kind::kKeyword : AdifTag::Kind::kBare;
        return tag;
    }
    if (tag.field.name.empty()) {
        return AdifNote{record, pos, "tag " + TagText(tag.inner) + " has no field name", ""};
    }
    std::string_view lengthText = tag.inner.substr(colon + 1);
    const std::size_t typeColon = lengthText.find(':');
    if (typeColon != std::string_view::npos) {
        tag.field.type = std::string(lengthText.substr(typeColon + 1));
        lengthText = lengthText.substr(0, typeColon);
    }
    return ReadValue(std::move(tag), lengthText, record, pos);
}

std::variant<AdifTag, AdifNote> AdifTagScanner::ReadValue(AdifTag tag, std::string_view lengthText,
                                                          std::size_t record,
                                                          std::size_t pos) const {
    // Eighteen digits cannot overflow and are far beyond any file.
    if (!IsDigits(lengthText) || lengthText.size() > 18) {
        return AdifNote{record, pos,
                        "length '" + Printable(lengthText) + "' is not a number of bytes",
                        tag.field.name};
    }
    std::size_t length = std::stoull(std::string(lengthText));
    if (length > m_file.size() - tag.end) {
        return AdifNote{
            record, pos,
            "its value of " + std::string(lengthText) + " bytes runs past the end of the file",
            tag.field.name};
    }
    tag.countedLength = length;
    // Some loggers count UTF-8 text in characters. Only when that count, and
    // not the byte count, ends the value where a value may end is the value
    // read as characters.
    if (!EndsAValue(tag.end + length)) {
        const auto bytes = Utf8Bytes(tag.end, length);
        if (bytes && *bytes > length && *bytes <= m_file.size() - tag.end &&
            EndsAValue(tag.end + *bytes)) {
            length = *bytes;
            tag.lengthInCharacters = true;
        }
    }
    tag.field.value = std::string(m_file.substr(tag.end, length));
    tag.end += length;
    return tag;
}

bool AdifTagScanner::EndsAValue(std::size_t pos) const {
    const std::size_t next = m_file.find_first_not_of(kBlanks, pos);
    return next == std::string_view::npos || m_file[next] == '<';
}

std::optional<std::size_t> AdifTagScanner::Utf8Bytes(std::size_t pos,
                                                     std::size_t characters) const {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < characters; ++i) {
        auto length = Utf8SequenceLength(m_file.substr(pos + bytes));
        if (!length) {
            return std::nullopt;
        }
        bytes += *length;
    }
    return bytes;
}

}  // namespace zelk::logfile
