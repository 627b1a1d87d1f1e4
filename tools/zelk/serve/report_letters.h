// Each entrant's check report by mail, on the organiser's word once the
// results are published: for every current log with an address, the report
// the published check wrote for its call (published/ubn/), with the
// results' link. Pressed twice, it writes no letter twice for one
// publication.
#pragma once

#include <cstddef>

#include "serve/app.h"

namespace zelk::serve {

struct ReportLetters {
    std::size_t queued = 0;
    std::size_t withoutAddress = 0;  // current logs with no address to send to
    std::size_t withoutReport = 0;   // calls the published results hold no report for
    std::size_t alreadyQueued = 0;
};

// Throws std::runtime_error when nothing is published, or when the check ran
// again since and the published results did not keep results.json.
ReportLetters QueueReportLetters(App& app, UtcTime now);

}  // namespace zelk::serve
