// The files entrants send, written from a built contest: each entrant's
// Cabrillo log in a style of its own, with its claimed score, the older log
// of an entrant who sent two, the log of another contest some send too, and
// the files that are not Cabrillo; each file dated (a newer log later than
// the older one, a log of another contest later than the entrant's log).
#pragma once

#include <vector>

#include "contest_model.h"
#include "random.h"

namespace zelk::sim {

// A file with the truth of its QSO lines (TruthLine::file not yet set).
struct PendingFile {
    SubmittedFile file;
    std::vector<TruthLine> truth;
};

std::vector<PendingFile> WriteFiles(const Model& model, Random& random);

}  // namespace zelk::sim
