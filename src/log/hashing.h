// Hashing for the log's indexes: a fast byte hash for texts and a mixer for
// fixed-size keys. The indexes probe with the low bits, so every value is
// fully mixed before it is used.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace zelk {

inline uint64_t MixBits(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

// Folds one more word into a running hash.
inline uint64_t HashCombine(uint64_t hash, uint64_t word) {
    return (hash ^ MixBits(word + 0x9e3779b97f4a7c15ULL)) * 0x9e3779b97f4a7c15ULL;
}

inline uint64_t HashBytes(std::string_view text) {
    auto load64 = [](const char* p) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        return word;
    };
    auto load32 = [](const char* p) {
        uint32_t word;
        std::memcpy(&word, p, 4);
        return uint64_t{word};
    };
    const char* p = text.data();
    const std::size_t size = text.size();
    uint64_t hash = 0x243f6a8885a308d3ULL ^ size;
    // Whole loads only, overlapping at the end: a tail assembled byte by byte
    // would cost more than the rest of the hash.
    uint64_t last = 0;
    if (size >= 8) {
        std::size_t i = 0;
        for (; i + 8 < size; i += 8) {
            hash = (hash ^ load64(p + i)) * 0x9e3779b97f4a7c15ULL;
            hash ^= hash >> 29;
        }
        last = load64(p + size - 8);
    } else if (size >= 4) {
        last = load32(p) << 32 | load32(p + size - 4);
    } else if (size > 0) {
        last = uint64_t{static_cast<unsigned char>(p[0])} << 16 |
               uint64_t{static_cast<unsigned char>(p[size / 2])} << 8 |
               static_cast<unsigned char>(p[size - 1]);
    }
    return MixBits((hash ^ last) * 0x9e3779b97f4a7c15ULL);
}

// A transparent hash of texts, so that maps keyed by std::string can be
// searched with a std::string_view.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return static_cast<std::size_t>(HashBytes(text));
    }
};

}  // namespace zelk
