// ADI reading: one pass over the bytes, tag by tag. Text between tags is
// ignored, as the format allows; only tags carry data. Whether the file has a
// header is known only at its first <EOH> or <EOR>, so the header is read
// leniently first, and a file whose first keyword is <EOR> is read again from
// its start as records.
#include "logfile/adif_reader.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "logfile/adif_tag.h"
#include "text/text.h"

namespace zelk::logfile {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool LooksLikeFieldName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_';
    });
}

void NoteCharacterCount(const AdifTag& tag, std::size_t record, std::vector<AdifNote>& notes) {
    if (tag.lengthInCharacters) {
        notes.push_back({record, tag.field.offset,
                         "length " + std::to_string(tag.countedLength) +
                             " counts characters, not bytes: read as " +
                             std::to_string(tag.field.value.size()) + " bytes '" +
                             Printable(tag.field.value) + "'",
                         tag.field.name});
    }
}

// A field given twice counts once when both copies agree; otherwise the
// first copy stays and the record carries the disagreement as a fault.
void AddField(AdifRecord& record, AdifField field, std::size_t number) {
    if (record.fields.empty()) {
        record.offset = field.offset;
    }
    const AdifField* first = record.Find(field.name);
    if (first == nullptr) {
        record.fields.push_back(std::move(field));
        return;
    }
    const bool noted = std::any_of(record.faults.begin(), record.faults.end(),
                                   [&field](const AdifNote& n) { return n.field == field.name; });
    if (first->value != field.value && !noted) {
        record.faults.push_back({number, field.offset,
                                 "given twice with different values: '" + Printable(first->value) +
                                     "' at byte " + std::to_string(first->offset) + ", then '" +
                                     Printable(field.value) + "'",
                                 field.name});
    }
}

// The record being read, tag by tag. Tags without a length since the last
// <EOR> are faults of the record they stand in, or ignored when no field
// follows them (<APP_LoTW_EOF> after the last record).
class RecordAssembly {
  public:
    explicit RecordAssembly(AdifLog& log) : m_log(log) {}

    std::size_t Number() const { return m_log.records.size() + 1; }

    void Field(AdifTag& tag) {
        NoteCharacterCount(tag, Number(), m_log.warnings);
        AddField(m_current, std::move(tag.field), Number());
    }

    void BareTag(const AdifTag& tag) {
        m_bare.push_back({Number(), tag.field.offset,
                          "tag " + TagText(tag.inner) + " has no length", tag.field.name});
    }

    void EndOfRecord() {
        if (m_current.fields.empty()) {
            IgnoreBareTags();
        } else {
            Keep();
        }
    }

    void EndOfFile() {
        if (m_current.fields.empty()) {
            IgnoreBareTags();
            return;
        }
        m_current.faults.push_back(
            {Number(), m_current.offset, "the record has no <EOR> before the end of the file", ""});
        Keep();
    }

  private:
    void IgnoreBareTags() {
        for (AdifNote& note : m_bare) {
            note.message += "; ignored";
            note.record = m_log.records.size();
            note.afterRecord = true;
            m_log.warnings.push_back(std::move(note));
        }
        m_bare.clear();
    }

    void Keep() {
        for (AdifNote& note : m_bare) {
            note.message += ", so its value cannot be read";
            m_current.faults.push_back(std::move(note));
        }
        m_bare.clear();
        m_log.records.push_back(std::move(m_current));
        m_current = AdifRecord{};
    }

    AdifLog& m_log;
    AdifRecord m_current;
    std::vector<AdifNote> m_bare;
};

class Reader {
  public:
    explicit Reader(std::string_view file) : m_file(file), m_tags(file) {}

    std::variant<AdifLog, AdifNote> Read() {
        AdifLog log;
        const std::size_t start = m_file.starts_with("\xEF\xBB\xBF") ? 3 : 0;
        std::size_t pos = start;
        if (auto end = ReadHeader(start, log)) {
            pos = *end;
            log.hasHeader = true;
        } else {
            log = AdifLog{};
            const std::size_t text =
                std::min(m_file.find_first_not_of(kBlanks, start), m_file.size());
            if (text < m_file.size() && m_file[text] != '<') {
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
    std::optional<std::size_t> ReadHeader(std::size_t start, AdifLog& log) const {
        std::vector<AdifNote> warnings;
        std::optional<std::size_t> firstField;
        for (std::size_t pos = m_file.find('<', start); pos != std::string_view::npos;) {
            auto scanned = m_tags.Scan(0, pos);
            if (auto* fault = std::get_if<AdifNote>(&scanned)) {
                if (!fault->field.empty()) {
                    fault->message += "; ignored";
                    warnings.push_back(std::move(*fault));
                }
                pos = m_file.find('<', pos + 1);
                continue;
            }
            AdifTag& tag = std::get<AdifTag>(scanned);
            if (tag.kind == AdifTag::Kind::kKeyword) {
                if (tag.field.name == "EOR") {
                    return std::nullopt;
                }
                log.headerText =
                    std::string(m_file.substr(start, firstField.value_or(pos) - start));
                log.warnings.insert(log.warnings.end(), warnings.begin(), warnings.end());
                return tag.end;
            }
            if (tag.kind == AdifTag::Kind::kBare) {
                if (LooksLikeFieldName(tag.field.name)) {
                    warnings.push_back(
                        {0, pos,
                         "tag " + TagText(tag.inner) + " in the header has no length; ignored",
                         tag.field.name});
                }
            } else {
                firstField = firstField.value_or(pos);
                NoteCharacterCount(tag, 0, warnings);
                log.header.push_back(std::move(tag.field));
            }
            pos = m_file.find('<', tag.end);
        }
        return std::nullopt;
    }

    // Reads the records from `pos` to the end; returns the structural fault
    // that stopped it, if any.
    std::optional<AdifNote> ReadRecords(std::size_t pos, AdifLog& log) const {
        RecordAssembly record(log);
        for (pos = m_file.find('<', pos); pos != std::string_view::npos;
             pos = m_file.find('<', pos)) {
            auto scanned = m_tags.Scan(record.Number(), pos);
            if (auto* fault = std::get_if<AdifNote>(&scanned)) {
                return *fault;
            }
            AdifTag& tag = std::get<AdifTag>(scanned);
            pos = tag.end;
            if (tag.kind == AdifTag::Kind::kKeyword && tag.field.name == "EOR") {
                record.EndOfRecord();
            } else if (tag.kind == AdifTag::Kind::kKeyword) {
                log.warnings.push_back(
                    {record.Number(), tag.field.offset, "<EOH> among the records; ignored", ""});
            } else if (tag.kind == AdifTag::Kind::kBare) {
                record.BareTag(tag);
            } else {
                record.Field(tag);
            }
        }
        record.EndOfFile();
        return std::nullopt;
    }

    std::string_view m_file;
    AdifTagScanner m_tags;
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
