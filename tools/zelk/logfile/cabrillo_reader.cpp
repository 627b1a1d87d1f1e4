// The Cabrillo reader: the file split into lines in one pass, tag lines kept
// as views into the log's own copy of the bytes, QSO lines handed to
// cabrillo_qso_line.cpp.
#include "logfile/cabrillo_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "logfile/cabrillo_qso_line.h"
#include "text/text.h"

namespace zelk::logfile {

namespace {

constexpr std::size_t kMaxQsoLine = std::numeric_limits<uint16_t>::max();

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsTagName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        const char u = AsciiUpper(c);
        if (!((u >= 'A' && u <= 'Z') || IsDigit(u) || u == '-' || u == '_')) {
            return false;
        }
    }
    return true;
}

// ASCII letters to capitals in place, eight bytes at a time: every QSO line
// goes through here, and a byte-by-byte loop was an eighth of the reading.
void ToCapitals(char* bytes, std::size_t size) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        // Per byte, with its high bit clear: +0x80-'a' sets the high bit from
        // 'a' up, +0x7F-'z' from above 'z'; where they differ lies 'a'..'z'.
        const uint64_t low7 = word & ~kHighBits;
        const uint64_t fromA = low7 + (0x80 - 'a') * kOnes;
        const uint64_t aboveZ = low7 + (0x7F - 'z') * kOnes;
        const uint64_t lower = (fromA ^ aboveZ) & ~word & kHighBits;
        word ^= lower >> 2;  // 0x80 >> 2 is the case bit, 0x20
        std::memcpy(bytes + i, &word, 8);
    }
    for (; i < size; ++i) {
        bytes[i] = AsciiUpper(bytes[i]);
    }
}

// The position of the next line end at or after `from`, remembered so that
// a file with only CR (or only LF) ends is still read in one pass.
class LineEnds {
  public:
    explicit LineEnds(std::string_view text)
        : m_text(text), m_nextLf(Find('\n', 0)), m_nextCr(Find('\r', 0)) {}

    std::size_t Next(std::size_t from) {
        if (m_nextLf < from) {
            m_nextLf = Find('\n', from);
        }
        if (m_nextCr < from) {
            m_nextCr = Find('\r', from);
        }
        return std::min(m_nextLf, m_nextCr);
    }

  private:
    std::size_t Find(char c, std::size_t from) const {
        const void* hit = std::memchr(m_text.data() + from, c, m_text.size() - from);
        return hit == nullptr
                   ? m_text.size()
                   : static_cast<std::size_t>(static_cast<const char*>(hit) - m_text.data());
    }

    std::string_view m_text;
    std::size_t m_nextLf;
    std::size_t m_nextCr;
};

constexpr std::string_view kUtf16 = "the file is UTF-16 text; a Cabrillo log is plain text (ASCII)";

// Whether text without a byte order mark is UTF-16: of its first bytes, the
// ones in every other place are zero (the high bytes of ASCII letters) and
// the others not.
bool LooksLikeUtf16(std::string_view bytes) {
    const std::size_t sample = std::min<std::size_t>(bytes.size(), 512) & ~std::size_t{1};
    if (sample < 8) {
        return false;
    }
    std::size_t zeros[2] = {0, 0};
    for (std::size_t i = 0; i < sample; ++i) {
        zeros[i % 2] += bytes[i] == '\0';
    }
    const std::size_t units = sample / 2;
    return (zeros[0] == 0 && zeros[1] * 10 >= units * 9) ||
           (zeros[1] == 0 && zeros[0] * 10 >= units * 9);
}

// Why a file is no log, where that shows before its lines are read.
std::optional<std::string> NotCabrilloReason(std::string_view bytes) {
    if (bytes.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos) {
        return "the file is empty";
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return std::string(kUtf16);
    }
    if (LooksLikeUtf16(bytes)) {
        return std::string(kUtf16) + " (it has no byte order mark)";
    }
    return std::nullopt;
}

