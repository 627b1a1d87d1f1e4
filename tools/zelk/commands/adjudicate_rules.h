// The contest's rules on the command line, as zelk adjudicate and zelk serve
// take them: --rules FILE, a flag for each key of the rules file (--contest,
// --start, --end, the check's four settings, --overrides), and, for zelk
// adjudicate, --write-rules FILE. The rules applied are the defaults, over
// them the rules file's, over those the flags'.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

#include "adjudication/line_status.h"

namespace zelk::commands {

class RulesOptions {
  public:
    // Declares the options on `command`; they are parsed into this object,
    // which must stay where it is until the command has run.
    enum class Offer { kWriteRules, kRulesOnly };
    explicit RulesOptions(CLI::App& command, Offer offer = Offer::kWriteRules);
    RulesOptions(const RulesOptions&) = delete;
    RulesOptions& operator=(const RulesOptions&) = delete;

    // The rules to apply, with the adjudicator's decisions read unless
    // `decisions` is false; else what is wrong, naming the file, the line
    // and the key, or the flag.
    std::variant<adjudication::CheckRules, std::string> Rules(bool decisions = true) const;

    // The rules file read when --rules names none, if it exists (zelk
    // serve's CONTEST_DIR/contest.toml).
    void SetUsualRulesFile(std::filesystem::path file) { m_usualRulesFile = std::move(file); }
    // The rules file Rules() reads; empty when none.
    std::filesystem::path RulesFile() const;
    // The file Rules() would read whenever it is there: --rules FILE, else
    // the usual one.
    std::filesystem::path FollowedFile() const;

    // --write-rules, which writes the rules file and runs nothing else.
    CLI::Option* WriteRulesOption() const { return m_writeRulesOption; }
    int WriteRules(std::ostream& out, std::ostream& err) const;

  private:
    std::string m_rulesFile;
    std::string m_contest;
    std::string m_start;
    std::string m_end;
    adjudication::CheckRules m_numbers;  // the four settings as their flags give them
    std::string m_overridesFile;
    std::string m_writeRulesFile;
    std::filesystem::path m_usualRulesFile;

    CLI::Option* m_rulesOption = nullptr;
    CLI::Option* m_contestOption = nullptr;
    CLI::Option* m_startOption = nullptr;
    CLI::Option* m_endOption = nullptr;
    std::vector<CLI::Option*> m_numberOptions;  // in NumberSettings' order
    CLI::Option* m_overridesOption = nullptr;
    CLI::Option* m_writeRulesOption = nullptr;
};

}  // namespace zelk::commands
