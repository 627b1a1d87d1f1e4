// Reading the rules file with toml++: every entry is checked in the order of
// the file, and the first fault ends the reading with its place.
#include "adjudication/contest_rules.h"

#include <toml++/toml.h>
#include <algorithm>
#include <chrono>
#include <vector>

#include "adjudication/input_file.h"
#include "adjudication/log_header.h"
#include "adjudication/toml_guard.h"
#include "logfile/bands.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

const NumberSetting kNumberSettings[] = {
    {"time_window", "--time-window", &CheckRules::timeWindowMinutes, 0, 24 * 60,
     "Minutes by which the two sides' times of a QSO may differ"},
    {"call_distance", "--call-distance", &CheckRules::callDistance, 0, 8,
     "Edits (inserted, deleted or changed characters) between a call logged and an entrant's "
     "call for a busted call; 0 finds none"},
    {"nil_penalty", "--nil-penalty", &CheckRules::nilPenalty, 0, 1000,
     "QSOs' worth of points (50 each) taken for each NIL beyond the QSO itself"},
    {"min_appearances", "--min-appearances", &CheckRules::minAppearances, 1, 1000000,
     "Logs a call that sent no log must appear in for its QSOs to be credited"},
};

int64_t DayNumber(int year, unsigned month, unsigned day) {
    using namespace std::chrono;
    return sys_days(year_month_day(std::chrono::year(year), std::chrono::month(month),
                                   std::chrono::day(day)))
        .time_since_epoch()
        .count();
}

// A fault of the rules file, at a place; ReadRulesText makes it the message.
struct RulesFault {
    uint32_t line;
    std::string key;
    std::string what;
};

[[noreturn]] void Fault(const toml::source_region& where, std::string key, std::string what) {
    throw RulesFault{where.begin.line, std::move(key), std::move(what)};
}

std::string KindOf(const toml::node& node) {
    switch (node.type()) {
        case toml::node_type::string:
            return "a text";
        case toml::node_type::integer:
            return "a whole number";
        case toml::node_type::floating_point:
            return "a number with a fraction";
        case toml::node_type::boolean:
            return "true or false";
        case toml::node_type::date:
            return "a date without a time";
        case toml::node_type::time:
            return "a time without a date";
        case toml::node_type::date_time:
            return "a date and time";
        case toml::node_type::array:
            return "a list";
        case toml::node_type::table:
            return "a table";
        default:
            return "nothing";
    }
}

std::string Quoted(std::string_view text) {
    return "\"" + Printable(text, 60) + "\"";
}

// A table's entries in the order of the file, so that the first fault
// named is the first in the file.
std::vector<std::pair<const toml::key*, const toml::node*>> InFileOrder(const toml::table& table) {
    std::vector<std::pair<const toml::key*, const toml::node*>> entries;
    for (const auto& [key, node] : table) {
        entries.emplace_back(&key, &node);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const toml::source_position& p = a.first->source().begin;
        const toml::source_position& q = b.first->source().begin;
        return p.line != q.line ? p.line < q.line : p.column < q.column;
    });
    return entries;
}

bool IsCategoryValue(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '/' ||
               c == '_' || c == '.';
    });
}

constexpr int64_t kLeastUpload = 1024;
constexpr int64_t kMostUpload = int64_t{256} << 20;

// "5MiB", "512KiB", "300000": bytes, with no more than what fits.
std::optional<int64_t> SizeText(std::string_view text) {
    int64_t unit = 1;
    for (const auto& [suffix, size] : {std::pair<std::string_view, int64_t>{"KiB", 1024},
                                       std::pair<std::string_view, int64_t>{"MiB", 1 << 20}}) {
        if (text.ends_with(suffix)) {
            text.remove_suffix(suffix.size());
            unit = size;
            break;
        }
    }
    while (text.ends_with(' ')) {
        text.remove_suffix(1);
    }
    if (!IsDigits(text) || text.size() > 9) {
        return std::nullopt;
    }
    return std::stoll(std::string(text)) * unit;
}

bool IsContactAddress(std::string_view text) {
    const std::size_t at = text.rfind('@');
    return IsOneLineText(text) && text.size() <= 254 && at != 0 && at != std::string_view::npos &&
           text.substr(at + 1).find('.') != std::string_view::npos &&
           text.find_first_of(" <>\"'") == std::string_view::npos;
}

