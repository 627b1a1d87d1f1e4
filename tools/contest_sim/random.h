// The simulator's random numbers: xoshiro256** seeded through splitmix64.
// Every draw is plain integer arithmetic, so one seed gives the same contest
// on every platform and standard library (the std:: distributions do not).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace zelk::sim {

class Random {
  public:
    explicit Random(uint64_t seed) {
        for (uint64_t& word : m_state) {
            seed += 0x9E3779B97F4A7C15u;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            word = z ^ (z >> 31);
        }
    }

    uint64_t Next() {
        const uint64_t result = Rotate(m_state[1] * 5, 7) * 9;
        const uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotate(m_state[3], 45);
        return result;
    }

    // 0 <= value < bound (bound >= 1), by multiplying the top 32 bits: the
    // tiny bias is of no account here, and it needs no 128-bit type.
    uint32_t Below(uint32_t bound) {
        return static_cast<uint32_t>(((Next() >> 32) * uint64_t{bound}) >> 32);
    }

    // low <= value <= high.
    int32_t Between(int32_t low, int32_t high) {
        return low + static_cast<int32_t>(Below(static_cast<uint32_t>(high - low + 1)));
    }

    // True in `percent` of a hundred draws.
    bool Chance(uint32_t percent) { return Below(100) < percent; }

    template <typename T>
    void Shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) {
            std::swap(items[i - 1], items[Below(static_cast<uint32_t>(i))]);
        }
    }

  private:
    static uint64_t Rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    uint64_t m_state[4];
};

}  // namespace zelk::sim
