// The rules of zelk adjudicate from its rules file and its flags, and the
// rules file written to fill in.
#include "commands/adjudicate_rules.h"

#include <filesystem>
#include <ostream>

#include "adjudication/contest_rules.h"
#include "adjudication/decisions_file.h"
#include "commands/command.h"
#include "platform/file_replace.h"

namespace zelk::commands {

namespace fs = std::filesystem;
using namespace adjudication;

namespace {

constexpr const char* kCommand = "zelk adjudicate: ";

const CLI::Validator kPeriodTime(
    [](std::string& text) {
        return ReadPeriodTime(text) ? std::string()
                                    : "not a date and time as 2024-05-12T06:00 (UTC): " + text;
    },
    "DATETIME");

const CLI::Validator kContestName([](std::string& text) { return ContestNameProblem(text); },
                                  "NAME");

}  // namespace

RulesOptions::RulesOptions(CLI::App& command, Offer offer) {
    m_rulesOption = command.add_option(
        "--rules", m_rulesFile,
        "The contest's rules in one TOML file: its name, period, the check's settings, the "
        "decisions file and the categories; each flag below overrides its key "
        "(zelk adjudicate --write-rules writes one to fill in)");
    m_contestOption = command.add_option("--contest", m_contest, std::string(kContestHelp))
                          ->check(kContestName)
                          ->default_str(m_numbers.contest);
    m_startOption =
        command.add_option("--start", m_start, std::string(kStartHelp))->check(kPeriodTime);
    m_endOption = command.add_option("--end", m_end, std::string(kEndHelp))->check(kPeriodTime);
    for (const NumberSetting& setting : NumberSettings()) {
        m_numberOptions.push_back(command
                                      .add_option(std::string(setting.flag),
                                                  m_numbers.*setting.value,
                                                  std::string(setting.help))
                                      ->check(CLI::Range(setting.least, setting.most))
                                      ->capture_default_str());
    }
    m_overridesOption = command.add_option("--overrides", m_overridesFile,
                                           std::string(kOverridesHelp) +
                                               "; applied after the check and shown, with their "
                                               "reasons, in the entrants' reports");
    if (offer == Offer::kRulesOnly) {
        return;
    }
    m_writeRulesOption = command.add_option(
        "--write-rules", m_writeRulesFile,
        "Writes FILE, a rules file with every key at its default and explained, to fill in for "
        "--rules (- writes it to standard output), and does nothing else; FILE must not exist");
}

fs::path RulesOptions::RulesFile() const {
    if (*m_rulesOption) {
        return m_rulesFile;
    }
    std::error_code error;
    if (!m_usualRulesFile.empty() && fs::exists(m_usualRulesFile, error)) {
        return m_usualRulesFile;
    }
    return {};
}

fs::path RulesOptions::FollowedFile() const {
    return *m_rulesOption ? fs::path(m_rulesFile) : m_usualRulesFile;
}

std::variant<CheckRules, std::string> RulesOptions::Rules(bool decisions) const {
    CheckRules rules;
    const std::string rulesFile = RulesFile().string();
    if (!rulesFile.empty()) {
        auto read = ReadRulesFile(rulesFile);
        if (auto* problem = std::get_if<std::string>(&read)) {
            return *problem;
        }
        rules = std::move(std::get<CheckRules>(read));
    }
    if (*m_contestOption) {
        rules.contest = m_contest;
    }
    // The flags' validators have read the times already.
    if (*m_startOption) {
        rules.start = ReadPeriodTime(m_start);
    }
    if (*m_endOption) {
        rules.end = ReadPeriodTime(m_end);
    }
    const auto settings = NumberSettings();
    for (std::size_t s = 0; s < settings.size(); ++s) {
        if (*m_numberOptions[s]) {
            rules.*settings[s].value = m_numbers.*settings[s].value;
        }
    }
    if (rules.start && rules.end && *rules.end <= *rules.start) {
        // A rules file's own period is checked as it is read: a flag is in it.
        return "the contest period's end, " + PeriodTimeText(*rules.end) + " (" +
               (*m_endOption ? std::string("--end") : rulesFile) + "), is not after its start, " +
               PeriodTimeText(*rules.start) + " (" +
               (*m_startOption ? std::string("--start") : rulesFile) + ")";
    }
    if (*m_overridesOption) {
        rules.overridesFile = m_overridesFile;
    }
    if (decisions && !rules.overridesFile.empty()) {
        auto read = ReadDecisionsFile(rules.overridesFile);
        if (auto* problem = std::get_if<std::string>(&read)) {
            // A file that cannot be read is told where it was named.
            const bool named =
                !*m_overridesOption && problem->starts_with(rules.overridesFile + ": ");
            return *problem + (named ? " (the decisions file " + rulesFile + " names)" : "");
        }
        rules.decisions = std::move(std::get<std::vector<Decision>>(read));
    }
    return rules;
}

int RulesOptions::WriteRules(std::ostream& out, std::ostream& err) const {
    const std::string text = DefaultRulesText();
    if (m_writeRulesFile == "-") {
        out << text;
        return kExitOk;
    }
    // A rules file that exists holds an organiser's rules: never replaced.
    std::error_code error;
    if (fs::exists(fs::symlink_status(m_writeRulesFile, error))) {
        err << kCommand << m_writeRulesFile
            << ": exists; --write-rules writes a new file only (remove it, or name another)\n";
        return kExitBadInput;
    }
    if (const std::error_code failed = ReplaceFileWhole(m_writeRulesFile, text)) {
        err << kCommand << m_writeRulesFile << ": cannot be written: " << failed.message() << '\n';
        return kExitFailure;
    }
    out << "wrote " << m_writeRulesFile
        << ": the contest's rules, every key at its default, to fill in for --rules\n";
    return kExitOk;
}

}  // namespace zelk::commands
