// Positions of the live slots of the log.
#include "log/live_positions.h"

namespace zelk {
namespace {

std::size_t LowBit(std::size_t k) {
    return k & (~k + 1);
}

}  // namespace

void LivePositions::Clear() {
    std::vector<uint32_t>().swap(m_tree);
    m_dead = 0;
}

std::size_t LivePositions::Prefix(std::size_t count) const {
    std::size_t sum = 0;
    for (std::size_t k = count; k > 0; k -= LowBit(k)) {
        sum += m_tree[k - 1];
    }
    return sum;
}

void LivePositions::AppendLive() {
    const std::size_t k = m_tree.size() + 1;
    // Node k covers the slots k - LowBit(k) + 1 to k.
    const std::size_t covered = m_dead == 0 ? LowBit(k) : 1 + Prefix(k - 1) - Prefix(k - LowBit(k));
    m_tree.push_back(static_cast<uint32_t>(covered));
}

void LivePositions::Kill(std::size_t slot) {
    for (std::size_t k = slot + 1; k <= m_tree.size(); k += LowBit(k)) {
        --m_tree[k - 1];
    }
    ++m_dead;
}

std::size_t LivePositions::Rank(std::size_t slot) const {
    return m_dead == 0 ? slot : Prefix(slot);
}

std::size_t LivePositions::Select(std::size_t position) const {
    if (m_dead == 0) {
        return position;
    }
    std::size_t step = 1;
    while (step * 2 <= m_tree.size()) {
        step *= 2;
    }
    // Walk down to the last slot whose prefix holds at most `position` live slots.
    std::size_t k = 0;
    std::size_t left = position + 1;
    for (; step > 0; step /= 2) {
        if (k + step <= m_tree.size() && m_tree[k + step - 1] < left) {
            k += step;
            left -= m_tree[k - 1];
        }
    }
    return k;
}

}  // namespace zelk
