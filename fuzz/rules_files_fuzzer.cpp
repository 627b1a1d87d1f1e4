// libFuzzer target for the two files an organiser gives zelk adjudicate
// besides the logs: each input is read as a rules file (TOML, with toml++)
// and as a decisions file (CSV). Beyond running clean under the sanitizers:
// - the same bytes give the same rules, decisions or message;
// - a message names the file and a line of it, and is one printable line;
// - the rules read lie in the flags' ranges, the period's end after its
//   start, each category list non-empty, in capitals and without repeats,
//   the contest's other names names, the [serve] table's contact an address,
//   its rules link a web address and its limits in their ranges;
// - every decision names a line from 1, a verdict, a printable reason and
//   its source in the file, and no call and line is decided twice.
// A broken invariant aborts, which libFuzzer reports as a finding.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "adjudication/contest_rules.h"
#include "adjudication/decisions_file.h"
#include "adjudication/input_file.h"
#include "fuzz_invariants.h"
#include "text/text.h"

namespace zelk::adjudication {
namespace {

using namespace zelk::fuzzing;

// Lines as both readers count them: one more than their ends.
uint32_t LineCount(std::string_view bytes) {
    return LineEnds(bytes) + 1;
}

// "<file> line N..." with N a line of the input.
void RequireNamesALine(const std::string& message, std::string_view file, uint32_t lines) {
    Require(IsOneLineText(message), "a message is one printable line: " + Printable(message, 200));
    const std::string prefix = std::string(file) + " line ";
    Require(message.starts_with(prefix), "a message names the file and line: " + message);
    const std::size_t end = message.find_first_not_of("0123456789", prefix.size());
    const std::string number = message.substr(prefix.size(), end - prefix.size());
    Require(IsDigits(number) && number.size() < 10, "a line number: " + message);
    const uint64_t line = std::stoull(number);
    Require(line >= 1 && line <= lines, "the line lies in the file: " + message);
}

void CheckRulesRead(std::string_view bytes) {
    const auto read = ReadRulesText(bytes, "fuzz.toml");
    if (const auto* message = std::get_if<std::string>(&read)) {
        const auto again = ReadRulesText(bytes, "fuzz.toml");
        Require(
            std::holds_alternative<std::string>(again) && std::get<std::string>(again) == *message,
            "the same file, the same message");
        RequireNamesALine(*message, "fuzz.toml", LineCount(bytes));
        return;
    }
    const CheckRules& rules = std::get<CheckRules>(read);
    for (const NumberSetting& setting : NumberSettings()) {
        Require(rules.*setting.value >= setting.least && rules.*setting.value <= setting.most,
                std::string(setting.key) + " in its range");
    }
    Require(ContestNameProblem(rules.contest).empty(), "the contest's name can be a flag's");
    Require(!rules.start || !rules.end || *rules.start < *rules.end, "the end after the start");
    for (const std::string& alias : rules.contestAliases) {
        Require(ContestNameProblem(alias).empty(), "another name of the contest is a name");
    }
    // What zelk serve puts on its pages and in its limits.
    const IntakeRules& intake = rules.intake;
    Require(
        intake.contact.empty() || (IsOneLineText(intake.contact) &&
                                   intake.contact.find_first_of(" <>\"'") == std::string::npos &&
                                   intake.contact.find('@') != std::string::npos),
        "a contact is an address: " + Printable(intake.contact, 80));
    Require(intake.rulesLink.empty() ||
                ((intake.rulesLink.starts_with("https://") ||
                  intake.rulesLink.starts_with("http://")) &&
                 IsOneLineText(intake.rulesLink) &&
                 intake.rulesLink.find_first_of(" <>\"'`\\") == std::string::npos),
            "a rules link is a web address: " + Printable(intake.rulesLink, 80));
    Require(!intake.maxUploadBytes ||
                (*intake.maxUploadBytes >= 1024 && *intake.maxUploadBytes <= (256u << 20)),
            "the upload limit in its range");
    Require(!intake.uploadsAtOnce || (*intake.uploadsAtOnce >= 1 && *intake.uploadsAtOnce <= 10000),
            "uploads at once in their range");
    Require(!intake.uploadsPerHour ||
                (*intake.uploadsPerHour >= 1 && *intake.uploadsPerHour <= 1000000),
            "uploads an hour in their range");
    for (const auto& values : rules.categories.values) {
        Require(!values.empty(), "a category list holds a value");
        std::set<std::string> seen;
        for (const std::string& value : values) {
            Require(value == Upper(value) && !value.empty(), "a category value in capitals");
            Require(seen.insert(value).second, "no category value twice");
        }
    }
}

void CheckDecisionsRead(std::string_view bytes) {
    const auto read = ReadDecisionsText(bytes, "fuzz.csv");
    if (const auto* message = std::get_if<std::string>(&read)) {
        const auto again = ReadDecisionsText(bytes, "fuzz.csv");
        Require(
            std::holds_alternative<std::string>(again) && std::get<std::string>(again) == *message,
            "the same file, the same message");
        RequireNamesALine(*message, "fuzz.csv", LineCount(bytes));
        return;
    }
    const auto& decisions = std::get<std::vector<Decision>>(read);
    std::set<std::pair<std::string, uint32_t>> decided;
    for (const Decision& decision : decisions) {
        Require(decision.line >= 1, "a line from 1");
        Require(!decision.call.empty() && IsOneLineText(decision.call), "a printable call");
        Require(!decision.reason.empty() && IsOneLineText(decision.reason), "a printable reason");
        Require(decision.verdict == Decision::Verdict::kCredit ||
                    decision.verdict == Decision::Verdict::kDeny,
                "credit or deny");
        RequireNamesALine(decision.source, "fuzz.csv", LineCount(bytes));
        Require(decided.insert({Upper(decision.call), decision.line}).second,
                "no call and line decided twice");
    }
}

}  // namespace
}  // namespace zelk::adjudication

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zelk::adjudication::CheckRulesRead(bytes);
    zelk::adjudication::CheckDecisionsRead(bytes);
    return 0;
}
