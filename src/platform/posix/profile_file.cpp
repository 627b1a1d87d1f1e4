// Reading and editing the text of a private profile file.
//
// Written by hand rather than with SimpleIni: SimpleIni rebuilds the whole
// file when it saves (its own spacing, blank lines and line ends), takes the
// last of repeated keys, merges same-named sections and knows only double
// quotes, while the settings file must keep every line it does not change
// byte for byte and read values as the Windows profile functions do. The
// format is small enough that a line scanner states it exactly.
#include "platform/posix/profile_file.h"

#include <vector>

namespace zelk::posix {
namespace {

struct Line {
    std::string_view body;    // without its line end
    std::string_view ending;  // "\r\n", "\n" or empty for a last line without one
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        std::string_view whole = text.substr(0, length);
        std::size_t endingLength = 0;
        if (whole.ends_with("\r\n")) {
            endingLength = 2;
        } else if (whole.ends_with('\n')) {
            endingLength = 1;
        }
        lines.push_back(
            {whole.substr(0, length - endingLength), whole.substr(length - endingLength)});
        text.remove_prefix(length);
    }
    return lines;
}

// The profile functions count Ctrl-Z as white space too.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a section line ("[name]", up to the last "]"), or nullopt.
std::optional<std::string_view> SectionName(std::string_view body) {
    std::string_view line = Trim(body);
    std::size_t close = line.rfind(']');
    if (!line.starts_with('[') || close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::optional<std::string_view> value;  // absent when the line has no "="
};

Entry KeyLine(std::string_view body) {
    std::string_view line = Trim(body);
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {line, std::nullopt};
    }
    return {Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

bool IsBlank(const Line& line) {
    return Trim(line.body).empty();
}

// Index of the first line of the first section named `section`, or -1.
std::ptrdiff_t FindSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<std::string_view> name = SectionName(lines[i].body);
        if (name && EqualIgnoringCase(*name, section)) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

std::string_view LineEndOf(std::string_view text) {
    std::size_t lf = text.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || text[lf - 1] != '\r')) {
        return "\n";
    }
    return "\r\n";
}

}  // namespace

bool IsUtf16Profile(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

std::string ProfileText(std::string_view bytes) {
    if (!bytes.starts_with("\xFF\xFE")) {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size() / 2);
    // Code units after the mark; an odd last byte is no character.
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[at]) |
                              static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        if (unit < 0x80) {
            text += static_cast<char>(unit);
            continue;
        }
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && at + 3 < bytes.size()) {
            const unsigned next = static_cast<unsigned char>(bytes[at + 3]);
            if (next >= 0xDC && next <= 0xDF) {
                at += 2;  // the low half of the pair: one character
            }
        }
        text += '?';
    }
    return text;
}

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    std::vector<Line> lines = SplitLines(text);
    std::ptrdiff_t start = FindSection(lines, Trim(section));
    if (start < 0) {
        return std::nullopt;
    }
    for (std::size_t i = static_cast<std::size_t>(start) + 1; i < lines.size(); ++i) {
        if (SectionName(lines[i].body)) {
            break;
        }
        if (IsBlank(lines[i])) {
            continue;
        }
        Entry entry = KeyLine(lines[i].body);
        if (!EqualIgnoringCase(entry.key, Trim(key))) {
            continue;
        }
        if (!entry.value) {
            return std::nullopt;
        }
        std::string_view value = *entry.value;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::string_view eol = LineEndOf(text);
    const std::string_view wantedKey = Trim(key);
    std::vector<Line> lines = SplitLines(text);
    std::ptrdiff_t start = FindSection(lines, Trim(section));

    std::string result;
    if (start < 0) {
        result.assign(text);
        if (!result.empty() && !result.ends_with('\n')) {
            result += eol;
        }
        result.append("[").append(Trim(section)).append("]").append(eol);
        result.append(wantedKey).append("=").append(value).append(eol);
        return result;
    }

    // The line to rewrite (an existing key) or to insert after (the last
    // non-blank line of the section).
    std::size_t target = static_cast<std::size_t>(start);
    bool replace = false;
    for (std::size_t i = target + 1; i < lines.size() && !SectionName(lines[i].body); ++i) {
        if (IsBlank(lines[i])) {
            continue;
        }
        target = i;
        if (EqualIgnoringCase(KeyLine(lines[i].body).key, wantedKey)) {
            replace = true;
            break;
        }
    }

    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == target && replace) {
            result.append(KeyLine(lines[i].body).key).append("=").append(value);
            result.append(lines[i].ending);
            continue;
        }
        result.append(lines[i].body).append(lines[i].ending);
        if (i == target) {
            if (lines[i].ending.empty()) {
                result += eol;
            }
            result.append(wantedKey).append("=").append(value).append(eol);
        }
    }
    return result;
}

}  // namespace zelk::posix
