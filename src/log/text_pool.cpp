// The log's pool of distinct texts.
#include "log/text_pool.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "log/hashing.h"

namespace zelk {

TextPool::TextPool() {
    Clear();
}

void TextPool::Clear() {
    std::vector<char>().swap(m_bytes);
    std::vector<uint32_t>().swap(m_ends);
    m_index.Clear();
    m_ends.push_back(0);
    m_index.Insert(HashBytes(""), kEmptyText);
}

std::optional<uint32_t> TextPool::Find(std::string_view text) const {
    const uint32_t id =
        m_index.Find(HashBytes(text), [this, text](uint32_t other) { return Text(other) == text; });
    if (id == IdHashIndex::kNoId) {
        return std::nullopt;
    }
    return id;
}

uint32_t TextPool::Intern(std::string_view text) {
    const uint64_t hash = HashBytes(text);
    const uint32_t found =
        m_index.Find(hash, [this, text](uint32_t other) { return Text(other) == text; });
    if (found != IdHashIndex::kNoId) {
        return found;
    }
    // Offsets and ids are 32-bit: far beyond what a contest log holds.
    if (m_bytes.size() + text.size() > std::numeric_limits<uint32_t>::max() ||
        m_ends.size() >= IdHashIndex::kNoId) {
        throw std::length_error("text pool full");
    }
    const auto id = static_cast<uint32_t>(m_ends.size());
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_ends.push_back(static_cast<uint32_t>(m_bytes.size()));
    m_index.Insert(hash, id);
    return id;
}

namespace {

ShortText Pooled(uint32_t id) {
    ShortText shortText;
    std::memcpy(shortText.bytes.data(), &id, sizeof id);
    shortText.bytes.back() = static_cast<char>(ShortText::kPooled);
    return shortText;
}

ShortText InPlace(std::string_view text) {
    ShortText shortText;
    std::memcpy(shortText.bytes.data(), text.data(), text.size());
    shortText.bytes.back() = static_cast<char>(text.size());
    return shortText;
}

}  // namespace

ShortText TextPool::InternShort(std::string_view text) {
    return text.size() <= ShortText::kInlineMax ? InPlace(text) : Pooled(Intern(text));
}

std::optional<ShortText> TextPool::FindShort(std::string_view text) const {
    if (text.size() <= ShortText::kInlineMax) {
        return InPlace(text);
    }
    const std::optional<uint32_t> id = Find(text);
    if (!id) {
        return std::nullopt;
    }
    return Pooled(*id);
}

std::string_view TextPool::Text(const ShortText& text) const {
    const auto last = static_cast<unsigned char>(text.bytes.back());
    if (last == ShortText::kPooled) {
        uint32_t id;
        std::memcpy(&id, text.bytes.data(), sizeof id);
        return Text(id);
    }
    return std::string_view(text.bytes.data(), last);
}

}  // namespace zelk
