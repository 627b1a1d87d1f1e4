// TextPool: the texts of the log's records, each distinct text stored once
// and named by a 32-bit id. Modes, group texts, reports and the never-set
// fields repeat from contact to contact; storing them once keeps a record
// small. Texts are never taken out one by one: the log builds a fresh pool
// when it compacts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "log/id_hash_index.h"

namespace zelk {

// A text that is usually different in every record (an exchange): up to 15
// bytes are held in place, a longer text by its id in the pool. The form is
// canonical, so two ShortTexts are equal exactly when their texts are.
struct ShortText {
    static constexpr std::size_t kInlineMax = 15;
    static constexpr unsigned char kPooled = 0xFF;
    // The text and, in the last byte, its length; or the pool id and kPooled.
    std::array<char, 16> bytes{};
    bool operator==(const ShortText&) const = default;
};

class TextPool {
  public:
    static constexpr uint32_t kEmptyText = 0;  // the id of ""

    TextPool();

    // Forgets every text but "" and releases the storage.
    void Clear();
    std::size_t Count() const { return m_ends.size(); }

    // The id of `text`, stored now if it was not yet.
    uint32_t Intern(std::string_view text);
    // The id of `text`, or nullopt when it is not stored.
    std::optional<uint32_t> Find(std::string_view text) const;

    // The short form of `text`, a long text added to the pool.
    ShortText InternShort(std::string_view text);
    // The short form of `text`; nullopt when it is long and not stored.
    std::optional<ShortText> FindShort(std::string_view text) const;
    // The text of a short form; a view into `text` when it is held in place.
    std::string_view Text(const ShortText& text) const;

    std::string_view Text(uint32_t id) const {
        const uint32_t begin = id == 0 ? 0 : m_ends[id - 1];
        return std::string_view(m_bytes.data() + begin, m_ends[id] - begin);
    }

  private:
    std::vector<char> m_bytes;     // every text, one after the other
    std::vector<uint32_t> m_ends;  // where each text ends in m_bytes
    IdHashIndex m_index;
};

}  // namespace zelk
