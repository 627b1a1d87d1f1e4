// The open-addressing id index.
#include "log/id_hash_index.h"

#include <utility>

namespace zelk {
namespace {

// Grow before the table is more than 7/10 full: linear probing stays short.
bool TooFull(std::size_t size, std::size_t slots) {
    return size * 10 >= slots * 7;
}

}  // namespace

void IdHashIndex::Reserve(std::size_t count) {
    std::size_t slots = m_slots.empty() ? 16 : m_slots.size();
    while (TooFull(count, slots)) {
        slots *= 2;
    }
    if (slots != m_slots.size()) {
        Rehash(slots);
    }
}

void IdHashIndex::Rehash(std::size_t slotCount) {
    std::vector<Slot> old(slotCount);
    old.swap(m_slots);
    for (const Slot& slot : old) {
        if (slot.id == kNoId) {
            continue;
        }
        std::size_t i = Home(slot.tag);
        while (m_slots[i].id != kNoId) {
            i = (i + 1) & Mask();
        }
        m_slots[i] = slot;
    }
}

void IdHashIndex::Insert(uint64_t hash, uint32_t id) {
    Reserve(m_size + 1);
    const uint32_t tag = Tag(hash);
    std::size_t i = Home(tag);
    while (m_slots[i].id != kNoId) {
        i = (i + 1) & Mask();
    }
    m_slots[i] = Slot{tag, id};
    ++m_size;
}

std::size_t IdHashIndex::Locate(uint64_t hash, uint32_t id) const {
    if (m_slots.empty()) {
        return m_slots.size();
    }
    for (std::size_t i = Home(Tag(hash));; i = (i + 1) & Mask()) {
        if (m_slots[i].id == kNoId) {
            return m_slots.size();
        }
        if (m_slots[i].id == id) {
            return i;
        }
    }
}

bool IdHashIndex::Erase(uint64_t hash, uint32_t id) {
    std::size_t hole = Locate(hash, id);
    if (hole == m_slots.size()) {
        return false;
    }
    // Pull back every later entry of the run that may move into the hole
    // without passing its home slot.
    for (std::size_t j = (hole + 1) & Mask(); m_slots[j].id != kNoId; j = (j + 1) & Mask()) {
        const std::size_t home = Home(m_slots[j].tag);
        const bool homeAfterHole =
            hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!homeAfterHole) {
            m_slots[hole] = m_slots[j];
            hole = j;
        }
    }
    m_slots[hole] = Slot{};
    --m_size;
    return true;
}

bool IdHashIndex::Replace(uint64_t hash, uint32_t oldId, uint32_t newId) {
    const std::size_t i = Locate(hash, oldId);
    if (i == m_slots.size()) {
        return false;
    }
    m_slots[i].id = newId;
    return true;
}

}  // namespace zelk
