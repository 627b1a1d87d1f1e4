// Reading the category from either version's lines.
#include "logfile/cabrillo_category.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "text/text.h"

namespace zelk::logfile {

namespace {

bool IsBandWord(std::string_view word) {
    if (word == "ALL" || word == "LIGHT") {
        return true;
    }
    const std::size_t digits = word.find_first_not_of("0123456789.");
    if (digits == 0 || digits == std::string_view::npos) {
        return false;
    }
    const std::string_view unit = word.substr(digits);
    return unit == "M" || unit == "CM" || unit == "MM";
}

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    for (std::string_view w : words) {
        if (word == w) {
            return true;
        }
    }
    return false;
}

void ReadVersion2(std::string_view line, HeaderCategory& category) {
    const std::string upper = Upper(line);
    std::string_view rest = upper;
    while (!rest.empty()) {
        const std::size_t begin = rest.find_first_not_of(" \t,");
        if (begin == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(begin);
        const std::size_t end = std::min(rest.find_first_of(" \t,"), rest.size());
        const std::string_view word = rest.substr(0, end);
        rest.remove_prefix(end);
        if (word == "MULTI-ONE" || word == "MULTI-TWO") {
            category.op = "MULTI-OP";
            category.transmitter = word == "MULTI-ONE" ? "ONE" : "TWO";
        } else if (word == "MULTI-MULTI") {
            category.op = "MULTI-MULTI";
            category.transmitter = "UNLIMITED";
        } else if (IsBandWord(word)) {
            category.band = word;
        } else if (OneOf(word, {"HIGH", "LOW", "QRP"})) {
            category.power = word;
        } else if (OneOf(word, {"CW", "SSB", "PH", "FM", "RTTY", "RY", "DIG", "DG", "MIXED"})) {
            category.mode = word;
        } else if (category.op.empty()) {
            category.op = word;
        }
    }
}

}  // namespace

std::string HeaderCategory::Text() const {
    std::string text;
    for (const std::string* part : {&op, &assisted, &band, &mode, &power, &transmitter}) {
        if (!part->empty()) {
            text += (text.empty() ? "" : " ") + *part;
        }
    }
    return text;
}

HeaderCategory ReadHeaderCategory(const CabrilloLog& log) {
    HeaderCategory category;
    category.op = Upper(log.Category("OPERATOR"));
    category.band = Upper(log.Category("BAND"));
    category.power = Upper(log.Category("POWER"));
    category.transmitter = Upper(log.Category("TRANSMITTER"));
    category.assisted = Upper(log.Category("ASSISTED"));
    category.mode = Upper(log.Category("MODE"));
    const bool version3 = !category.op.empty() || !category.band.empty() ||
                          !category.power.empty() || !category.transmitter.empty();
    const std::string_view version2 = log.Value("CATEGORY");
    if (!version3 && !version2.empty()) {
        category.version2Line = std::string(version2);
        ReadVersion2(version2, category);
    }
    return category;
}

}  // namespace zelk::logfile
