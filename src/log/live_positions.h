// LivePositions: which slots of the log's record array still hold a record,
// and the log position of each. Records keep their slot from append to
// removal, so a removal marks one slot dead instead of moving every later
// record; this structure turns a slot into its position among the live slots
// and back in logarithmic time (a Fenwick tree over live marks). While no
// slot is dead, a slot is its own position and nothing is searched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk {

class LivePositions {
  public:
    // Forgets every slot and releases the storage.
    void Clear();
    void Reserve(std::size_t slots) { m_tree.reserve(slots); }

    std::size_t SlotCount() const { return m_tree.size(); }
    std::size_t LiveCount() const { return m_tree.size() - m_dead; }
    std::size_t DeadCount() const { return m_dead; }

    // Adds a live slot after the last one.
    void AppendLive();
    // Marks a live slot dead.
    void Kill(std::size_t slot);

    // The number of live slots before `slot`: the position of a live slot.
    std::size_t Rank(std::size_t slot) const;
    // The live slot at `position`, for position < LiveCount().
    std::size_t Select(std::size_t position) const;

  private:
    std::size_t Prefix(std::size_t count) const;  // live slots among the first `count`

    std::vector<uint32_t> m_tree;  // node k (1-based) at m_tree[k - 1]
    std::size_t m_dead = 0;
};

}  // namespace zelk