// Why a file without a START-OF-LOG: line is none.
std::string NoLogReason(std::string_view bytes) {
    // A stray zero byte in a log only spoils its line; without a log it
    // tells binary data.
    if (const void* zero = std::memchr(bytes.data(), '\0', bytes.size())) {
        return "the file holds binary data (a zero byte at byte " +
               std::to_string(static_cast<const char*>(zero) - bytes.data()) + "), not text";
    }
    const std::string upper = Upper(bytes.substr(0, 1 << 16));
    if (upper.find("<EOH>") != std::string::npos || upper.find("<EOR>") != std::string::npos ||
        upper.find("<CALL:") != std::string::npos) {
        return "the file is an ADIF log (it has <EOH>, <EOR> or <CALL:...>), not a Cabrillo log";
    }
    return "the file has no START-OF-LOG: line; a Cabrillo log starts with one";
}

// A QSO line that cannot be read, with what its fields gave before the
// problem: the time, the band and the call.
UnreadableLine Unreadable(uint32_t number, QsoLineProblem problem, const CabrilloQso& qso) {
    UnreadableLine line{
        .line = number,
        .reason = std::move(problem.reason),
        .kind = problem.otherContest ? UnreadableKind::kOtherContest : UnreadableKind::kQsoLine};
    line.xQso = qso.xQso;
    if (problem.fixedFieldsRead) {
        line.minutes = qso.minutes;
        line.band = qso.band;
        line.mode = qso.mode;
        line.call = std::string(qso.Call());
    }
    return line;
}

std::variant<CabrilloLog, NotCabrillo> Read(std::shared_ptr<std::string> storage) {
    std::string& text = *storage;
    if (auto reason = NotCabrilloReason(text)) {
        return NotCabrillo{std::move(*reason)};
    }
    CabrilloLog log;
    log.qsos.reserve(text.size() / 80);
    DateCache dates;
    LineEnds ends(text);
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    uint32_t number = 0;
    while (pos < text.size()) {
        const std::size_t end = ends.Next(pos);
        ++number;
        const std::size_t lineBegin = pos;
        pos = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        std::string_view line(text.data() + lineBegin, end - lineBegin);

        // A DOS editor's end-of-file mark (Ctrl-Z) is blank too. (A loop, not
        // find_first_not_of: this runs once a line.)
        std::size_t first = 0;
        while (first < line.size() && (IsBlank(line[first]) || line[first] == '\x1A')) {
            ++first;
        }
        if (first == line.size()) {
            continue;  // a blank line
        }
        if (log.endLine != 0) {
            log.unreadable.push_back(
                {.line = number,
                 .reason = std::string(kAfterEndOfLog) + Quoted(line.substr(first)),
                 .kind = UnreadableKind::kAfterEnd});
            continue;
        }
        const std::size_t colon = line.find(':', first);
        const std::string_view name = colon == std::string_view::npos
                                          ? std::string_view()
                                          : TrimBlanks(line.substr(first, colon - first));
        const bool isTag = IsTagName(name);
        if (isTag) {
            // The copy is ours: tag names are kept in capitals in place.
            char* letters = text.data() + (name.data() - text.data());
            for (std::size_t i = 0; i < name.size(); ++i) {
                letters[i] = AsciiUpper(letters[i]);
            }
        }
        if (log.startLine == 0) {
            if (isTag && name == "START-OF-LOG") {
                log.startLine = number;
                log.tags.push_back({name, TrimBlanks(line.substr(colon + 1)), number});
            }
            continue;
        }
        if (!isTag) {
            log.unreadable.push_back(
                {.line = number,
                 .reason = colon == std::string_view::npos
                               ? "no tag: a Cabrillo line is TAG: value, not " +
                                     Quoted(line.substr(first))
                               : Quoted(line.substr(first, colon - first)) + " is not a tag",
                 .kind = UnreadableKind::kNoQsoLine});
            continue;
        }
        const bool xQso = name == "X-QSO";
        if (name == "QSO" || xQso) {
            if (line.size() > kMaxQsoLine) {
                log.unreadable.push_back({.line = number,
                                          .reason = std::string(name) + ": the line is " +
                                                    std::to_string(line.size()) +
                                                    " bytes long; a QSO line has at most " +
                                                    std::to_string(kMaxQsoLine)});
                continue;
            }
            ToCapitals(text.data() + lineBegin + colon + 1, line.size() - colon - 1);
            CabrilloQso& qso = log.qsos.emplace_back();
            qso.line = line;
            qso.lineNumber = number;
            qso.xQso = xQso;
            if (auto problem = ReadQsoFields(line, colon + 1, xQso ? "X-QSO" : "QSO", dates, qso)) {
                const bool partlyRead =
                    problem->fixedFieldsRead && !problem->otherContest && qso.call.size != 0;
                log.unreadable.push_back(Unreadable(number, std::move(*problem), qso));
                if (partlyRead) {
                    log.partlyRead.push_back(qso);
                }
                log.qsos.pop_back();
            }
            continue;
        }
        if (name == "START-OF-LOG") {
            log.unreadable.push_back(
                {.line = number,
                 .reason = "a second START-OF-LOG: inside the log (the first is on line " +
                           std::to_string(log.startLine) + ")",
                 .kind = UnreadableKind::kNoQsoLine});
            continue;
        }
        if (name == "END-OF-LOG") {
            log.endLine = number;
        }
        log.tags.push_back({name, TrimBlanks(line.substr(colon + 1)), number});
    }
    if (log.startLine == 0) {
        return NotCabrillo{NoLogReason(text)};
    }
    log.text = std::move(storage);
    return log;
}

}  // namespace

