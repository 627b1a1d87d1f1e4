// The receipt an entrant gets for a stored log, the reading summary the
// database keeps beside each submission, and the lists of logs, as JSON. Texts from the log are
// kept as sent; bytes that are no UTF-8 come out as U+FFFD.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "serve/submissions.h"
#include "serve/upload_reading.h"

namespace zelk::serve {

struct Receipt {
    int64_t id = 0;
    std::string receivedAt;  // UTC, "2024-05-19T12:34:56Z"
    std::optional<int64_t> replaces;
    std::optional<int64_t> replacedBy;  // a log of the call that arrived later
    std::string sha256;
    int64_t size = 0;
    bool byOrganiser = false;
    std::string key;  // the secret of its permanent link
    UploadReading reading;

    // "/receipts/12/<key>": where the receipt is shown again, to whoever has it.
    std::string Link() const;
};

// The receipt of a stored submission, as it was given.
Receipt ReceiptOf(const Submission& row);

// The reading without call and category (the database has columns for them).
std::string SummaryJson(const UploadReading& reading);
// The reading back from the database's columns and summary; a summary that
// cannot be parsed gives the call and category alone.
UploadReading ReadingFromSummary(std::string call, std::string category,
                                 const std::string& summary);

// {"id", "call", "category", "qsos", "claimed_score", "score",
//  "unreadable_lines": [{"line", "reason"}] (the first 100), "unreadable_count",
//  "warnings": [{"line", "message"}] (the first 100), "warning_count",
//  "received_at", "replaces", "replaced_by", "sha256", "size", "by_organiser",
//  "receipt_link"}
std::string ReceiptJson(const Receipt& receipt);

// The public list: {"count", "logs": [{"call", "category", "qsos", "received_at"}]},
// no e-mail address; from the rows' columns alone.
std::string ReceivedJson(const std::vector<Submission>& current);

// The organiser's list of every submission, replaced and removed ones too:
// each as its receipt with "email", "replaced_by", "removed", "category_set"
// and "stored_name".
std::string SubmissionsJson(const std::vector<Submission>& all);

// {"error": reason}
std::string ErrorJson(const std::string& reason);

}  // namespace zelk::serve
