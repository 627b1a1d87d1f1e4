// Calls as small numbers: every call of the contest (entrants' calls and
// worked calls) is kept once and named by its id, so the check compares and
// indexes numbers instead of texts. A contest of millions of lines holds a
// few hundred thousand calls; they are looked up millions of times, so the
// table is an open-addressing array of hashes and ids, its texts kept in
// blocks that never move.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace zelk::adjudication {

class CallTable {
  public:
    // The id of `call`, given the next free one when it is new.
    uint32_t Intern(std::string_view call);
    // The id of `call`, or kNoCall when it was never interned.
    uint32_t Find(std::string_view call) const;
    // Stays valid as long as the table.
    std::string_view Text(uint32_t id) const { return m_texts[id]; }
    std::size_t Size() const { return m_texts.size(); }
    void Reserve(std::size_t calls);

    static constexpr uint32_t kNoCall = UINT32_MAX;

  private:
    struct Slot {
        uint32_t hash = 0;  // the text's hash, its high half
        uint32_t id = kNoCall;
    };
    // Where `call` is, or the empty slot where it would go.
    std::size_t SlotOf(std::string_view call, uint64_t hash) const;
    void Grow(std::size_t slots);
    std::string_view Keep(std::string_view call);

    std::vector<Slot> m_slots;                      // a power of two of them, at most half in use
    std::vector<std::string_view> m_texts;          // by id, into m_blocks
    std::vector<std::unique_ptr<char[]>> m_blocks;  // the texts' bytes
    char* m_blockEnd = nullptr;                     // of the last block
    std::size_t m_blockFree = 0;                    // bytes left in the last block
};

}  // namespace zelk::adjudication