bool IsWebLink(std::string_view text) {
    const bool web = text.starts_with("https://") || text.starts_with("http://");
    return web && IsOneLineText(text) && text.size() <= 2000 &&
           text.size() > std::string_view("https://").size() &&
           text.find_first_of(" <>\"'`\\") == std::string_view::npos;
}

class RulesReader {
  public:
    RulesReader(const fs::path& file, CheckRules& rules) : m_file(file), m_rules(rules) {}

    void Read(const toml::table& document) {
        for (const auto& [key, node] : InFileOrder(document)) {
            Entry(key->str(), key->source(), *node);
        }
        if (m_rules.start && m_rules.end && *m_rules.end <= *m_rules.start) {
            Fault(m_endPlace, "end",
                  PeriodTimeText(*m_rules.end) + " is not after start, " +
                      PeriodTimeText(*m_rules.start));
        }
    }

  private:
    void Entry(std::string_view key, const toml::source_region& place, const toml::node& node) {
        for (const NumberSetting& setting : kNumberSettings) {
            if (key == setting.key) {
                m_rules.*setting.value = Number(key, node, setting.least, setting.most);
                return;
            }
        }
        if (key == "contest") {
            const std::string name = Text(key, node);
            if (const std::string problem = ContestNameProblem(name); !problem.empty()) {
                Fault(node.source(), "contest", problem);
            }
            m_rules.contest = name;
        } else if (key == "start") {
            m_rules.start = Minute(key, node);
        } else if (key == "end") {
            m_rules.end = Minute(key, node);
            m_endPlace = node.source();
        } else if (key == "overrides") {
            const std::string name = Text(key, node);
            if (name.empty() || !IsOneLineText(name)) {
                Fault(node.source(), "overrides", Quoted(name) + " is no file name");
            }
            const fs::path path =
                m_file.parent_path() / fs::path(std::u8string(name.begin(), name.end()));
            m_rules.overridesFile = path.string();
        } else if (key == "contest_aliases") {
            m_rules.contestAliases = Aliases(node);
        } else if (key == "categories") {
            Categories(node);
        } else if (key == "serve") {
            Serve(node);
        } else {
            Fault(place, Printable(key),
                  "no such key; the keys are contest, contest_aliases, start, end, time_window, "
                  "call_distance, nil_penalty, min_appearances, overrides and the tables "
                  "[categories] and [serve]");
        }
    }

    static std::vector<std::string> Aliases(const toml::node& node) {
        const toml::array* list = node.as_array();
        if (list == nullptr) {
            Fault(node.source(), "contest_aliases",
                  "must be a list of names, such as [\"ZELK-CW\"], not " + KindOf(node));
        }
        std::vector<std::string> names;
        for (const toml::node& element : *list) {
            const std::string name = Text("contest_aliases", element);
            if (const std::string problem = ContestNameProblem(name); !problem.empty()) {
                Fault(element.source(), "contest_aliases", problem);
            }
            names.push_back(name);
        }
        return names;
    }

    // The [serve] table: what zelk serve takes from the rules.
    void Serve(const toml::node& node) {
        const toml::table* table = node.as_table();
        if (table == nullptr) {
            Fault(node.source(), "serve", "must be a table, [serve], not " + KindOf(node));
        }
        IntakeRules& intake = m_rules.intake;
        for (const auto& [key, value] : InFileOrder(*table)) {
            const std::string name = "serve." + Printable(key->str());
            if (key->str() == "deadline") {
                intake.deadline = Minute(name, *value);
            } else if (key->str() == "contact") {
                intake.contact = Text(name, *value);
                if (!IsContactAddress(intake.contact)) {
                    Fault(value->source(), name,
                          Quoted(intake.contact) +
                              " is no e-mail address such as contest@example.org");
                }
            } else if (key->str() == "rules_link") {
                intake.rulesLink = Text(name, *value);
                if (!IsWebLink(intake.rulesLink)) {
                    Fault(value->source(), name,
                          Quoted(intake.rulesLink) +
                              " is no web address such as https://example.org/rules");
                }
            } else if (key->str() == "public_url") {
                intake.publicUrl = Text(name, *value);
                if (!IsWebLink(intake.publicUrl)) {
                    Fault(value->source(), name,
                          Quoted(intake.publicUrl) +
                              " is no web address such as https://logs.example.org/");
                }
            } else if (key->str() == "max_upload") {
                intake.maxUploadBytes = UploadBytes(name, *value);
            } else if (key->str() == "uploads_at_once") {
                intake.uploadsAtOnce = Number(name, *value, 1, 10000);
            } else if (key->str() == "uploads_per_hour") {
                intake.uploadsPerHour = Number(name, *value, 1, 1000000);
            } else {
                Fault(key->source(), name,
                      "no such key of [serve]; the keys are deadline, contact, rules_link, "
                      "public_url, max_upload, uploads_at_once and uploads_per_hour");
            }
        }
    }

