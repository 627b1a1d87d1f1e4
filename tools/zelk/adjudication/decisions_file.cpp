// Reading the decisions file, line by line: the first fault ends the
// reading with its line.
#include "adjudication/decisions_file.h"

#include <map>
#include <utility>

#include "adjudication/input_file.h"
#include "adjudication/log_folder.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

std::string Quoted(std::string_view text) {
    return "\"" + Printable(text, 60) + "\"";
}

// The fields of one line, or why it has none.
std::variant<std::vector<std::string>, std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (true) {
        while (at < line.size() && kBlanks.find(line[at]) != std::string_view::npos) {
            ++at;
        }
        std::string field;
        if (at < line.size() && line[at] == '"') {
            for (++at;; ++at) {
                if (at == line.size()) {
                    return "field " + std::to_string(fields.size() + 1) +
                           ": its quote is not closed on this line (a field cannot span lines)";
                }
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        ++at;
                    } else {
                        break;
                    }
                }
                field += line[at];
            }
            const std::size_t end = line.find(',', ++at);
            if (!Trimmed(line.substr(at, end == std::string_view::npos ? end : end - at)).empty()) {
                return "field " + std::to_string(fields.size() + 1) +
                       ": text after its closing quote";
            }
            at = end;
        } else {
            const std::size_t end = line.find(',', at);
            field = Trimmed(line.substr(at, end == std::string_view::npos ? end : end - at));
            at = end;
        }
        fields.push_back(std::move(field));
        if (at == std::string_view::npos) {
            return fields;
        }
        ++at;  // the comma
    }
}

bool IsHeader(const std::vector<std::string>& fields) {
    static const char* const kHeader[] = {"CALL", "LINE", "VERDICT", "REASON"};
    if (fields.size() != 4) {
        return false;
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (Upper(fields[f]) != kHeader[f]) {
            return false;
        }
    }
    return true;
}

// A decision from a line's four fields, or what is wrong with them.
std::variant<Decision, std::string> ReadDecision(const std::vector<std::string>& fields) {
    if (fields.size() != 4) {
        return "has " + std::to_string(fields.size()) +
               (fields.size() == 1 ? " field" : " fields") +
               "; a decision has four, call,line,verdict,reason (quote a reason that holds a "
               "comma)";
    }
    Decision decision;
    decision.call = fields[0];
    if (decision.call.empty() || !IsOneLineText(decision.call) ||
        decision.call.find(' ') != std::string::npos) {
        return "call: " + Quoted(decision.call) + " is no call";
    }
    const std::string& line = fields[1];
    if (!IsDigits(line) || line.size() > 10 || std::stoull(line) == 0 ||
        std::stoull(line) > UINT32_MAX) {
        return "line: " + Quoted(line) + " is no line number (1, 2, ... in the entrant's log file)";
    }
    decision.line = static_cast<uint32_t>(std::stoull(line));
    const std::string verdict = Upper(fields[2]);
    if (verdict != "CREDIT" && verdict != "DENY") {
        return "verdict: " + Quoted(fields[2]) + " is neither credit nor deny";
    }
    decision.verdict = verdict == "CREDIT" ? Decision::Verdict::kCredit : Decision::Verdict::kDeny;
    decision.reason = fields[3];
    if (decision.reason.empty()) {
        return "reason: missing; the entrant's report shows every decision with its reason";
    }
    if (!IsOneLineText(decision.reason)) {
        return "reason: " + Quoted(decision.reason) +
               " holds a character that cannot be printed (a control character, or bytes that "
               "are not UTF-8)";
    }
    return decision;
}

const char* VerdictName(Decision::Verdict verdict) {
    return verdict == Decision::Verdict::kCredit ? "credit" : "deny";
}

}  // namespace

std::variant<std::vector<Decision>, std::string> ReadDecisionsText(std::string_view text,
                                                                   const fs::path& file) {
    if (text.starts_with("\xEF\xBB\xBF")) {  // the byte order mark a spreadsheet may write
        text.remove_prefix(3);
    }
    const std::string name = FileNameText(file.filename());
    std::vector<Decision> decisions;
    std::map<std::pair<std::string, uint32_t>, std::size_t> decided;  // by call in capitals
    bool headerAllowed = true;
    uint32_t number = 0;
    while (!text.empty()) {
        // CR LF, LF and a lone CR each end a line.
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos
                               ? text.size()
                               : end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
        ++number;
        const std::string place = file.string() + " line " + std::to_string(number) + ": ";
        if (Trimmed(line).empty() || Trimmed(line).front() == '#') {
            continue;
        }
        auto fields = Fields(line);
        if (auto* problem = std::get_if<std::string>(&fields)) {
            return place + *problem;
        }
        const auto& values = std::get<std::vector<std::string>>(fields);
        if (std::exchange(headerAllowed, false) && IsHeader(values)) {
            continue;
        }
        auto read = ReadDecision(values);
        if (auto* problem = std::get_if<std::string>(&read)) {
            return place + *problem;
        }
        Decision& decision = std::get<Decision>(read);
        decision.source = name + " line " + std::to_string(number);
        const auto [at, added] =
            decided.try_emplace({Upper(decision.call), decision.line}, decisions.size());
        if (!added) {
            const Decision& earlier = decisions[at->second];
            if (earlier.verdict == decision.verdict) {
                continue;  // the same decision again: kept once
            }
            return place + Printable(decision.call) + " line " + std::to_string(decision.line) +
                   " is decided twice: " + VerdictName(earlier.verdict) + " in " + earlier.source +
                   ", " + VerdictName(decision.verdict) + " here";
        }
        decisions.push_back(std::move(decision));
    }
    return decisions;
}

std::variant<std::vector<Decision>, std::string> ReadDecisionsFile(const fs::path& file) {
    InputFile input = ReadInputFile(file, kMaxDecisionsBytes, "a decisions file");
    if (!input.problem.empty()) {
        return file.string() + ": " + input.problem;
    }
    return ReadDecisionsText(input.bytes, file);
}

}  // namespace zelk::adjudication
