// ADI reading: one pass over the bytes, tag by tag. Text between tags is
// ignored, as the format allows; only tags carry data. Whether the file has a
// header is known only at its first <EOH> or <EOR>, so the header is read
// leniently first, and a file whose first keyword is <EOR> is read again from
// its start as records.
#include "logfile/adif_reader.h"
#include "text/text.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace zelk::logfile {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// One tag as found in the file: a field with its value, a keyword (EOH, EOR)
// or a tag without a length.
struct Tag {
    enum class Kind { kField, kKeyword, kBare };
    Kind kind = Kind::kField;
    AdifField field;
    std::string_view inner;           // the bytes between '<' and '>'
    std::size_t end = 0;              // first byte after the tag and its value
    std::size_t countedLength = 0;    // the length as written
    bool lengthInCharacters = false;  // the value was read as that many UTF-8 characters
};

bool LooksLikeFieldName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_';
    });
}

std::string TagText(std::string_view inner) {
    return "<" + Printable(inner) + ">";
}

class Reader {
  public:
    explicit Reader(std::string_view file) : file_(file) {}

    std::variant<AdifLog, AdifNote> Read() {
        AdifLog log;
        const std::size_t start = file_.starts_with("\xEF\xBB\xBF") ? 3 : 0;
        std::size_t pos = start;
        if (auto end = ReadHeader(start, log)) {
            pos = *end;
        } else {
            log = AdifLog{};
            const std::size_t text =
                std::min(file_.find_first_not_of(kBlanks, start), file_.size());
            if (text < file_.size() && file_[text] != '<') {
                log.warnings.push_back(
                    {0, text,
                     "text before the first record, but no <EOH> ends a header: read as a log "
                     "without header",
                     ""});
            }
        }
        if (auto fault = ReadRecords(pos, log)) {
            return *fault;
        }
        return log;
    }

  private:
    // Reads the header up to the first <EOH>, in any case, and returns the
    // position after it; nullopt when an <EOR> or the end of the file comes
    // first, so the file has no header. Header text is free: a '<' that
    // begins no readable tag belongs to it.
    std::optional<std::size_t> ReadHeader(std::size_t start, AdifLog& log) {
        std::vector<AdifNote> warnings;
        std::optional<std::size_t> firstField;
        for (std::size_t pos = file_.find('<', start); pos != std::string_view::npos;) {
            auto scanned = ScanTag(0, pos);
            if (auto* fault = std::get_if<AdifNote>(&scanned)) {
                if (!fault->field.empty()) {
                    fault->message += "; ignored";
                    warnings.push_back(std::move(*fault));
                }
                pos = file_.find('<', pos + 1);
                continue;
            }
            Tag& tag = std::get<Tag>(scanned);
            if (tag.kind == Tag::Kind::kKeyword) {
                if (tag.field.name == "EOR") {
                    return std::nullopt;
                }
                log.headerText = std::string(file_.substr(start, firstField.value_or(pos) - start));
                log.warnings.insert(log.warnings.end(), warnings.begin(), warnings.end());
                return tag.end;
            }
            if (tag.kind == Tag::Kind::kBare) {
                if (LooksLikeFieldName(tag.field.name)) {
                    warnings.push_back(
                        {0, pos,
                         "tag " + TagText(tag.inner) + " in the header has no length; ignored",
                         tag.field.name});
                }
            } else {
                if (!firstField) {
                    firstField = pos;
                }
                NoteCharacterCount(tag, 0, warnings);
                log.header.push_back(std::move(tag.field));
            }
            pos = file_.find('<', tag.end);
        }
        return std::nullopt;
    }

    // Reads the records from `pos` to the end; returns the structural fault
    // that stopped it, if any.
    std::optional<AdifNote> ReadRecords(std::size_t pos, AdifLog& log) {
        AdifRecord current;
        // Tags without a length since the last <EOR>: faults of the record
        // they stand in, or ignored when no field follows them.
        std::vector<AdifNote> bare;
        const auto ignoreBare = [&log, &bare] {
            for (AdifNote& note : bare) {
                note.message += "; ignored";
                note.record = log.records.size();
                note.afterRecord = true;
                log.warnings.push_back(std::move(note));
            }
            bare.clear();
        };
        const auto keepRecord = [&log, &bare, &current] {
            for (AdifNote& note : bare) {
                note.message += ", so its value cannot be read";
                current.faults.push_back(std::move(note));
            }
            bare.clear();
            log.records.push_back(std::move(current));
            current = AdifRecord{};
        };
        for (pos = file_.find('<', pos); pos != std::string_view::npos;
             pos = file_.find('<', pos)) {
            const std::size_t number = log.records.size() + 1;
            auto scanned = ScanTag(number, pos);
            if (auto* fault = std::get_if<AdifNote>(&scanned)) {
                return *fault;
            }
            Tag& tag = std::get<Tag>(scanned);
            pos = tag.end;
            if (tag.kind == Tag::Kind::kKeyword && tag.field.name == "EOR") {
                if (current.fields.empty()) {
                    ignoreBare();
                } else {
                    keepRecord();
                }
            } else if (tag.kind == Tag::Kind::kKeyword) {
                log.warnings.push_back(
                    {number, tag.field.offset, "<EOH> among the records; ignored", ""});
            } else if (tag.kind == Tag::Kind::kBare) {
                bare.push_back({number, tag.field.offset,
                                "tag " + TagText(tag.inner) + " has no length", tag.field.name});
            } else {
                NoteCharacterCount(tag, number, log.warnings);
                AddField(current, std::move(tag.field), number);
            }
        }
        if (current.fields.empty()) {
            ignoreBare();
        } else {
            current.faults.push_back({log.records.size() + 1, current.offset,
                                      "the record has no <EOR> before the end of the file", ""});
            keepRecord();
        }
        return std::nullopt;
    }