    // A whole number of bytes, or a text with KiB or MiB: "5MiB".
    static uint64_t UploadBytes(const std::string& name, const toml::node& node) {
        const std::string range = "must be a size from 1KiB to 256MiB, as 5242880 or \"5MiB\"";
        int64_t bytes = 0;
        if (const auto* number = node.as_integer()) {
            bytes = number->get();
        } else if (const auto* text = node.as_string()) {
            const std::optional<int64_t> read = SizeText(text->get());
            if (!read) {
                Fault(node.source(), name, range + ", not " + Quoted(text->get()));
            }
            bytes = *read;
        } else {
            Fault(node.source(), name, range + ", not " + KindOf(node));
        }
        if (bytes < kLeastUpload || bytes > kMostUpload) {
            Fault(node.source(), name, range + ", not " + std::to_string(bytes) + " bytes");
        }
        return static_cast<uint64_t>(bytes);
    }

    static int Number(std::string_view key, const toml::node& node, int least, int most) {
        const std::string range =
            "must be a whole number from " + std::to_string(least) + " to " + std::to_string(most);
        const auto* number = node.as_integer();
        if (number == nullptr) {
            Fault(node.source(), std::string(key), range + ", not " + KindOf(node));
        }
        if (number->get() < least || number->get() > most) {
            Fault(node.source(), std::string(key),
                  range + ", not " + std::to_string(number->get()));
        }
        return static_cast<int>(number->get());
    }

    static std::string Text(std::string_view key, const toml::node& node) {
        const auto* text = node.as_string();
        if (text == nullptr) {
            Fault(node.source(), std::string(key), "must be a text in quotes, not " + KindOf(node));
        }
        return text->get();
    }

    static int64_t Minute(std::string_view key, const toml::node& node) {
        const std::string form =
            "must be a date and time, UTC, as 2024-05-12T06:00:00Z or \"2024-05-12T06:00\"";
        if (const auto* text = node.as_string()) {
            if (const auto minute = ReadPeriodTime(text->get())) {
                return *minute;
            }
            Fault(node.source(), std::string(key), form + ", not " + Quoted(text->get()));
        }
        const auto* dateTime = node.as_date_time();
        if (dateTime == nullptr) {
            Fault(node.source(), std::string(key), form + ", not " + KindOf(node));
        }
        // A date and time without an offset is UTC, as every time in a log.
        const toml::date_time& at = dateTime->get();
        if (at.time.second != 0 || at.time.nanosecond != 0) {
            Fault(node.source(), std::string(key),
                  "must be a whole minute (the contest period is counted in minutes)");
        }
        return DayNumber(at.date.year, at.date.month, at.date.day) * 1440 + at.time.hour * 60 +
               at.time.minute - (at.offset ? at.offset->minutes : 0);
    }

    void Categories(const toml::node& node) {
        const toml::table* table = node.as_table();
        if (table == nullptr) {
            Fault(node.source(), "categories",
                  "must be a table, [categories], not " + KindOf(node));
        }
        for (const auto& [key, list] : InFileOrder(*table)) {
            std::size_t part = 0;
            while (part < kCategoryParts && key->str() != CategoryKey(part)) {
                ++part;
            }
            const std::string name = "categories." + Printable(key->str());
            if (part == kCategoryParts) {
                Fault(key->source(), name,
                      "no such part of a category; the parts are operator, band, power and "
                      "transmitter");
            }
            m_rules.categories.values[part] = CategoryValues(name, part, *list);
        }
    }

