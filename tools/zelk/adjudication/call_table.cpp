// The call table.
#include "adjudication/call_table.h"

#include <algorithm>
#include <cstring>

#include "log/hashing.h"

namespace zelk::adjudication {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

uint32_t High(uint64_t hash) {
    return static_cast<uint32_t>(hash >> 32);
}

}  // namespace

std::size_t CallTable::SlotOf(std::string_view call, uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash) & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.id == kNoCall || (slot.hash == High(hash) && m_texts[slot.id] == call)) {
            return at;
        }
    }
}

uint32_t CallTable::Intern(std::string_view call) {
    if ((m_texts.size() + 1) * 2 > m_slots.size()) {
        Grow(std::max<std::size_t>(m_slots.size() * 2, 64));
    }
    const uint64_t hash = HashBytes(call);
    Slot& slot = m_slots[SlotOf(call, hash)];
    if (slot.id == kNoCall) {
        slot = {High(hash), static_cast<uint32_t>(m_texts.size())};
        m_texts.push_back(Keep(call));
    }
    return slot.id;
}

uint32_t CallTable::Find(std::string_view call) const {
    if (m_slots.empty()) {
        return kNoCall;
    }
    return m_slots[SlotOf(call, HashBytes(call))].id;
}

void CallTable::Reserve(std::size_t calls) {
    m_texts.reserve(calls);
    std::size_t slots = 64;
    while (slots < calls * 2) {
        slots *= 2;
    }
    if (slots > m_slots.size()) {
        Grow(slots);
    }
}

void CallTable::Grow(std::size_t slots) {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(slots, Slot{});
    for (const Slot& slot : old) {
        if (slot.id != kNoCall) {
            m_slots[SlotOf(m_texts[slot.id], HashBytes(m_texts[slot.id]))] = slot;
        }
    }
}

std::string_view CallTable::Keep(std::string_view call) {
    if (call.size() > m_blockFree || m_blocks.empty()) {
        // A text longer than a block gets a block of its own.
        const std::size_t size = std::max(kBlockBytes, call.size());
        m_blocks.push_back(std::make_unique<char[]>(size));
        m_blockFree = size;
        m_blockEnd = m_blocks.back().get() + size;
    }
    char* at = m_blockEnd - m_blockFree;
    if (!call.empty()) {
        std::memcpy(at, call.data(), call.size());
    }
    m_blockFree -= call.size();
    return {at, call.size()};
}

}  // namespace zelk::adjudication
