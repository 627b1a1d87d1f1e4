// ADI reading: one pass over the bytes, tag by tag. Text between tags is
// ignored, as the format allows; only tags carry data.
#include "adif_reader.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace zelk::host {

namespace {

// One tag as found in the file: a field with its value, or a keyword
// (EOH, EOR) when `isKeyword` is set.
struct Tag {
    bool isKeyword = false;
    AdifField field;
    std::size_t end = 0;  // first byte after the tag and its value
};

class Reader {
  public:
    explicit Reader(std::string_view file) : file_(file) {}

    std::variant<AdifLog, AdifError> Read() {
        AdifLog log;
        std::size_t pos = StartsWithBom() ? 3 : 0;
        if (pos < file_.size() && file_[pos] != '<') {
            const std::size_t firstTag = std::min(file_.find('<', pos), file_.size());
            log.headerText = std::string(file_.substr(pos, firstTag - pos));
            auto end = ReadHeader(firstTag, log.header);
            if (!end) {
                return error_;
            }
            pos = *end;
        }
        if (!ReadRecords(pos, log.records)) {
            return error_;
        }
        return log;
    }

  private:
    bool StartsWithBom() const { return file_.substr(0, 3) == "\xEF\xBB\xBF"; }

    std::nullopt_t Fail(std::size_t record, std::size_t offset, std::string message) {
        error_ = AdifError{record, offset, std::move(message)};
        return std::nullopt;
    }

    // Reads the header fields up to <EOH>; returns the position after it.
    std::optional<std::size_t> ReadHeader(std::size_t pos, std::vector<AdifField>& header) {
        for (pos = file_.find('<', pos); pos != std::string_view::npos;
             pos = file_.find('<', pos)) {
            auto tag = ReadTag(0, pos);
            if (!tag) {
                return std::nullopt;
            }
            if (tag->isKeyword && tag->field.name == "EOH") {
                return tag->end;
            }
            if (tag->isKeyword) {
                return Fail(0, pos, "<" + tag->field.name + "> before <EOH>");
            }
            header.push_back(std::move(tag->field));
            pos = tag->end;
        }
        return Fail(0, file_.size(),
                    "the file begins with header text but has no <EOH> (a file without a "
                    "header must begin with '<')");
    }

    bool ReadRecords(std::size_t pos, std::vector<AdifRecord>& records) {
        AdifRecord current;
        for (pos = file_.find('<', pos); pos != std::string_view::npos;
             pos = file_.find('<', pos)) {
            const std::size_t number = records.size() + 1;
            auto tag = ReadTag(number, pos);
            if (!tag) {
                return false;
            }
            if (tag->isKeyword && tag->field.name == "EOR") {
                if (!current.fields.empty()) {
                    records.push_back(std::move(current));
                }
                current = AdifRecord{};
            } else if (tag->isKeyword) {
                Fail(number, pos, "<" + tag->field.name + "> after the header");
                return false;
            } else if (current.Find(tag->field.name) != nullptr) {
                Fail(number, pos, "field " + tag->field.name + " appears twice in the record");
                return false;
            } else {
                if (current.fields.empty()) {
                    current.offset = pos;
                }
                current.fields.push_back(std::move(tag->field));
            }
            pos = tag->end;
        }
        if (!current.fields.empty()) {
            Fail(records.size() + 1, file_.size(),
                 "the record has no <EOR> before the end of the file");
            return false;
        }
        return true;
    }

    // Reads the tag whose '<' is at `pos`, and its value.
    std::optional<Tag> ReadTag(std::size_t record, std::size_t pos) {
        const std::size_t close = file_.find_first_of("<>", pos + 1);
        if (close == std::string_view::npos || file_[close] != '>') {
            return Fail(record, pos, "tag without its closing '>'");
        }
        const std::string_view inner = file_.substr(pos + 1, close - pos - 1);
        Tag tag;
        tag.field.offset = pos;
        tag.end = close + 1;

        const std::size_t colon = inner.find(':');
        tag.field.name = Upper(inner.substr(0, colon));
        if (colon == std::string_view::npos) {
            if (tag.field.name == "EOH" || tag.field.name == "EOR") {
                tag.isKeyword = true;
                return tag;
            }
            return Fail(record, pos, "tag <" + std::string(inner) + "> has no length");
        }
        if (tag.field.name.empty()) {
            return Fail(record, pos, "tag <" + std::string(inner) + "> has no field name");
        }
        std::string_view lengthText = inner.substr(colon + 1);
        const std::size_t typeColon = lengthText.find(':');
        if (typeColon != std::string_view::npos) {
            tag.field.type = std::string(lengthText.substr(typeColon + 1));
            lengthText = lengthText.substr(0, typeColon);
        }
        // Eighteen digits cannot overflow and are far beyond any file.
        if (!IsDigits(lengthText) || lengthText.size() > 18) {
            return Fail(record, pos,
                        "field " + tag.field.name + ": length '" + std::string(lengthText) +
                            "' is not a number of bytes");
        }
        const std::size_t length = std::stoull(std::string(lengthText));
        if (length > file_.size() - tag.end) {
            return Fail(record, pos,
                        "field " + tag.field.name + ": its value of " + std::string(lengthText) +
                            " bytes runs past the end of the file");
        }
        tag.field.value = std::string(file_.substr(tag.end, length));
        tag.end += length;
        return tag;
    }

    std::string_view file_;
    AdifError error_;
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

std::string AdifError::Describe() const {
    const std::string where =
        record == 0 ? std::string("header") : "record " + std::to_string(record);
    return where + ", byte " + std::to_string(offset) + ": " + message;
}

std::variant<AdifLog, AdifError> ReadAdif(std::string_view file) {
    return Reader(file).Read();
}

}  // namespace zelk::host
