// Unreadable lines: their description, and their grouping for a command.
#include "logfile/unreadable_line.h"

namespace zelk::logfile {

namespace {

// "32,279"
std::string CountText(std::size_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

}  // namespace

std::string UnreadableLine::Describe() const {
    return "line " + std::to_string(line) + ": " + reason;
}

std::vector<UnreadableGroup> GroupUnreadable(const std::vector<UnreadableLine>& lines) {
    std::vector<UnreadableGroup> groups;
    std::size_t otherContest = SIZE_MAX;  // the group of each kind said together, once begun
    std::size_t afterEnd = SIZE_MAX;
    for (const UnreadableLine& line : lines) {
        std::size_t* together = line.kind == UnreadableKind::kOtherContest ? &otherContest
                                : line.kind == UnreadableKind::kAfterEnd   ? &afterEnd
                                                                           : nullptr;
        if (together != nullptr && *together != SIZE_MAX) {
            ++groups[*together].count;
            continue;
        }
        if (together != nullptr) {
            *together = groups.size();
        }
        groups.push_back({&line, 1});
    }
    return groups;
}

std::string UnreadableGroup::Summary() const {
    const bool otherContest = first->kind == UnreadableKind::kOtherContest;
    const std::string_view prefix = otherContest ? kNoZelkExchange : kAfterEndOfLog;
    const std::string_view reason = first->reason;
    const std::string_view detail =
        reason.starts_with(prefix) ? reason.substr(prefix.size()) : reason;
    std::string summary = CountText(count);
    if (otherContest) {
        summary +=
            count == 1 ? " QSO line holds no ZELK exchange" : " QSO lines hold no ZELK exchange";
    } else {
        summary += count == 1 ? " line after END-OF-LOG:" : " lines after END-OF-LOG:";
        summary += ", not part of the log";
    }
    return summary + " (first at line " + std::to_string(first->line) + ": " + std::string(detail) +
           ")";
}

}  // namespace zelk::logfile