    // A field given twice counts once when both copies agree; otherwise the
    // first copy stays and the record carries the disagreement as a fault.
    static void AddField(AdifRecord& record, AdifField field, std::size_t number) {
        if (record.fields.empty()) {
            record.offset = field.offset;
        }
        const AdifField* first = record.Find(field.name);
        if (first == nullptr) {
            record.fields.push_back(std::move(field));
            return;
        }
        const bool noted =
            std::any_of(record.faults.begin(), record.faults.end(),
                        [&field](const AdifNote& n) { return n.field == field.name; });
        if (first->value != field.value && !noted) {
            record.faults.push_back(
                {number, field.offset,
                 "given twice with different values: '" + Printable(first->value) + "' at byte " +
                     std::to_string(first->offset) + ", then '" + Printable(field.value) + "'",
                 field.name});
        }
    }

    void NoteCharacterCount(const Tag& tag, std::size_t record,
                            std::vector<AdifNote>& notes) const {
        if (tag.lengthInCharacters) {
            notes.push_back({record, tag.field.offset,
                             "length " + std::to_string(tag.countedLength) +
                                 " counts characters, not bytes: read as " +
                                 std::to_string(tag.field.value.size()) + " bytes '" +
                                 Printable(tag.field.value) + "'",
                             tag.field.name});
        }
    }

    // Where a value may end: at the end of the file, or before blanks that
    // lead to the next tag.
    bool EndsAValue(std::size_t pos) const {
        const std::size_t next = file_.find_first_not_of(kBlanks, pos);
        return next == std::string_view::npos || file_[next] == '<';
    }

    // The bytes that `characters` UTF-8 characters from `pos` take, or
    // nullopt when the bytes there are not that many well-formed characters.
    std::optional<std::size_t> Utf8Bytes(std::size_t pos, std::size_t characters) const {
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < characters; ++i) {
            auto length = Utf8SequenceLength(file_.substr(pos + bytes));
            if (!length) {
                return std::nullopt;
            }
            bytes += *length;
        }
        return bytes;
    }

    // Reads the tag whose '<' is at `pos`, and its value; a fault when its
    // structure cannot be followed.
    std::variant<Tag, AdifNote> ScanTag(std::size_t record, std::size_t pos) const {
        const std::size_t close = file_.find_first_of("<>", pos + 1);
        if (close == std::string_view::npos || file_[close] != '>') {
            return AdifNote{record, pos, "tag without its closing '>'", ""};
        }
        Tag tag;
        tag.inner = file_.substr(pos + 1, close - pos - 1);
        tag.field.offset = pos;
        tag.end = close + 1;

        const std::size_t colon = tag.inner.find(':');
        tag.field.name = Upper(tag.inner.substr(0, colon));
        if (colon == std::string_view::npos) {
            const bool keyword = tag.field.name == "EOH" || tag.field.name == "EOR";
            tag.kind = keyword ? Tag::Kind::kKeyword : Tag::Kind::kBare;
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
        // Eighteen digits cannot overflow and are far beyond any file.
        if (!IsDigits(lengthText) || lengthText.size() > 18) {
            return AdifNote{record, pos,
                            "length '" + Printable(lengthText) + "' is not a number of bytes",
                            tag.field.name};
        }
        std::size_t length = std::stoull(std::string(lengthText));
        if (length > file_.size() - tag.end) {
            return AdifNote{
                record, pos,
                "its value of " + std::string(lengthText) + " bytes runs past the end of the file",
                tag.field.name};
        }
        tag.countedLength = length;
        // Some loggers count UTF-8 text in characters. Only when that count,
        // and not the byte count, ends the value where a value may end is
        // the value read as characters.
        if (!EndsAValue(tag.end + length)) {
            const auto bytes = Utf8Bytes(tag.end, length);
            if (bytes && *bytes > length && *bytes <= file_.size() - tag.end &&
                EndsAValue(tag.end + *bytes)) {
                length = *bytes;
                tag.lengthInCharacters = true;
            }
        }
        tag.field.value = std::string(file_.substr(tag.end, length));
        tag.end += length;
        return tag;
    }

    std::string_view file_;
};

}  // namespace

const AdifField* AdifRecord::Find(std::string_view upperName) const {
    auto it = std::find_if(fields.begin(), fields.end(),
                           [&](const AdifField& field) { return field.name == upperName; });
    return it != fields.end() ? &*it : nullptr;
}

std::string_view AdifRecord::Value(std::string_view upperName) const {
    const AdifField* field = Find(upperName);
    return field != nullptr ? std::string_view(field->value) : std::string_view();
}

std::string AdifNote::Describe() const {
    std::string text = afterRecord && record == 0 ? std::string("before the first record")
                       : afterRecord              ? "after record " + std::to_string(record)
                       : record == 0              ? std::string("header")
                                                  : "record " + std::to_string(record);
    text += ", byte " + std::to_string(offset) + ": ";
    if (!field.empty()) {
        text += "field " + Printable(field) + ": ";
    }
    return text + message;
}

std::variant<AdifLog, AdifNote> ReadAdif(std::string_view file) {
    return Reader(file).Read();
}

}  // namespace zelk::logfile
