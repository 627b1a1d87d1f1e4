// The contest log (g_qsoLog) and the list of group texts (g_groupList).
// The log keeps its records in the order they were accepted; the group list
// keeps its distinct texts in the order they were first seen until scoring
// reorders it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/cinfo.h"

namespace zelk {

class QsoLog {
public:
    void Empty();
    std::size_t Count() const { return m_records.size(); }
    // Throws std::invalid_argument for an index outside the log.
    const CInfo& At(std::size_t index) const;
    void Append(const CInfo& record);
    void RemoveAt(std::size_t index);

    // The position of the first record equal to `record`.
    std::optional<std::size_t> FindEqual(const CInfo& record) const;
    // The position of the first record with this call, mode and group text.
    std::optional<std::size_t> FindByKey(std::string_view call, std::string_view mode,
                                         std::string_view group) const;

private:
    std::vector<CInfo> m_records;
};

class GroupList {
public:
    void Empty() { m_texts.clear(); }
    std::size_t Count() const { return m_texts.size(); }
    const std::string& At(std::size_t index) const;
    bool Contains(std::string_view text) const;
    void Append(std::string_view text) { m_texts.emplace_back(text); }
    void ReplaceAt(std::size_t index, std::string text);

private:
    std::vector<std::string> m_texts;
};

}  // namespace zelk
