// What the contest's rules file tells the web intake (zelk serve) in its
// [serve] table: the deadline for logs, the organiser's contact address and
// a link to the contest's rules for the upload page, the upload limits, and
// the site's public address for the links in letters.
// Each is unset where the file leaves it out; zelk serve's flags override
// them. The check itself reads none of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelk::adjudication {

struct IntakeRules {
    std::optional<int64_t> deadline;  // minutes since 1970-01-01 00:00 UTC
    std::string contact;              // an e-mail address; empty when none
    std::string rulesLink;            // an http:// or https:// address; empty when none
    std::string publicUrl;            // the site as entrants reach it; empty when none
    std::optional<uint64_t> maxUploadBytes;
    std::optional<int> uploadsAtOnce;
    std::optional<int> uploadsPerHour;

    bool operator==(const IntakeRules&) const = default;
};

}  // namespace zelk::adjudication
