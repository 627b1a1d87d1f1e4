// The pairs the check's clock rule finds in each log: lines of two logs that
// match in all but time. They are counted per entrant so that the rule finds
// the truth's clock whatever it makes of the pairs other rules touch:
// - a log whose clock is off has at least kLeastClockPairs clean pairs;
// - a log whose clock is right and that works logs off by more than the
//   window (far pairs: their times differ by that log's error) has, beside
//   them, at least two clean pairs more than far ones with the other logs
//   (near pairs: within the window), so its median stays among the near.
// A clean pair is a contact between two entrants that both log, in CW, each
// side copied right, neither a repeat nor out of the period nor on another
// band. Far pairs are counted whatever they are. A portable entrant's pairs
// are not counted as clean: whether the clock rule matches a partner's copy
// with the call sent or with CALLSIGN:, the others' medians hold (and it
// works no log whose clock is off).
#pragma once

#include <cstdint>
#include <vector>

#include "contest_model.h"

namespace zelk::sim {

inline constexpr int32_t kLeastClockPairs = 5;  // the check's rule needs this many

class ClockPairs {
  public:
    // Counts the pairs of the contacts so far, which are all clean. With no
    // log's clock off it stays inactive and allows everything.
    void Count(const Model& model);
    bool Active() const { return m_active; }
    int32_t Near(uint32_t entrant) const { return m_near[entrant]; }
    int32_t Far(uint32_t entrant) const { return m_far[entrant]; }

    // Whether a fault may take the clean pair of `contact` (a NIL, a
    // miscopy); Take records that one did.
    bool MayTake(const Model& model, const Contact& contact) const;
    void Take(const Model& model, const Contact& contact);
    // Whether a pair that is not clean (a repeat, a phone contact, one out
    // of the period) may be added between a and b; Add records it.
    bool MayAdd(const Model& model, uint32_t a, uint32_t b) const;
    void Add(const Model& model, uint32_t a, uint32_t b);
    // Records a clean contact added between two entrants.
    void AddClean(const Model& model, uint32_t a, uint32_t b);

    // Whether an entrant has the pairs it needs.
    bool Holds(const Model& model, uint32_t entrant, int32_t near, int32_t far) const;

  private:
    // Whether the pairs of a and b are counted as clean.
    static bool Seen(const Model& model, uint32_t a, uint32_t b);

    bool m_active = false;
    std::vector<int32_t> m_near;
    std::vector<int32_t> m_far;
};

}  // namespace zelk::sim
