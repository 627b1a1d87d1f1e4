// The contacts made so far, by pair of stations and band: open addressing
// over a power-of-two table, several times faster here than a node-based set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk::sim {

class KeySet {
  public:
    explicit KeySet(std::size_t expected) {
        std::size_t size = 64;
        while (size < expected * 2) {
            size *= 2;
        }
        m_slots.assign(size, kEmpty);
    }

    // False when `key` was there already.
    bool Insert(uint64_t key) {
        if ((m_count + 1) * 2 > m_slots.size()) {
            Grow();
        }
        std::size_t at = Slot(key);
        while (m_slots[at] != kEmpty) {
            if (m_slots[at] == key) {
                return false;
            }
            at = (at + 1) & (m_slots.size() - 1);
        }
        m_slots[at] = key;
        ++m_count;
        return true;
    }

  private:
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    std::size_t Slot(uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & (m_slots.size() - 1);
    }

    void Grow() {
        std::vector<uint64_t> old(m_slots.size() * 2, kEmpty);
        old.swap(m_slots);
        m_count = 0;
        for (uint64_t key : old) {
            if (key != kEmpty) {
                Insert(key);
            }
        }
    }

    std::vector<uint64_t> m_slots;
    std::size_t m_count = 0;
};

}  // namespace zelk::sim
