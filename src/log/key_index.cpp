// The index of the log's call-mode-group keys.
#include "log/key_index.h"

#include "log/hashing.h"

namespace zelk {

void KeyIndex::Clear() {
    std::vector<Entry>().swap(m_entries);
    m_size = 0;
}

std::size_t KeyIndex::Home(const Key& key) const {
    const uint64_t hash = HashCombine(HashCombine(HashCombine(0, key.call), key.mode), key.group);
    return static_cast<std::size_t>(hash) & Mask();
}

void KeyIndex::Reserve(std::size_t keys) {
    std::size_t entries = m_entries.empty() ? 16 : m_entries.size();
    while (keys * 10 >= entries * 7) {
        entries *= 2;
    }
    if (entries != m_entries.size()) {
        Rehash(entries);
    }
}

void KeyIndex::Rehash(std::size_t entryCount) {
    std::vector<Entry> old(entryCount);
    old.swap(m_entries);
    for (const Entry& entry : old) {
        if (entry.Empty()) {
            continue;
        }
        std::size_t i = Home(entry.key);
        while (!m_entries[i].Empty()) {
            i = (i + 1) & Mask();
        }
        m_entries[i] = entry;
    }
}

std::size_t KeyIndex::Locate(const Key& key) const {
    if (m_entries.empty()) {
        return 0;
    }
    for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
        if (m_entries[i].Empty()) {
            return m_entries.size();
        }
        if (m_entries[i].key == key) {
            return i;
        }
    }
}

KeyIndex::Ends* KeyIndex::Find(const Key& key) {
    const std::size_t i = Locate(key);
    return i < m_entries.size() ? &m_entries[i].ends : nullptr;
}

const KeyIndex::Ends* KeyIndex::Find(const Key& key) const {
    const std::size_t i = Locate(key);
    return i < m_entries.size() ? &m_entries[i].ends : nullptr;
}

KeyIndex::Ends& KeyIndex::Insert(const Key& key, Ends ends) {
    Reserve(m_size + 1);
    std::size_t i = Home(key);
    while (!m_entries[i].Empty()) {
        i = (i + 1) & Mask();
    }
    m_entries[i] = Entry{key, ends};
    ++m_size;
    return m_entries[i].ends;
}

void KeyIndex::Erase(const Key& key) {
    std::size_t hole = Locate(key);
    if (hole >= m_entries.size()) {
        return;
    }
    for (std::size_t j = (hole + 1) & Mask(); !m_entries[j].Empty(); j = (j + 1) & Mask()) {
        const std::size_t home = Home(m_entries[j].key);
        const bool homeAfterHole =
            hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!homeAfterHole) {
            m_entries[hole] = m_entries[j];
            hole = j;
        }
    }
    m_entries[hole] = Entry{};
    --m_size;
}

}  // namespace zelk
