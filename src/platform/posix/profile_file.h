// The settings store's file format: a private profile file of "[section]"
// lines and "key=value" lines, read and edited the way the Windows profile
// functions treat it. These functions work on the file's text; the platform
// reads and writes the file around them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelk::posix {

// Whether a settings file's bytes start with a UTF-16 byte order mark, FF FE
// (little-endian) or FE FF (big-endian). Such a file is never edited as
// single-byte text, which would leave it in two encodings.
bool IsUtf16Profile(std::string_view bytes);

// The text the profile functions read from a settings file's bytes. A file
// that starts with FF FE is UTF-16LE, which Windows reads too: each
// character becomes one byte, ASCII as it is and every other character (a
// surrogate pair is one) "?", which is what Windows gives for a character
// its ANSI code page lacks; a POSIX system has no ANSI code page to give
// more. Any other file is its bytes.
std::string ProfileText(std::string_view bytes);

// The value of `key` in the first section named `section` (names compared
// without regard to ASCII case, white space around them ignored): trimmed,
// and without one pair of matching quotes around it. nullopt when the
// section or key is absent, or the key's line has no "=".
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// `text` with `key` set to `value` in the first section named `section`: an
// existing key's line is rewritten in place, a new key goes after the last
// non-blank line of the section, a missing section is appended at the end.
// Every other line is kept byte for byte. Added lines end the way the file's
// first line does (CR LF in a file without line ends). The caller keeps line
// breaks out of the names and the value.
std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);

}  // namespace zelk::posix
