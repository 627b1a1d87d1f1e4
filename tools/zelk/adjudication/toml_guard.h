// What the rules file must not hand to toml++ 3.3 (Debian 12's): a
// character that is not ASCII where its parser asks whether it is blank
// space (outside quotes and comments, or after a backslash in a """
// string) reaches a lookup with a missing case, which is undefined
// behaviour (found by rules_files_fuzzer; fixed in later toml++). TOML
// allows no such character there anyway, so the file is refused before
// toml++ sees it, with the place, as toml++ would refuse it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zelk::adjudication {

struct UnsafePlace {
    uint32_t line = 1;    // from 1
    uint32_t column = 1;  // in characters, from 1, as toml++ counts them
    std::string_view what;
};

// The first character toml++ must not see, or nullopt when there is none.
std::optional<UnsafePlace> UnsafeForTomlParser(std::string_view text);

}  // namespace zelk::adjudication
