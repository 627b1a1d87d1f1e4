// The marks of a map: one per distinct worked position (whole degrees, so
// contacts with the same place share a mark), with the contacts per group,
// the ZELK station and polar contacts among them, and a size by count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "report_html/report_model.h"

namespace zelk::report_html {

struct MapMark {
    GeoPoint position;
    std::vector<int32_t> perGroup;  // indexed like the groups given to CollectMarks
    int32_t qsos = 0;
    bool zelkStation = false;
    bool polar = false;
    std::vector<std::size_t> contacts;  // indexes into model.contacts, in log order
};

// Marks in drawing order: the largest first, so a small mark is never hidden
// under a large one; then north to south, west to east. Contacts without a
// position, or with one off the globe, get no mark.
std::vector<MapMark> CollectMarks(const ReportModel& model, const std::vector<std::string>& groups);

// Radius in canvas units: the area grows with the number of contacts.
double MarkRadius(int32_t qsos);

}  // namespace zelk::report_html
