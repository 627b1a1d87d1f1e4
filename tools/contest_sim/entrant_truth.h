// What the check must find of each entrant beside its lines: its category
// as read, its checked score, its place in its category, the correction of
// its clock, and a note for a person reading the truth.
#pragma once

#include <vector>

#include "contest_model.h"

namespace zelk::sim {

// One per entrant, in order of station, after every status is set
// (EntrantTruth::file is left for the caller to set).
std::vector<EntrantTruth> FindEntrantTruths(const Model& model);

// Standard competition ranking within each category (operator, band,
// power): equal scores share a place and the next place is skipped (1, 1,
// 3); check logs get none (0).
void PlaceInCategories(std::vector<EntrantTruth>& entrants);

// What the notes of an entrant's lines add about its clock: empty for a
// right clock.
std::string ClockNote(const EntrantSetup& setup);

}  // namespace zelk::sim
