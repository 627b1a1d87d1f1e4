// The contest's rules in one file, read by `zelk adjudicate --rules FILE`:
// a TOML file with the contest's name, its period, the check's four
// settings, the decisions file and the categories. Every key is optional
// (left out, it keeps its default) and has a flag of the same name that
// overrides it. Every fault names the file, the line and the key.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "adjudication/line_status.h"

namespace zelk::adjudication {

// One of the check's whole-number settings: its key in the rules file, its
// flag, where CheckRules keeps it, the values it may take and what it means
// (the flag's help and the comment --write-rules writes above the key).
struct NumberSetting {
    std::string_view key;   // "time_window"
    std::string_view flag;  // "--time-window"
    int CheckRules::*value;
    int least;
    int most;
    std::string_view help;
};
std::span<const NumberSetting> NumberSettings();

// What the other keys mean, for the flags' help and the written file.
inline constexpr std::string_view kContestHelp =
    "The contest's name, as the logs' CONTEST: line gives it (any case); a log of another "
    "contest is named and checked as this one's";
inline constexpr std::string_view kStartHelp =
    "Start of the contest period, UTC, as 2024-05-12T06:00: a QSO counts when start <= its "
    "time < end; without a period no QSO is out of it";
inline constexpr std::string_view kEndHelp =
    "End of the contest period, UTC, as 2024-05-12T13:00 (not counted in)";
inline constexpr std::string_view kOverridesHelp =
    "The adjudicator's decisions: a CSV file of lines call,line,verdict,reason (verdict credit "
    "or deny; line: the line number in that entrant's log file)";

// The largest rules file read; a contest's rules are a few hundred bytes.
inline constexpr std::uintmax_t kMaxRulesBytes = std::uintmax_t{1} << 20;

// A time of the contest period as the flags take it, in UTC:
// "2024-05-12T06:00", with or without a Z at its end; as minutes since
// 1970-01-01 00:00 UTC. Nullopt when the text is no such date and time.
std::optional<int64_t> ReadPeriodTime(std::string_view text);

// Minutes since 1970-01-01 00:00 UTC as the flags take them:
// "2024-05-12T06:00Z".
std::string PeriodTimeText(int64_t minutes);

// Why a text cannot be the contest's name (empty, or with a character that
// is not printable); empty when it can.
std::string ContestNameProblem(std::string_view name);

// The rules a rules file's text gives, over the defaults. `file` names the
// file in every message and is where `overrides` is found from: the
// decisions file is named (rulesFile and overridesFile are set), not read,
// since a flag may name another. On a fault, what is wrong:
// "contest.toml line 4: time_window: must be a whole number from 0 to 1440,
// not 2000".
std::variant<CheckRules, std::string> ReadRulesText(std::string_view text,
                                                    const std::filesystem::path& file);

// The same, from the file; a file that cannot be read is named with the
// system's reason.
std::variant<CheckRules, std::string> ReadRulesFile(const std::filesystem::path& file);

// A rules file with every key at its default and explained, for the
// organiser to fill in (zelk adjudicate --write-rules); ReadRulesText reads
// it back to the defaults.
std::string DefaultRulesText();

}  // namespace zelk::adjudication
