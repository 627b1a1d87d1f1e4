// The rules file zelk adjudicate --write-rules writes: every key at its
// default, each explained by the text its flag's help gives.
#include <string>
#include <string_view>

#include "adjudication/contest_rules.h"
#include "adjudication/log_header.h"

namespace zelk::adjudication {

namespace {

// `text` as comment lines of at most 78 characters, broken at blanks.
std::string Comment(std::string_view text) {
    std::string comment;
    std::string line = "#";
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t blank = text.find(' ', at);
        const std::string_view word =
            text.substr(at, blank == std::string_view::npos ? std::string_view::npos : blank - at);
        if (line.size() > 1 && line.size() + 1 + word.size() > 78) {
            comment += line + "\n";
            line = "#";
        }
        line += " ";
        line += word;
        at = blank == std::string_view::npos ? text.size() : blank + 1;
    }
    return comment + line + "\n";
}

std::string Sentence(std::string_view help) {
    return std::string(help) + ".";
}

}  // namespace

std::string DefaultRulesText() {
    const CheckRules defaults;
    std::string text = Comment(
        "The rules of a contest for the organiser's check, zelk adjudicate LOGS -o DIR --rules "
        "FILE. The file is TOML. Every key may be left out, or made a comment with #: it then "
        "takes its default, the value shown. A flag of the same name overrides a key: "
        "--contest, --start, --end, --time-window, --call-distance, --nil-penalty, "
        "--min-appearances, --overrides.");

    text += "\n" + Comment(Sentence(kContestHelp));
    text += "contest = \"" + defaults.contest + "\"\n";
    text += "\n" + Comment(
                       "Other names a log's CONTEST: line may give for this contest (any case), "
                       "as loggers spell it; zelk serve takes logs naming any of them, and "
                       "refuses the public's logs of other contests.");
    text += "# contest_aliases = [\"ZELK-CW\", \"ZELK-TEST\"]\n";

    text += "\n" + Comment(Sentence(kStartHelp) +
                           " Written as a TOML date and time (one without an offset, such as "
                           "2024-05-12T06:00:00, is UTC too) or as a text in the flag's form, "
                           "\"2024-05-12T06:00\".");
    text += "# start = 2024-05-12T06:00:00Z\n";
    text += "\n" + Comment(Sentence(kEndHelp));
    text += "# end = 2024-05-12T13:00:00Z\n";

    for (const NumberSetting& setting : NumberSettings()) {
        text += "\n" + Comment(Sentence(setting.help) + " From " + std::to_string(setting.least) +
                               " to " + std::to_string(setting.most) + ".");
        text += std::string(setting.key) + " = " + std::to_string(defaults.*setting.value) + "\n";
    }

    text +=
        "\n" + Comment(Sentence(kOverridesHelp) +
                       " A relative name is taken from the folder of this file. The decisions are "
                       "applied after the check and shown, with their reasons, in the "
                       "entrants' reports.");
    text += "# overrides = \"overrides.csv\"\n";

    text += "\n" + Comment(
                       "The values each part of a log's category may take (its "
                       "CATEGORY-OPERATOR:, CATEGORY-BAND:, CATEGORY-POWER: and "
                       "CATEGORY-TRANSMITTER: lines), in the order the results list them; any "
                       "letter case. A log with a value not listed is ranked under it as "
                       "written, and the organiser is told. A band is ALL or an amateur band, "
                       "as 160M, 40M or 2M.");
    text += "[categories]\n";
    for (std::size_t part = 0; part < kCategoryParts; ++part) {
        text += CategoryKey(part) + " = [";
        const std::vector<std::string>& values = defaults.categories.values[part];
        for (std::size_t v = 0; v < values.size(); ++v) {
            text += (v == 0 ? "\"" : ", \"") + values[v] + "\"";
        }
        text += "]\n";
    }

    text += "\n" + Comment(
                       "What zelk serve, the contest's web log intake, and zelk mail-in take "
                       "from this file; zelk serve reads the file again when it changes, so a "
                       "moved deadline needs no restart. Its flags --deadline, --max-upload, "
                       "--uploads-at-once, "
                       "--uploads-per-hour and --public-url override these keys. The check reads "
                       "none of them.");
    text += "[serve]\n";
    text += Comment(
        "The last moment for the public's uploads, UTC, written as start and end are; "
        "after it only the organiser adds logs. Without it uploads stay open.");
    text += "# deadline = 2030-05-19T23:59:00Z\n";
    text += Comment(
        "The organiser's address, and the contest's rules on the web, for the "
        "upload page.");
    text += "# contact = \"contest@example.org\"\n";
    text += "# rules_link = \"https://example.org/zelk-rules\"\n";
    text += Comment(
        "The site's address as entrants reach it, for the links in the letters the log robot "
        "sends (receipts, check reports).");
    text += "# public_url = \"https://logs.example.org/\"\n";
    text += Comment(
        "The largest log taken (bytes, or KiB or MiB, from 1KiB to 256MiB), and the uploads "
        "one client address may have under way at once and make in an hour.");
    text += "# max_upload = \"5MiB\"\n";
    text += "# uploads_at_once = 3\n";
    text += "# uploads_per_hour = 30\n";
    return text;
}

}  // namespace zelk::adjudication
