// Counting the clock rule's pairs of each entrant.
#include "clock_pairs.h"

#include <algorithm>

namespace zelk::sim {

void ClockPairs::Count(const Model& model) {
    m_active = std::any_of(model.setups.begin(), model.setups.end(),
                           [](const EntrantSetup& setup) { return setup.clockError != 0; });
    if (!m_active) {
        return;
    }
    m_near.assign(model.entrants, 0);
    m_far.assign(model.entrants, 0);
    for (const Contact& contact : model.contacts) {
        const uint32_t a = contact.sides[0].station;
        const uint32_t b = contact.sides[1].station;
        if (a >= model.entrants || b >= model.entrants) {
            continue;
        }
        const bool clean =
            model.Plain(contact.sides[0]) && model.Plain(contact.sides[1]) && Seen(model, a, b);
        for (const auto& [own, other] : {std::pair{a, b}, std::pair{b, a}}) {
            if (model.CorrectedClock(other)) {
                ++m_far[own];
            } else if (clean) {
                ++m_near[own];
            }
        }
    }
}

bool ClockPairs::Holds(const Model& model, uint32_t entrant, int32_t near, int32_t far) const {
    if (model.ClockErrorOf(entrant) != 0) {
        return near >= kLeastClockPairs;
    }
    return far == 0 || near >= far + 2;
}

bool ClockPairs::Seen(const Model& model, uint32_t a, uint32_t b) {
    return !model.Portable(a) && !model.Portable(b);
}

bool ClockPairs::MayTake(const Model& model, const Contact& contact) const {
    const uint32_t a = contact.sides[0].station;
    const uint32_t b = contact.sides[1].station;
    if (!m_active || a >= model.entrants || b >= model.entrants || !Seen(model, a, b)) {
        return true;
    }
    for (const auto& [own, other] : {std::pair{a, b}, std::pair{b, a}}) {
        if (!model.CorrectedClock(other) && !Holds(model, own, m_near[own] - 1, m_far[own])) {
            return false;
        }
    }
    return true;
}

void ClockPairs::Take(const Model& model, const Contact& contact) {
    const uint32_t a = contact.sides[0].station;
    const uint32_t b = contact.sides[1].station;
    if (!m_active || a >= model.entrants || b >= model.entrants || !Seen(model, a, b)) {
        return;
    }
    for (const auto& [own, other] : {std::pair{a, b}, std::pair{b, a}}) {
        --(model.CorrectedClock(other) ? m_far : m_near)[own];
    }
}

bool ClockPairs::MayAdd(const Model& model, uint32_t a, uint32_t b) const {
    if (!m_active || a >= model.entrants || b >= model.entrants) {
        return true;
    }
    for (const auto& [own, other] : {std::pair{a, b}, std::pair{b, a}}) {
        if (model.CorrectedClock(other) && !Holds(model, own, m_near[own], m_far[own] + 1)) {
            return false;
        }
    }
    return true;
}

void ClockPairs::Add(const Model& model, uint32_t a, uint32_t b) {
    if (!m_active || a >= model.entrants || b >= model.entrants) {
        return;
    }
    for (const auto& [own, other] : {std::pair{a, b}, std::pair{b, a}}) {
        m_far[own] += model.CorrectedClock(other) ? 1 : 0;
    }
}

void ClockPairs::AddClean(const Model& model, uint32_t a, uint32_t b) {
    for (const auto& [own, other] : {std::pair{a, b}, std::pair{b, a}}) {
        ++(model.CorrectedClock(other) ? m_far : m_near)[own];
    }
}

}  // namespace zelk::sim
