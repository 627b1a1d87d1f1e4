// Hostile-argument scenarios against a loaded plug-in: null pointers where
// the host promises texts and date-times, date-times of every status with
// day counts that are not numbers or far out of range, overlong texts, texts
// with line breaks and raw bytes, extreme frequencies and coordinates. Each
// scenario checks the documented results, the error file and the report,
// and nothing may crash. Portable, so that a native test (libStats.so) and a
// Windows test host (Stats.dll) run the very same scenarios.
#pragma once

#include <string>
#include <vector>

#include "plugin_calls.h"

namespace zelk::reliability {

struct HostileOptions {
    // Also run the scenarios that set the Cabrillo flag. They open the
    // Cabrillo header dialog at every reset and the "Output" box at every
    // result request: set it only where something answers both.
    bool withCabrillo = false;
};

// Runs every scenario in the current folder, which should be an empty
// scratch folder: it writes Plugins/zelk.dat, removes Plugins/ZELK.ini and
// leaves err.txt and Cabrillo files behind. Never calls SetupSet0. Returns
// one text per failed check, each naming its scenario; empty when all pass.
std::vector<std::string> RunHostileCalls(const EntryPoints& plugin,
                                         const HostileOptions& options = {});

}  // namespace zelk::reliability
