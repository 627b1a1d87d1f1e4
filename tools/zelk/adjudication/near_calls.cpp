// The deletion index of the entrants' calls.
#include "adjudication/near_calls.h"

#include <algorithm>
#include <numeric>

#include "adjudication/contest_check.h"

namespace zelk::adjudication {

namespace {

// At most this many texts are made from one call; a call of twelve
// characters at distance 2 gives 79, at distance 3 299.
constexpr std::size_t kMostTexts = 2048;

// The number of texts `length` characters give with up to `distance`
// deleted (sum of binomials), or kMostTexts + 1 when it is more than that.
std::size_t TextCount(std::size_t length, int distance) {
    std::size_t total = 0;
    std::size_t choose = 1;  // length over k
    for (int k = 0; k <= distance && static_cast<std::size_t>(k) <= length; ++k) {
        total += choose;
        if (total > kMostTexts) {
            return kMostTexts + 1;
        }
        choose =
            choose * (length - static_cast<std::size_t>(k)) / (static_cast<std::size_t>(k) + 1);
    }
    return total;
}

// Hands `visit` every text of `call` with up to `distance` characters
// deleted: each set of deleted places once (a text may come twice where the
// call repeats a character), built in one reused buffer.
template <typename Visit>
void ForEachDeletionText(std::string_view call, int distance, Visit&& visit) {
    std::string text;
    std::vector<std::size_t> deleted;  // ascending places
    const auto build = [&] {
        text.clear();
        std::size_t next = 0;
        for (std::size_t i = 0; i < call.size(); ++i) {
            if (next < deleted.size() && deleted[next] == i) {
                ++next;
            } else {
                text += call[i];
            }
        }
        visit(std::string_view(text));
    };
    // Every ascending set of at most `distance` places, in order.
    const auto extend = [&](const auto& self, std::size_t from) -> void {
        build();
        if (deleted.size() == static_cast<std::size_t>(distance)) {
            return;
        }
        for (std::size_t i = from; i < call.size(); ++i) {
            deleted.push_back(i);
            self(self, i + 1);
            deleted.pop_back();
        }
    };
    extend(extend, 0);
}

}  // namespace

NearCalls::NearCalls(std::vector<std::string_view> entrantCalls, int distance)
    : m_calls(std::move(entrantCalls)), m_distance(distance) {
    for (uint32_t e = 0; e < m_calls.size(); ++e) {
        if (TextCount(m_calls[e].size(), m_distance) > kMostTexts) {
            m_unindexed.push_back(e);
            continue;
        }
        ForEachDeletionText(m_calls[e], m_distance, [&](std::string_view text) {
            std::vector<uint32_t>& entrants = m_byText[std::string(text)];
            if (entrants.empty() || entrants.back() != e) {
                entrants.push_back(e);
            }
        });
    }
}

std::vector<NearEntrant> NearCalls::Of(std::string_view call) const {
    std::vector<uint32_t> candidates = m_unindexed;
    if (TextCount(call.size(), m_distance) > kMostTexts) {
        candidates.resize(m_calls.size());
        std::iota(candidates.begin(), candidates.end(), 0u);
    } else {
        ForEachDeletionText(call, m_distance, [&](std::string_view text) {
            if (auto it = m_byText.find(text); it != m_byText.end()) {
                candidates.insert(candidates.end(), it->second.begin(), it->second.end());
            }
        });
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    }
    return Measured(call, candidates);
}

std::vector<NearEntrant> NearCalls::Measured(std::string_view call,
                                             const std::vector<uint32_t>& entrants) const {
    std::vector<NearEntrant> near;
    for (uint32_t e : entrants) {
        const int edits = EditDistance(call, m_calls[e], m_distance);
        if (edits >= 1 && edits <= m_distance) {
            near.push_back({e, edits});
        }
    }
    return near;
}

}  // namespace zelk::adjudication
