// The baseline the benchmarks measure the plug-in against: the contest log as
// the plain description has it. Records in an array searched from the front,
// removal that moves every later record, a group list searched from the
// front, scoring that walks the whole log for every group and orders the
// groups by pairwise exchanges, and QSO lines formatted with printf. The
// baseline entry points use the plug-in's own module state for everything
// else (station, reference list, settings, Cabrillo header and writer).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/cinfo.h"
#include "plugin/entry_points.h"

namespace zelk::bench {

class LinearQsoLog {
  public:
    void Empty() { std::vector<CInfo>().swap(m_records); }
    std::size_t Count() const { return m_records.size(); }
    const CInfo& At(std::size_t index) const;
    void Append(const CInfo& record) { m_records.push_back(record); }
    void RemoveAt(std::size_t index);
    std::optional<std::size_t> FindEqual(const CInfo& record) const;
    std::optional<std::size_t> FindByKey(std::string_view call, std::string_view mode,
                                         std::string_view group) const;

  private:
    std::vector<CInfo> m_records;
};

class LinearGroupList {
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

// The plug-in's module state with the baseline's containers beside it; the
// state's own log and group list stay empty.
struct BaselineState {
    explicit BaselineState(Platform& platform) : core(platform) {}
    ModuleState core;
    LinearQsoLog log;
    LinearGroupList groups;
};

void OrderGroupsByExchange(LinearGroupList& groups);
ScoreResult ScoreLogLinear(BaselineState& state);

int BaselineResetStats0(BaselineState& state, const ResetArgs& args);
// `searchDuplicates` false skips the duplicate search: only for filling the
// baseline with contacts known to be distinct, so that setting up a large
// baseline log does not take the quadratic time being measured elsewhere.
int BaselineAddData0(BaselineState& state, const ContactArgs& args, bool searchDuplicates = true);
int BaselineRemoveData0(BaselineState& state, const ContactArgs& args);
int BaselineCheckCall0(BaselineState& state, std::string_view call, std::string_view mode,
                       std::string_view group, const char* wantReference, char* referenceBuffer);
const char* BaselineGetResult0(BaselineState& state, int* result);

}  // namespace zelk::bench
