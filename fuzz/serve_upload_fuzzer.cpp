// libFuzzer target for what zelk serve reads from strangers and the
// organiser's forms: each input is six header lines (Cookie, Authorization,
// Accept, Origin, Host, X-Forwarded-For), an e-mail address line, and the
// uploaded file's bytes. Beyond running clean under the sanitizers:
// - every hand-read header answers with a piece of what it was given;
// - the organiser's reason, category and desk view are read whatever they
//   hold, and two calls are exported under one name only when they are one;
// - the form collector keeps the log whole up to its limit and refuses it
//   beyond, whatever the chunks it arrives in;
// - a file is refused with a reason, or read into a receipt that keeps at
//   most kNotesKept notes of each kind and counts them all, whose JSON
//   parses with the reading's numbers, whose summary reads back the same,
//   and whose pages (receipt, received list, organiser's desk and the
//   submission's page) get no markup from any text of the log or the form.
// A broken invariant aborts, which libFuzzer reports as a finding.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/contest_categories.h"
#include "fuzz_invariants.h"
#include "serve/check_run.h"
#include "serve/organiser_pages.h"
#include "serve/public_pages.h"
#include "serve/receipt.h"
#include "serve/request_parts.h"
#include "serve/upload_form.h"
#include "serve/upload_reading.h"

