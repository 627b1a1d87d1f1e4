// The order of the report rows: group texts in descending order once
// zero-filled in front to 20 characters.
//
// The ordering is defined by a pairwise exchange: for every position i and
// every later position j, the texts swap when the one at i is less than the
// one at j. That yields descending order; texts that are equal once filled
// (such as "7" and "07") never swap with each other but move around as the
// others swap, so where they end up is whatever the exchanges leave. Without
// such ties the result is simply the descending order, found by sorting; with
// ties the exchanges are replayed.
#include <algorithm>
#include <numeric>

#include "scoring/score.h"

namespace zelk {
namespace {

// The byte of `text` zero-filled to the ordering width, at `index`.
unsigned char FilledByte(std::string_view text, std::size_t index) {
    const std::size_t fill = text.size() < kGroupOrderWidth ? kGroupOrderWidth - text.size() : 0;
    return index < fill ? '0' : static_cast<unsigned char>(text[index - fill]);
}

// a < b once both are zero-filled, byte by byte.
bool FilledLess(std::string_view a, std::string_view b) {
    const std::size_t lengthA = std::max(a.size(), kGroupOrderWidth);
    const std::size_t lengthB = std::max(b.size(), kGroupOrderWidth);
    for (std::size_t i = 0; i < lengthA && i < lengthB; ++i) {
        const unsigned char x = FilledByte(a, i);
        const unsigned char y = FilledByte(b, i);
        if (x != y) {
            return x < y;
        }
    }
    return lengthA < lengthB;
}

std::string ZeroFilled(std::string_view text) {
    std::string filled(text.size() < kGroupOrderWidth ? kGroupOrderWidth - text.size() : 0, '0');
    filled += text;
    return filled;
}

}  // namespace

void OrderGroups(GroupList& groups) {
    const std::size_t n = groups.Count();
    // A list in order stays as it is: no pair is ever less-before-greater.
    bool ordered = true;
    for (std::size_t i = 0; i + 1 < n && ordered; ++i) {
        ordered = !FilledLess(groups.At(i), groups.At(i + 1));
    }
    if (ordered) {
        return;
    }
    // std::string compares as unsigned bytes, as the ordering does.
    std::vector<std::string> filled;
    filled.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        filled.push_back(ZeroFilled(groups.At(i)));
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&filled](std::size_t a, std::size_t b) { return filled[b] < filled[a]; });
    bool ties = false;
    for (std::size_t i = 0; i + 1 < n && !ties; ++i) {
        ties = filled[order[i]] == filled[order[i + 1]];
    }
    if (ties) {
        // Replay the exchanges on ranks, which compare like the texts.
        std::vector<std::size_t> rank(n);
        for (std::size_t i = 0, r = 0; i < n; ++i) {
            if (i > 0 && filled[order[i]] != filled[order[i - 1]]) {
                ++r;
            }
            rank[order[i]] = n - r;  // larger text, larger rank
        }
        std::iota(order.begin(), order.end(), 0);
        for (std::size_t i = 0; i + 1 < n; ++i) {
            for (std::size_t j = i + 1; j < n; ++j) {
                if (rank[order[i]] < rank[order[j]]) {
                    std::swap(order[i], order[j]);
                }
            }
        }
    }
    groups.Reorder(order);
}

}  // namespace zelk
