// An open-addressing hash index of 32-bit ids (records or texts of the log).
// It keeps each id with its hash and leaves what an id stands for, and when
// two are the same, to its owner: searches take a predicate. Several entries
// may share a hash or even stand for equal things; a search sees them all.
// Linear probing with backward-shift deletion, so there are no tombstones and
// a search ends at the first empty slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk {

class IdHashIndex {
  public:
    static constexpr uint32_t kNoId = UINT32_MAX;

    // Empties the index and releases its storage.
    void Clear() {
        std::vector<Slot>().swap(m_slots);
        m_size = 0;
    }
    std::size_t Size() const { return m_size; }
    void Reserve(std::size_t count);

    // The first id with this hash, in probe order, for which `match` holds.
    template <class Match>
    uint32_t Find(uint64_t hash, Match&& match) const {
        if (m_slots.empty()) {
            return kNoId;
        }
        const uint32_t tag = Tag(hash);
        for (std::size_t i = Home(tag);; i = (i + 1) & Mask()) {
            const Slot& slot = m_slots[i];
            if (slot.id == kNoId) {
                return kNoId;
            }
            if (slot.tag == tag && match(slot.id)) {
                return slot.id;
            }
        }
    }

    // Calls `visit` with every id stored with this hash.
    template <class Visit>
    void ForEachWithHash(uint64_t hash, Visit&& visit) const {
        Find(hash, [&visit](uint32_t id) {
            visit(id);
            return false;
        });
    }

    void Insert(uint64_t hash, uint32_t id);
    // Takes out the entry of exactly this id; false when it is not stored.
    bool Erase(uint64_t hash, uint32_t id);
    // Puts `newId` in the place of `oldId`, which must stand for a thing with
    // the same hash.
    bool Replace(uint64_t hash, uint32_t oldId, uint32_t newId);

  private:
    struct Slot {
        uint32_t tag = 0;
        uint32_t id = kNoId;
    };

    static uint32_t Tag(uint64_t hash) { return static_cast<uint32_t>(hash ^ (hash >> 32)); }
    std::size_t Mask() const { return m_slots.size() - 1; }
    std::size_t Home(uint32_t tag) const { return tag & Mask(); }
    std::size_t Locate(uint64_t hash, uint32_t id) const;
    void Rehash(std::size_t slotCount);

    std::vector<Slot> m_slots;  // a power of two in size, or empty
    std::size_t m_size = 0;
};

}  // namespace zelk