namespace zelk::serve {
namespace {

using namespace zelk::fuzzing;

constexpr std::size_t kLimit = 1024;  // below run.sh's -max_len, so both sides are met

bool Inside(std::string_view whole, std::string_view part) {
    return whole.find(part) != std::string_view::npos;
}

std::size_t Markup(const std::string& page) {
    std::size_t count = 0;
    for (char c : page) {
        count += c == '<';
    }
    return count;
}

void CheckHeaders(const std::vector<std::string_view>& lines) {
    if (auto cookie = CookieValue(lines[0], "zelk_organiser")) {
        Require(Inside(lines[0], *cookie), "a cookie's value comes from the header");
    }
    if (auto token = BearerToken(lines[1])) {
        Require(!token->empty() && Inside(lines[1], *token), "the token comes from the header");
    }
    WantsJson(lines[2]);
    if (SameOrigin(lines[3], lines[4])) {
        Require(Inside(lines[3], "://"), "an origin names its scheme");
    }
    const std::string client = ClientAddress("127.0.0.1", lines[5], true);
    Require(client == "127.0.0.1" || Inside(lines[5], client), "the address comes from the header");
    if (auto id = ParseId(lines[0])) {
        Require(*id > 0, "an id is positive");
    }
    const std::string name = DownloadName(lines[1], 7);
    Require(name.find_first_of("/\\\"; ") == std::string::npos, "a download's name is plain");

    // The organiser's fields.
    const auto reasonRead = ReadReason(lines[2]);
    if (const auto* reason = std::get_if<std::string>(&reasonRead)) {
        Require(!reason->empty() && reason->size() <= 500 && Inside(lines[2], *reason),
                "a reason is what was given");
    }
    const auto category =
        CategoryFromForm({std::string(lines[3]), std::string(lines[4]), std::string(lines[5])},
                         adjudication::BuiltInCategories());
    if (const auto* set = std::get_if<std::string>(&category)) {
        Require(std::count(set->begin(), set->end(), ' ') == 2, "a category of three parts");
    }
    ReadDeskView(lines[3], lines[4], lines[5]);
    const std::string first = ExportName(lines[0], 1);
    const std::string second = ExportName(lines[1], 2);
    Require(first.find('/') == std::string::npos && !first.starts_with(".") && first.size() <= 120,
            "an export's name is a plain file name");
    Require(first != second || lines[0] == lines[1], "two calls, two export names");
}

void CheckCollector(std::string_view log) {
    UploadFormCollector form(kLimit);
    form.BeginField("log");
    bool going = true;
    for (std::size_t at = 0, step = 1; going && at < log.size();
         at += step, step = step * 3 % 17 + 1) {
        going = form.Append(log.substr(at, step));
    }
    if (log.size() <= kLimit) {
        Require(going && form.File() == log, "a log within the limit is kept whole");
    } else {
        Require(form.Failure() == UploadFormCollector::Problem::kTooLarge &&
                    form.File().size() <= kLimit,
                "a log beyond the limit is refused and never held beyond it");
    }
}

// The same reading with every text a stranger wrote replaced by a plain word.
UploadReading Neutral(UploadReading reading) {
    reading.call = "CALL";
    reading.category = "CATEGORY";
    for (LineNote& note : reading.unreadable) {
        note.text = "reason";
    }
    for (LineNote& note : reading.warnings) {
        note.text = "warning";
    }
    return reading;
}

struct Pages {
    std::string receipt;
    std::string received;
    std::string desk;
};

Pages PagesOf(const UploadReading& reading, const std::string& email) {
    Receipt receipt;
    receipt.id = 1;
    receipt.receivedAt = "2024-05-19T12:00:00Z";
    receipt.replaces = 1;
    receipt.reading = reading;
    Submission row;
    row.id = 2;
    row.call = reading.call;
    row.category = reading.category;
    row.email = email;
    row.summary = SummaryJson(reading);
    row.categorySet = reading.category;
    const OrganiserAction action{1,    "2024-05-19T12:00:00Z", OrganiserAction::kSetCategory,
                                 2,    reading.call,           reading.category,
                                 email};
    Desk desk;
    desk.contestName = "ZELK";
    desk.submissions = {row};
    desk.actions = {action};
    return {ReceiptPage(receipt, "ZELK"), ReceivedPage({row}, "ZELK"),
            DeskPage(desk) + ReceiptPage(receipt, "ZELK", true, reading.call) +
                SubmissionPage(row, {action}, adjudication::BuiltInCategories(), "f", "")};
}

void CheckReading(std::string_view log, const std::string& email) {
    auto read = ReadUpload(log, ContestNames{"ZELK", {"ZELK-CW"}});
    if (auto* refusal = std::get_if<Refusal>(&read)) {
        Require(!refusal->reason.empty(), "a refusal says why");
        return;
    }
    const UploadReading& reading = std::get<UploadReading>(read);
    Require(!reading.call.empty(), "a log taken names its call");
    Require(reading.qsos >= 0 && reading.score >= 0, "counts are not negative");
    Require(reading.unreadable.size() <= kNotesKept && reading.warnings.size() <= kNotesKept &&
                reading.unreadableCount >= static_cast<int64_t>(reading.unreadable.size()) &&
                reading.warningCount >= static_cast<int64_t>(reading.warnings.size()),
            "the notes kept are the first, and all are counted");
    for (const auto* notes : {&reading.unreadable, &reading.warnings}) {
        for (const LineNote& note : *notes) {
            Require(note.text.size() <= kNoteCharacters + 3, "a note is cut to its length");
        }
    }

    Receipt receipt;
    receipt.reading = reading;
    const auto json = nlohmann::json::parse(ReceiptJson(receipt), nullptr, false);
    Require(!json.is_discarded(), "the receipt is JSON");
    Require(json["qsos"] == reading.qsos && json["score"] == reading.score &&
                json["unreadable_lines"].size() == reading.unreadable.size() &&
                json["unreadable_count"] == reading.unreadableCount &&
                json["warning_count"] == reading.warningCount,
            "the receipt holds the reading's numbers");
    const UploadReading back =
        ReadingFromSummary(reading.call, reading.category, SummaryJson(reading));
    Require(back.qsos == reading.qsos && back.score == reading.score &&
                back.claimedScore == reading.claimedScore &&
                back.unreadable.size() == reading.unreadable.size() &&
                back.warnings.size() == reading.warnings.size() &&
                back.unreadableCount == reading.unreadableCount &&
                back.warningCount == reading.warningCount,
            "the stored summary reads back as the reading");

    const Pages pages = PagesOf(reading, email);
    const Pages neutral = PagesOf(Neutral(reading), "entrant@example.org");
    Require(Markup(pages.receipt) == Markup(neutral.receipt), "the log added markup to a receipt");
    Require(Markup(pages.received) == Markup(neutral.received), "the log added markup to the list");
    Require(Markup(pages.desk) == Markup(neutral.desk), "the log added markup to the desk");
}

}  // namespace
}  // namespace zelk::serve

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    while (lines.size() < 7) {
        const std::size_t end = input.find('\n');
        lines.push_back(input.substr(0, end));
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    zelk::serve::CheckHeaders(lines);
    zelk::serve::CheckCollector(input);
    zelk::serve::CheckReading(input, std::string(lines[6]));
    return 0;
}
