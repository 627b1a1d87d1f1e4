// Report models for the tests: a small hand-worked one whose page is kept
// byte for byte, and a generated contest of some two hundred contacts that
// the browser test renders and the README screenshots show.
#pragma once

#include <vector>

#include "report_html/report_model.h"
#include "report_html/world_outline.h"

namespace zelk::report_html::testing {

// 2024-05-12 00:00 UTC in minutes since 1970.
inline constexpr int64_t kContestDay = 28591200;

// Eight contacts on two bands (one without a time, one without a position),
// two breaks, a ZELK and a polar contact, a hostile call, two refused lines.
ReportModel SmallModel();

// One square island, 50..60 N and 20..40 E, and one far away that no fitted
// view of the small model shows.
Outline SmallOutline();

// A four-hour contest on four bands from 55N37O, made from a fixed seed.
ReportModel ContestModel();

}  // namespace zelk::report_html::testing
