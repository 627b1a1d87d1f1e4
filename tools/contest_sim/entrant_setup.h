// How each entrant's log presents itself (its category and CONTEST: line),
// its clock, and who sends a log of another contest: chosen before the
// contacts, since clocks and single bands shape them.
#pragma once

#include <string>

#include "contest_model.h"
#include "random.h"

namespace zelk::sim {

// The Cabrillo 2.0 CATEGORY: lines the entrants with such a header write,
// in turn.
enum class Cabrillo2Category : uint8_t {
    SingleBandQrp,  // SINGLE-OP 80M QRP CW: a single-band entry
    CheckLog,       // CHECKLOG
    MultiOne,       // MULTI-ONE ALL LOW: MULTI-OP, transmitter ONE
    MultiTwo,       // MULTI-TWO: MULTI-OP, TWO, the band and power by default
    MultiMulti,     // MULTI-MULTI ALL LOW CW: MULTI-MULTI, UNLIMITED
    Assisted,       // SINGLE-OP-ASSISTED ALL HIGH: an operator the check does not know
    Count,
};
// How many of the entrants with a Cabrillo 2.0 header write `kind`.
int Cabrillo2Count(const FaultCounts& faults, Cabrillo2Category kind);

// Why the entrants cannot hold the roles asked for; empty when they can.
std::string CheckEntrantRoles(const SimulationParameters& parameters);

// Fills model.setups for the entrants. Draws nothing when none of these
// roles is asked for, so such a contest is the one the seed made before
// they existed.
void ChooseEntrantSetups(Model& model, Random& random);

// The category text as a logger writing in mixed case writes it:
// "SINGLE-OP" as "Single-Op", "40M" as "40m".
std::string MixedCase(const std::string& text);

}  // namespace zelk::sim
