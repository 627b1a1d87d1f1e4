// Small pieces of text the result files share: bands, percentages, log
// lines as a report quotes them, and paragraphs wrapped for a page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "adjudication/contest_check.h"
#include "logfile/bands.h"

namespace zelk::adjudication {

// "the 40m band", "the 23cm band"; "no amateur band" for kNoBand.
std::string BandText(logfile::BandIndex band);

// 0.0833 as "8.3%".
std::string Percent(double share);

// A log line as a report quotes it: tabs as blanks, blanks at its end
// dropped, anything unprintable escaped.
std::string QuotedLine(std::string_view line);

// `text` broken at blanks into lines of at most `width` characters (a longer
// word stands alone), each indented by `indent` blanks; ends with a line end.
std::string Wrapped(std::string_view text, std::size_t indent, std::size_t width = 78);

// Why a log was not used: "an older log of DL1AA", "a log of another
// contest (CQ-WW-CW) of DL1AA". Printable.
std::string SupersededReason(const Superseded& file, const CheckRules& rules);

// A time as minutes since 1970-01-01 00:00 UTC: "2024-05-12 0600".
std::string MinuteText(int64_t minutes);

// The contest period: "2024-05-12 0600 to 2024-05-12 1300 UTC", "from
// 2024-05-12 0600 UTC", "until ..."; empty without one.
std::string PeriodText(const CheckRules& rules);

// "DL1AA's and DL1AB's clocks differ by 60 minutes ... neither was
// corrected". Printable.
std::string ClockTieText(const ContestCheck& contest, const ClockTie& tie);

// "1 dupe", "2 dupes".
std::string Counted(std::size_t count, std::string_view one, std::string_view many);

}  // namespace zelk::adjudication
