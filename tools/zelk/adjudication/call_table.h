// Calls as small numbers: every call of the contest (entrants' calls and
// worked calls) is kept once and named by its id, so the check compares and
// indexes numbers instead of texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/hashing.h"

namespace zelk::adjudication {

class CallTable {
  public:
    // The id of `call`, given the next free one when it is new.
    uint32_t Intern(std::string_view call);
    // The id of `call`, or kNoCall when it was never interned.
    uint32_t Find(std::string_view call) const;
    std::string_view Text(uint32_t id) const { return *m_texts[id]; }
    std::size_t Size() const { return m_texts.size(); }
    void Reserve(std::size_t calls);

    static constexpr uint32_t kNoCall = UINT32_MAX;

  private:
    std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> m_ids;
    std::vector<const std::string*> m_texts;  // into m_ids, whose nodes stay put
};

}  // namespace zelk::adjudication
