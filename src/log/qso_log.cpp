// The contest log and the group list.
#include "log/qso_log.h"

#include <stdexcept>

namespace zelk {

void QsoLog::Empty() { std::vector<CInfo>().swap(m_records); }

const CInfo& QsoLog::At(std::size_t index) const {
    if (index >= m_records.size()) {
        throw std::invalid_argument("log index out of range");
    }
    return m_records[index];
}

void QsoLog::Append(const CInfo& record) { m_records.push_back(record); }

void QsoLog::RemoveAt(std::size_t index) {
    if (index >= m_records.size()) {
        throw std::invalid_argument("log index out of range");
    }
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
}

std::optional<std::size_t> QsoLog::FindEqual(const CInfo& record) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i] == record) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> QsoLog::FindByKey(std::string_view call, std::string_view mode,
                                             std::string_view group) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const CInfo& r = m_records[i];
        if (r.m_strCall == call && r.m_strMode == mode && r.m_strGroup == group) {
            return i;
        }
    }
    return std::nullopt;
}

const std::string& GroupList::At(std::size_t index) const {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    return m_texts[index];
}

bool GroupList::Contains(std::string_view text) const {
    for (const std::string& t : m_texts) {
        if (t == text) {
            return true;
        }
    }
    return false;
}

void GroupList::ReplaceAt(std::size_t index, std::string text) {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    m_texts[index] = std::move(text);
}

}  // namespace zelk
