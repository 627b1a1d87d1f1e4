// Scanning the rules file for the characters toml++ must not see: a small
// lexer that follows TOML's keys, values, arrays, inline tables, comments
// and four kinds of string as far as toml++ reads them before it stops at
// a fault. Where it is not sure that a quote opens a string, it takes the
// quote as part of a bare token, so that what follows is checked as text
// outside quotes: it may refuse a file toml++ would refuse anyway, never
// let through a character toml++ must not see.
#include "adjudication/toml_guard.h"

#include <vector>

namespace zelk::adjudication {

namespace {

bool IsAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

bool IsBareKeyCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// Where the lexer is: a key or a value at the top, in an array, or in an
// inline table.
enum class Context : uint8_t { kTopKey, kTopValue, kArray, kTableKey, kTableValue };

bool IsKey(Context context) {
    return context == Context::kTopKey || context == Context::kTableKey;
}

class Scan {
  public:
    explicit Scan(std::string_view text) : m_text(text) {}

    std::optional<UnsafePlace> FirstUnsafe() {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (m_inToken && EndsToken(c)) {
                m_inToken = false;
            }
            if (c == '\n' || c == ' ' || c == '\t' || c == '\r') {
                if (c == '\n' && m_contexts.back() == Context::kTopValue) {
                    m_contexts.back() = Context::kTopKey;
                }
                m_stringMayStart = m_stringMayStart || c == '\n';
                Step(1);
            } else if (c == '#') {
                Skip([](char c) { return c != '\n'; });
            } else if (!IsAscii(c)) {
                return Unsafe("a character that is not ASCII outside quotes and comments");
            } else if (m_inToken) {
                Step(1);  // quotes and brackets inside a bare value are part of it
            } else if ((c == '"' || c == '\'') && m_stringMayStart) {
                if (!String(c)) {
                    return Unsafe(
                        "a character that is not ASCII after a backslash in a \"\"\" string");
                }
                m_stringMayStart = false;
            } else {
                Structure(c);
                Step(1);
            }
        }
        return std::nullopt;
    }

  private:
    // Whether `c` ends the bare key or value being read.
    bool EndsToken(char c) const {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#') {
            return true;
        }
        if (IsKey(m_contexts.back())) {
            return !IsBareKeyCharacter(c);
        }
        return c == ']' || c == '}' || c == ',';
    }

    // A character outside strings and tokens: the structure it opens or
    // closes, and whether a string may start after it.
    void Structure(char c) {
        Context& context = m_contexts.back();
        const bool key = IsKey(context);
        m_stringMayStart = false;
        if (c == '=' && key) {
            context = context == Context::kTopKey ? Context::kTopValue : Context::kTableValue;
            m_stringMayStart = true;
        } else if (c == '.' && key) {
            m_stringMayStart = true;  // a dotted key
        } else if (c == '[' && context == Context::kTopKey) {
            m_stringMayStart = true;  // a table's header
        } else if (c == '[' && !key) {
            m_contexts.push_back(Context::kArray);
            m_stringMayStart = true;
        } else if (c == '{' && !key) {
            m_contexts.push_back(Context::kTableKey);
            m_stringMayStart = true;
        } else if ((c == ']' && context == Context::kArray) ||
                   (c == '}' &&
                    (context == Context::kTableKey || context == Context::kTableValue))) {
            m_contexts.pop_back();
        } else if (c == ',' && context == Context::kArray) {
            m_stringMayStart = true;
        } else if (c == ',' && context == Context::kTableValue) {
            context = Context::kTableKey;
            m_stringMayStart = true;
        } else if (c != ']' && c != '}' && c != ',') {
            m_inToken = true;
        }
    }

    std::optional<UnsafePlace> Unsafe(std::string_view what) {
        m_place.what = what;
        return m_place;
    }

    bool At(std::string_view what) const { return m_text.substr(m_at, what.size()) == what; }

    // Moves on `bytes` bytes, counting lines and characters.
    void Step(std::size_t bytes) {
        for (; bytes > 0 && m_at < m_text.size(); --bytes, ++m_at) {
            const auto byte = static_cast<unsigned char>(m_text[m_at]);
            if (byte == '\n') {
                ++m_place.line;
                m_place.column = 1;
            } else if ((byte & 0xC0) != 0x80) {  // not a continuation byte
                ++m_place.column;
            }
        }
    }

    template <typename While>
    void Skip(While keep) {
        while (m_at < m_text.size() && keep(m_text[m_at])) {
            Step(1);
        }
    }

    // A string from its opening quote; false where a """ string holds what
    // toml++ must not see.
    bool String(char quote) {
        if (At(quote == '"' ? "\"\"\"" : "'''")) {
            return quote == '"' ? MultiLineBasicString() : MultiLineLiteralString();
        }
        Step(1);
        // One line; toml++ itself refuses a string left open.
        while (m_at < m_text.size() && m_text[m_at] != quote && m_text[m_at] != '\n') {
            Step(quote == '"' && m_text[m_at] == '\\' ? 2 : 1);
        }
        Step(1);
        return true;
    }

    bool MultiLineLiteralString() {
        Step(3);
        while (m_at < m_text.size() && !At("'''")) {
            Step(1);
        }
        Quotes('\'');
        return true;
    }

    // After a backslash toml++ asks whether the next character, and after
    // a line-ending backslash each one up to the next text, is blank.
    bool MultiLineBasicString() {
        Step(3);
        while (m_at < m_text.size() && !At("\"\"\"")) {
            if (m_text[m_at] != '\\') {
                Step(1);
                continue;
            }
            Step(1);
            const std::size_t escaped = m_at;
            Skip([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
            if (m_at < m_text.size() && !IsAscii(m_text[m_at])) {
                return false;
            }
            if (m_at == escaped) {
                Step(1);  // the escaped character (a backslash escapes only the next)
            }
        }
        Quotes('"');
        return true;
    }

    // The closing quotes of a multi-line string: three, and up to two
    // more that belong to it.
    void Quotes(char quote) {
        std::size_t count = 0;
        while (count < 5 && m_at + count < m_text.size() && m_text[m_at + count] == quote) {
            ++count;
        }
        Step(count);
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    UnsafePlace m_place;
    std::vector<Context> m_contexts{Context::kTopKey};
    bool m_inToken = false;
    bool m_stringMayStart = true;
};

}  // namespace

std::optional<UnsafePlace> UnsafeForTomlParser(std::string_view text) {
    return Scan(text).FirstUnsafe();
}

}  // namespace zelk::adjudication