std::string_view ModeCode(CabrilloMode mode) {
    switch (mode) {
        case CabrilloMode::kCw:
            return "CW";
        case CabrilloMode::kPhone:
            return "PH";
        case CabrilloMode::kFm:
            return "FM";
        case CabrilloMode::kRtty:
            return "RY";
        case CabrilloMode::kDigital:
            return "DG";
    }
    return {};
}

bool CabrilloLog::Has(std::string_view tag) const {
    return std::any_of(tags.begin(), tags.end(),
                       [tag](const CabrilloTag& t) { return t.name == tag; });
}

std::string_view CabrilloLog::Value(std::string_view tag) const {
    for (const CabrilloTag& t : tags) {
        if (t.name == tag) {
            return t.value;
        }
    }
    return {};
}

std::vector<std::string_view> CabrilloLog::Values(std::string_view tag) const {
    std::vector<std::string_view> values;
    for (const CabrilloTag& t : tags) {
        if (t.name == tag) {
            values.push_back(t.value);
        }
    }
    return values;
}

std::string_view CabrilloLog::Category(std::string_view kind) const {
    for (const CabrilloTag& t : tags) {
        if (t.name.size() == 9 + kind.size() && t.name.starts_with("CATEGORY-") &&
            t.name.ends_with(kind)) {
            return t.value;
        }
    }
    return {};
}

std::vector<std::string_view> CabrilloLog::Operators() const {
    std::vector<std::string_view> calls;
    for (std::string_view value : Values("OPERATORS")) {
        while (!value.empty()) {
            const std::size_t begin = value.find_first_not_of(" \t,");
            if (begin == std::string_view::npos) {
                break;
            }
            value.remove_prefix(begin);
            const std::size_t end = std::min(value.find_first_of(" \t,"), value.size());
            calls.push_back(value.substr(0, end));
            value.remove_prefix(end);
        }
    }
    return calls;
}

std::optional<int64_t> CabrilloLog::ClaimedScore() const {
    const std::string_view value = Value("CLAIMED-SCORE");
    int64_t score = 0;
    if (!IsDigits(value) ||
        std::from_chars(value.data(), value.data() + value.size(), score).ec != std::errc()) {
        return std::nullopt;
    }
    return score;
}

bool IsUtf16Text(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") || LooksLikeUtf16(bytes);
}

std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string_view bytes) {
    return Read(std::make_shared<std::string>(bytes));
}

std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string&& bytes) {
    return Read(std::make_shared<std::string>(std::move(bytes)));
}

}  // namespace zelk::logfile
