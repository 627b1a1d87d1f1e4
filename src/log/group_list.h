// The list of group texts (g_groupList): the distinct group texts of the
// contacts taken, in the order they were first seen, until scoring puts them
// in the report's order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/hashing.h"

namespace zelk {

class GroupList {
  public:
    void Empty();
    std::size_t Count() const { return m_texts.size(); }
    const std::string& At(std::size_t index) const;
    bool Contains(std::string_view text) const { return m_counts.find(text) != m_counts.end(); }
    void Append(std::string_view text);
    void ReplaceAt(std::size_t index, std::string text);
    // Puts the texts in a new order: position i gets the text that was at
    // position order[i]. `order` must be a permutation of the positions.
    void Reorder(const std::vector<std::size_t>& order);

  private:
    std::vector<std::string> m_texts;
    // How often each text stands in the list, for the membership test.
    std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> m_counts;
};

}  // namespace zelk
