// Texts the result files share.
#include "adjudication/report_text.h"

#include <cstdlib>

#include <chrono>
#include <cstdio>

#include "text/text.h"

namespace zelk::adjudication {

std::string BandText(logfile::BandIndex band) {
    if (band == logfile::kNoBand) {
        return "no amateur band";
    }
    // ADIF names: "40M", "70CM", "1.25M", "SUBMM"; the unit in lower case after a blank.
    const std::string_view name = logfile::Bands()[band].name;
    const std::size_t unit = name.find_first_not_of("0123456789.");
    if (unit == 0 || unit == std::string_view::npos) {
        return "the " + std::string(name) + " band";
    }
    // No blank before the unit: a paragraph is never broken inside "40m".
    std::string text = "the " + std::string(name.substr(0, unit));
    for (char c : name.substr(unit)) {
        text += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return text + " band";
}

std::string Percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", share * 100.0);
    return text;
}

std::string QuotedLine(std::string_view line) {
    std::string plain(line);
    for (char& c : plain) {
        c = c == '\t' ? ' ' : c;
    }
    plain.erase(plain.find_last_not_of(' ') + 1);
    return Printable(plain, 400);
}

std::string Wrapped(std::string_view text, std::size_t indent, std::size_t width) {
    std::string wrapped(indent, ' ');
    std::size_t column = indent;
    bool lineHasWord = false;
    while (true) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            break;
        }
        text.remove_prefix(start);
        const std::string_view word = text.substr(0, text.find(' '));
        text.remove_prefix(word.size());
        if (lineHasWord && column + 1 + word.size() > width) {
            wrapped += '\n';
            wrapped.append(indent, ' ');
            column = indent;
            lineHasWord = false;
        }
        if (lineHasWord) {
            wrapped += ' ';
            ++column;
        }
        wrapped += word;
        column += word.size();
        lineHasWord = true;
    }
    return wrapped + '\n';
}

std::string MinuteText(int64_t minutes) {
    using namespace std::chrono;
    const int64_t days = minutes >= 0 ? minutes / 1440 : (minutes - 1439) / 1440;
    const int64_t inDay = minutes - days * 1440;
    const year_month_day date{sys_days{std::chrono::days{days}}};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(inDay / 60), static_cast<int>(inDay % 60));
    return text;
}

std::string PeriodText(const CheckRules& rules) {
    if (rules.start && rules.end) {
        return MinuteText(*rules.start) + " to " + MinuteText(*rules.end) + " UTC";
    }
    if (rules.start) {
        return "from " + MinuteText(*rules.start) + " UTC";
    }
    return rules.end ? "until " + MinuteText(*rules.end) + " UTC" : std::string();
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string ClockTieText(const ContestCheck& contest, const ClockTie& tie) {
    return Printable(contest.entrants[tie.first].log.call) + "'s and " +
           Printable(contest.entrants[tie.second].log.call) + "'s clocks differ by " +
           Counted(static_cast<std::size_t>(std::llabs(tie.minutes)), "minute", "minutes") +
           " on the evidence of their QSOs with each other, but neither that nor the contest "
           "period tells which clock was off: neither was corrected";
}

std::string SupersededReason(const Superseded& file, const CheckRules& rules) {
    switch (file.why) {
        case SupersededWhy::kOlder:
            return "an older log of " + Printable(file.call);
        case SupersededWhy::kNameSortsFirst:
            return "a log of " + Printable(file.call) +
                   " as old as the one used, whose name sorts before it";
        case SupersededWhy::kOtherContest:
            break;
    }
    return "a log of another contest (" + Printable(file.contest) + ", not " +
           Printable(rules.contest) + ") of " + Printable(file.call);
}

}  // namespace zelk::adjudication
