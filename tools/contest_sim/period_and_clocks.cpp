// The organiser's rules in the contacts: the pairs the clock rule needs, and
// the contacts outside the contest period.
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "builder.h"

namespace zelk::sim {
namespace {

constexpr int32_t kSparePairs = 2;  // beyond what the clock rule needs, for the faults to take
constexpr int kAttempts = 100000;

}  // namespace

// Logs whose clock is off get clean pairs with right clocks first: those are
// far pairs of their partners, who then get enough near pairs.
void Builder::BalanceClockPairs() {
    m_clockPairs.Count(m_model);
    if (!m_clockPairs.Active()) {
        return;
    }
    // A symmetric clock pair's clean pairs are its own six.
    for (uint32_t e = 0; e < m_model.entrants; ++e) {
        while (!m_model.Isolated(e) && m_model.ClockErrorOf(e) != 0 &&
               m_clockPairs.Near(e) < kLeastClockPairs + kSparePairs) {
            AddCleanPair(e);
        }
    }
    for (uint32_t e = 0; e < m_model.entrants; ++e) {
        while (!m_model.Isolated(e) && m_model.ClockErrorOf(e) == 0 && m_clockPairs.Far(e) > 0 &&
               m_clockPairs.Near(e) < m_clockPairs.Far(e) + 2 + kSparePairs) {
            AddCleanPair(e);
        }
    }
}

void Builder::AddCleanPair(uint32_t entrant) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const uint32_t other = m_random.Below(m_model.entrants);
        if (other == entrant || m_model.ClockErrorOf(other) != 0 || m_model.SingleBand(other) ||
            m_model.Portable(other)) {
            continue;
        }
        const uint32_t band = RandomBand();
        if (AddFresh(entrant, other, band, TrueMinute(), true)) {
            m_clockPairs.AddClean(m_model, entrant, other);
            return;
        }
    }
    throw std::invalid_argument(
        "too few contacts left with right clocks for the logs whose clocks are off");
}

void Builder::AddOutOfPeriodContacts() {
    const FaultCounts& f = m_p.faults;
    for (int i = 0; i < f.outOfPeriod; ++i) {
        AddOutsideThePeriod(i);
    }
    for (int i = 0; i < f.oneSideOutOfPeriod; ++i) {
        AddAcrossAnEdge();
    }
}

// Both lines out of the period. The first, where a log's clock is an hour
// off, is that log's, at a time its clock puts inside the period: only the
// correction puts its line out. Logs off within the window, whose own clock
// the check keeps, are left out.
void Builder::AddOutsideThePeriod(int ordinal) {
    uint32_t hourOff = m_model.entrants;
    for (uint32_t e = 0; ordinal == 0 && e < m_model.entrants; ++e) {
        if (m_model.CorrectedClock(e) && std::abs(m_model.ClockErrorOf(e)) == 60 &&
            !m_model.Isolated(e)) {
            hourOff = e;
            break;
        }
    }
    const int32_t error = ClockError(m_p);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const uint32_t a = hourOff < m_model.entrants ? hourOff : m_random.Below(m_model.entrants);
        const uint32_t b = m_random.Below(m_model.entrants);
        const bool ownClockKept = (m_model.ClockErrorOf(a) != 0 && !m_model.CorrectedClock(a)) ||
                                  (m_model.ClockErrorOf(b) != 0 && !m_model.CorrectedClock(b));
        if (a == b || ownClockKept || !m_clockPairs.MayAdd(m_model, a, b)) {
            continue;
        }
        int32_t minute = 0;
        if (hourOff < m_model.entrants) {
            const int32_t off = m_model.ClockErrorOf(a);
            const auto within = static_cast<uint32_t>(std::min(kOutsideReach, std::abs(off)));
            minute = off < 0
                         ? m_model.periodEnd + static_cast<int32_t>(m_random.Below(within))
                         : m_model.periodStart - 1 - static_cast<int32_t>(m_random.Below(within));
        } else {
            const int32_t reach = m_random.Between(0, kOutsideReach - 1 - 2 * error);
            minute = m_random.Chance(50) ? m_model.periodStart - 1 - error - reach
                                         : m_model.periodEnd + error + reach;
        }
        if (AddFresh(a, b, RandomBand(), minute, true)) {
            m_clockPairs.Add(m_model, a, b);
            return;
        }
    }
    throw std::invalid_argument("no room for a contact outside the period");
}

// One line just inside an edge of the period, the partner's just outside,
// the two within the window. Both clocks are right and both entrants work
// all bands, so the line inside is confirmed.
void Builder::AddAcrossAnEdge() {
    const int32_t span = std::max(1, m_p.timeWindowMinutes - 1);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const uint32_t a = m_random.Below(m_model.entrants);
        const uint32_t b = m_random.Below(m_model.entrants);
        if (a == b || m_model.ClockErrorOf(a) != 0 || m_model.ClockErrorOf(b) != 0 ||
            m_model.SingleBand(a) || m_model.SingleBand(b)) {
            continue;
        }
        const auto in = static_cast<int32_t>(m_random.Below(static_cast<uint32_t>(span)));
        const auto out = static_cast<int32_t>(m_random.Below(static_cast<uint32_t>(span - in)));
        const bool atEnd = m_random.Chance(50);
        const int32_t inside = atEnd ? m_model.periodEnd - 1 - in : m_model.periodStart + in;
        const int32_t outside = atEnd ? m_model.periodEnd + out : m_model.periodStart - 1 - out;
        if (!AddFresh(a, b, RandomBand(), inside, true)) {
            continue;
        }
        Contact& contact = m_model.contacts.back();
        const uint32_t late = m_random.Below(2);
        contact.sides[late].minute = outside;
        contact.sides[late ^ 1].minute = inside;
        return;
    }
    throw std::invalid_argument("no room for a contact across an edge of the period");
}

std::string Builder::PeriodNote(const Side& side) const {
    const int32_t minute = m_model.CheckedMinute(side);
    std::string note =
        minute < m_model.periodStart ? "logged " + std::to_string(m_model.periodStart - minute) +
                                           " min before the period starts"
        : minute == m_model.periodEnd
            ? std::string("logged the minute the period ends")
            : "logged " + std::to_string(minute - m_model.periodEnd) + " min after the period ends";
    if (m_model.CorrectedClock(side.station)) {
        note += ", by the corrected clock";
    }
    return note;
}

std::string Builder::BandNote(const Side& side) const {
    const EntrantSetup& setup = m_model.setups[side.station];
    return "on " + std::to_string(side.freqKHz) + " kHz, outside " + setup.categoryBand +
           ", the band of the entry";
}

}  // namespace zelk::sim