    static std::vector<std::string> CategoryValues(const std::string& name, std::size_t part,
                                                   const toml::node& node) {
        const toml::array* list = node.as_array();
        if (list == nullptr || list->empty()) {
            Fault(node.source(), name,
                  "must be a list of one value or more, such as [\"HIGH\", \"LOW\"], not " +
                      (list ? std::string("an empty list") : KindOf(node)));
        }
        std::vector<std::string> values;
        for (const toml::node& element : *list) {
            const auto* text = element.as_string();
            if (text == nullptr) {
                Fault(element.source(), name,
                      "lists " + KindOf(element) + ", not a text in quotes");
            }
            const std::string value = Upper(text->get());
            if (!IsCategoryValue(value)) {
                Fault(element.source(), name,
                      Quoted(text->get()) +
                          " is no category value: one word of letters, digits "
                          "and - / _ .");
            }
            if (part == static_cast<std::size_t>(CategoryPart::kBand) && value != "ALL" &&
                logfile::BandNamed(value) == nullptr) {
                Fault(
                    element.source(), name,
                    Quoted(text->get()) + " is no band: ALL, or an amateur band as 160M, 40M, 2M");
            }
            if (std::find(values.begin(), values.end(), value) != values.end()) {
                Fault(element.source(), name, Quoted(value) + " is listed twice");
            }
            values.push_back(value);
        }
        return values;
    }

    const fs::path& m_file;
    CheckRules& m_rules;
    toml::source_region m_endPlace;
};

}  // namespace

std::span<const NumberSetting> NumberSettings() {
    return kNumberSettings;
}

std::optional<int64_t> ReadPeriodTime(std::string_view text) {
    if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) {
        text.remove_suffix(1);
    }
    // 2024-05-12T06:00
    const auto digits = [&](std::size_t at, std::size_t count) -> std::optional<int> {
        const std::string_view part = text.substr(at, count);
        if (!IsDigits(part)) {
            return std::nullopt;
        }
        return std::stoi(std::string(part));
    };
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':') {
        return std::nullopt;
    }
    const auto year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    const auto hour = digits(11, 2), minute = digits(14, 2);
    if (!year || !month || !day || !hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return DayNumber(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)) * 1440 +
           *hour * 60 + *minute;
}

std::string PeriodTimeText(int64_t minutes) {
    using namespace std::chrono;
    const int64_t days = (minutes >= 0 ? minutes : minutes - 1439) / 1440;
    const int64_t inDay = minutes - days * 1440;
    const year_month_day date{sys_days(std::chrono::days(days))};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(inDay / 60), static_cast<int>(inDay % 60));
    return text;
}

std::string ContestNameProblem(std::string_view name) {
    if (name.empty()) {
        return "the contest's name must not be empty";
    }
    if (!IsOneLineText(name) || name.front() == ' ' || name.back() == ' ') {
        return Quoted(name) +
               " is no contest name: it has blanks around it or a character that is not printable";
    }
    return {};
}

std::variant<CheckRules, std::string> ReadRulesText(std::string_view text, const fs::path& file) {
    CheckRules rules;
    rules.rulesFile = file.string();
    if (const auto unsafe = UnsafeForTomlParser(text)) {
        return file.string() + " line " + std::to_string(unsafe->line) + ", column " +
               std::to_string(unsafe->column) + ": not TOML: " + std::string(unsafe->what);
    }
    try {
        const toml::table document = toml::parse(text, file.string());
        RulesReader(file, rules).Read(document);
    } catch (const toml::parse_error& error) {
        return file.string() + " line " + std::to_string(error.source().begin.line) + ", column " +
               std::to_string(error.source().begin.column) + ": not TOML: " +
               (IsOneLineText(error.description()) ? std::string(error.description())
                                                   : Printable(error.description(), 200));
    } catch (const RulesFault& fault) {
        return file.string() + " line " + std::to_string(fault.line) + ": " + fault.key + ": " +
               fault.what;
    } catch (const std::exception& error) {
        // A decisions file's name that this system cannot spell, say.
        return file.string() + ": cannot be used: " + Printable(error.what(), 200);
    }
    return rules;
}

std::variant<CheckRules, std::string> ReadRulesFile(const fs::path& file) {
    InputFile input = ReadInputFile(file, kMaxRulesBytes, "a rules file");
    if (!input.problem.empty()) {
        return file.string() + ": " + input.problem;
    }
    return ReadRulesText(input.bytes, file);
}

}  // namespace zelk::adjudication
