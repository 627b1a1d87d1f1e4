// KeyIndex: for every call, mode and group text in the log (as pool ids), the
// slots of its first and last record. The key is held in the index itself, so
// finding a key's first record reads no record. Open addressing with linear
// probing and backward-shift deletion, like IdHashIndex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk {

class KeyIndex {
  public:
    static constexpr uint32_t kNone = UINT32_MAX;

    // Pool ids; a call id is never kNone.
    struct Key {
        uint32_t call = 0, mode = 0, group = 0;
        bool operator==(const Key&) const = default;
    };
    struct Ends {
        uint32_t first = kNone, last = kNone;
    };

    // Empties the index and releases its storage.
    void Clear();
    void Reserve(std::size_t keys);

    Ends* Find(const Key& key);
    const Ends* Find(const Key& key) const;
    // Adds a key that is not in the index.
    Ends& Insert(const Key& key, Ends ends);
    void Erase(const Key& key);

  private:
    struct Entry {
        Key key{kNone, kNone, kNone};  // key.call is kNone in an empty entry
        Ends ends;
        bool Empty() const { return key.call == kNone; }
    };

    std::size_t Home(const Key& key) const;
    std::size_t Mask() const { return m_entries.size() - 1; }
    std::size_t Locate(const Key& key) const;  // the entry's position, or the table size
    void Rehash(std::size_t entryCount);

    std::vector<Entry> m_entries;  // a power of two in size, or empty
    std::size_t m_size = 0;
};

}  // namespace zelk
