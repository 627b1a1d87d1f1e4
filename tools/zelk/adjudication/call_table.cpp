// The call table.
#include "adjudication/call_table.h"

namespace zelk::adjudication {

uint32_t CallTable::Intern(std::string_view call) {
    auto it = m_ids.find(call);
    if (it == m_ids.end()) {
        it = m_ids.emplace(std::string(call), static_cast<uint32_t>(m_texts.size())).first;
        m_texts.push_back(&it->first);
    }
    return it->second;
}

uint32_t CallTable::Find(std::string_view call) const {
    const auto it = m_ids.find(call);
    return it == m_ids.end() ? kNoCall : it->second;
}

void CallTable::Reserve(std::size_t calls) {
    m_ids.reserve(calls);
    m_texts.reserve(calls);
}

}  // namespace zelk::adjudication
