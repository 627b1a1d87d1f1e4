// The categories a contest knows: for each part of a log's category
// (CATEGORY-OPERATOR, -BAND, -POWER, -TRANSMITTER) the values its rules
// accept, as the rules file's [categories] table gives them. Without one,
// the values of the plug-in's Cabrillo header dialog.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::adjudication {

struct ContestCategories {
    // Indexed by CategoryPart (log_header.h): operator, band, power,
    // transmitter. Each list holds at least one value, in capitals, none
    // twice, in the order the results list them; the first is the one the
    // header dialog offers first (SINGLE-OP, ALL, HIGH, ONE).
    std::array<std::vector<std::string>, 4> values;

    bool operator==(const ContestCategories&) const = default;
};

// The header dialog's values: the lists log_header.cpp knows.
ContestCategories BuiltInCategories();

// The key of a part in the rules file's [categories] table: "operator",
// "band", "power", "transmitter" (the tag without CATEGORY-, in small
// letters).
std::string CategoryKey(std::size_t part);

}  // namespace zelk::adjudication
