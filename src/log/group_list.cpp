// The list of group texts.
#include "log/group_list.h"

#include <stdexcept>

namespace zelk {

void GroupList::Empty() {
    std::vector<std::string>().swap(m_texts);
    m_counts.clear();
}

const std::string& GroupList::At(std::size_t index) const {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    return m_texts[index];
}

void GroupList::Append(std::string_view text) {
    m_texts.emplace_back(text);
    ++m_counts[m_texts.back()];
}

void GroupList::ReplaceAt(std::size_t index, std::string text) {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    auto old = m_counts.find(m_texts[index]);
    if (--old->second == 0) {
        m_counts.erase(old);
    }
    ++m_counts[text];
    m_texts[index] = std::move(text);
}

void GroupList::Reorder(const std::vector<std::size_t>& order) {
    if (order.size() != m_texts.size()) {
        throw std::invalid_argument("group order of the wrong length");
    }
    std::vector<bool> taken(order.size());
    for (std::size_t from : order) {
        if (from >= order.size() || taken[from]) {
            throw std::invalid_argument("group order is not a permutation");
        }
        taken[from] = true;
    }
    std::vector<std::string> texts;
    texts.reserve(order.size());
    for (std::size_t from : order) {
        texts.push_back(std::move(m_texts[from]));
    }
    m_texts.swap(texts);
}

}  // namespace zelk
