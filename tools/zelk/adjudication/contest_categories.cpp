// The categories the contest knows, by default the header dialog's.
#include "adjudication/contest_categories.h"

#include <cctype>

#include "adjudication/log_header.h"

namespace zelk::adjudication {

static_assert(kCategoryParts == std::tuple_size_v<decltype(ContestCategories::values)>);

ContestCategories BuiltInCategories() {
    ContestCategories categories;
    for (std::size_t p = 0; p < kCategoryParts; ++p) {
        for (std::string_view value : RuleOf(static_cast<CategoryPart>(p)).values) {
            categories.values[p].emplace_back(value);
        }
    }
    return categories;
}

std::string CategoryKey(std::size_t part) {
    constexpr std::string_view kPrefix = "CATEGORY-";
    std::string key(RuleOf(static_cast<CategoryPart>(part)).tag.substr(kPrefix.size()));
    for (char& c : key) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

}  // namespace zelk::adjudication
