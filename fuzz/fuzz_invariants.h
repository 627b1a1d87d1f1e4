// What the fuzzers share: stopping on a broken invariant with a line that
// run.sh looks for, and counting a text's line ends as zelk's readers do.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zelk::fuzzing {

[[noreturn]] inline void Broken(std::string_view what) {
    std::fprintf(stderr, "INVARIANT BROKEN: %.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool holds, std::string_view what) {
    if (!holds) {
        Broken(what);
    }
}

// CR LF, LF and a lone CR each end one line.
inline uint32_t LineEnds(std::string_view bytes) {
    uint32_t ends = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++ends;
        }
    }
    return ends;
}

}  // namespace zelk::fuzzing
