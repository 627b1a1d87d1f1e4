// Receipts and reading summaries as JSON (nlohmann-json).
#include "serve/receipt.h"

#include <nlohmann/json.hpp>

namespace zelk::serve {

namespace {

using nlohmann::json;

std::string Dump(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

json Notes(const std::vector<LineNote>& notes, const char* textKey) {
    json list = json::array();
    for (const LineNote& note : notes) {
        list.push_back(
            {{"line", note.line == 0 ? json(nullptr) : json(note.line)}, {textKey, note.text}});
    }
    return list;
}

std::vector<LineNote> NotesFrom(const json& list, const char* textKey) {
    std::vector<LineNote> notes;
    for (const json& note : list) {
        const json& line = note.at("line");
        notes.push_back({line.is_null() ? 0 : line.get<uint32_t>(), note.at(textKey)});
    }
    return notes;
}

json Optional(const std::optional<int64_t>& value) {
    return value ? json(*value) : json(nullptr);
}

json Summary(const UploadReading& reading) {
    return {{"qsos", reading.qsos},
            {"claimed_score", Optional(reading.claimedScore)},
            {"score", reading.score},
            {"unreadable_lines", Notes(reading.unreadable, "reason")},
            {"unreadable_count", reading.unreadableCount},
            {"warnings", Notes(reading.warnings, "message")},
            {"warning_count", reading.warningCount},
            {"call_from_qso_lines", reading.callFromQsoLines},
            {"station", reading.station}};
}

json ReceiptValue(const Receipt& receipt) {
    json value = Summary(receipt.reading);
    value["id"] = receipt.id;
    value["call"] = receipt.reading.call;
    value["category"] = receipt.reading.category;
    value["received_at"] = receipt.receivedAt;
    value["replaces"] = Optional(receipt.replaces);
    value["replaced_by"] = Optional(receipt.replacedBy);
    value["sha256"] = receipt.sha256;
    value["size"] = receipt.size;
    value["by_organiser"] = receipt.byOrganiser;
    value["receipt_link"] = receipt.Link();
    return value;
}

}  // namespace

std::string SummaryJson(const UploadReading& reading) {
    return Dump(Summary(reading));
}

UploadReading ReadingFromSummary(std::string call, std::string category,
                                 const std::string& summary) {
    UploadReading reading;
    reading.call = std::move(call);
    reading.category = std::move(category);
    try {
        const json parsed = json::parse(summary);
        reading.qsos = parsed.at("qsos");
        if (!parsed.at("claimed_score").is_null()) {
            reading.claimedScore = parsed.at("claimed_score").get<int64_t>();
        }
        reading.score = parsed.at("score");
        reading.unreadable = NotesFrom(parsed.at("unreadable_lines"), "reason");
        reading.warnings = NotesFrom(parsed.at("warnings"), "message");
        // A summary of a zelk that kept every note has no counts.
        reading.unreadableCount =
            parsed.value("unreadable_count", static_cast<int64_t>(reading.unreadable.size()));
        reading.warningCount =
            parsed.value("warning_count", static_cast<int64_t>(reading.warnings.size()));
        reading.callFromQsoLines = parsed.at("call_from_qso_lines");
        reading.station = parsed.at("station");
    } catch (const json::exception&) {
        // A row written by hand or by another program: shown with what its columns hold.
    }
    return reading;
}

std::string Receipt::Link() const {
    return "/receipts/" + std::to_string(id) + "/" + key;
}

Receipt ReceiptOf(const Submission& row) {
    Receipt receipt;
    receipt.id = row.id;
    receipt.receivedAt = row.receivedAt;
    receipt.replacedBy = row.replacedBy;
    receipt.sha256 = row.sha256;
    receipt.size = row.size;
    receipt.byOrganiser = row.byOrganiser;
    receipt.key = row.receiptKey;
    receipt.reading = ReadingFromSummary(row.call, row.category, row.summary);
    return receipt;
}

std::string ReceiptJson(const Receipt& receipt) {
    return Dump(ReceiptValue(receipt));
}

std::string ReceivedJson(const std::vector<Submission>& current) {
    json logs = json::array();
    for (const Submission& row : current) {
        logs.push_back({{"call", row.call},
                        {"category", row.Category()},
                        {"qsos", row.qsos},
                        {"received_at", row.receivedAt}});
    }
    return Dump(json{{"count", logs.size()}, {"logs", std::move(logs)}});
}

std::string SubmissionsJson(const std::vector<Submission>& all) {
    json list = json::array();
    for (const Submission& row : all) {
        json value = ReceiptValue(ReceiptOf(row));
        value.erase("replaces");
        value["email"] = row.email;
        value["removed"] = row.removed;
        value["category_set"] = row.categorySet.empty() ? json(nullptr) : json(row.categorySet);
        value["stored_name"] = row.storedName;
        list.push_back(std::move(value));
    }
    return Dump(json{{"count", list.size()}, {"submissions", std::move(list)}});
}

std::string ErrorJson(const std::string& reason) {
    return Dump(json{{"error", reason}});
}

}  // namespace zelk::serve
