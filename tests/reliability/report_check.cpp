// The report reader and its consistency checks.
#include "report_check.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

namespace zelk::reliability {
namespace {

constexpr std::string_view kTitleStart = "\t\tZELK  Contest ";
constexpr std::string_view kContestantStart = "\r\n\t\t  Contestant: ";
constexpr std::string_view kTitleEnd = " \r\n\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n";
constexpr std::string_view kTotalLabel = "Total";
constexpr std::string_view kScoreStart = "\r\nScore: ";

// A read position in the report; every step either consumes what it expects
// or leaves the position alone and reports false.
class Reader {
  public:
    Reader(std::string_view text, std::size_t pos) : m_text(text), m_pos(pos) {}

    bool Literal(std::string_view expected) {
        if (m_text.substr(m_pos, expected.size()) != expected) {
            return false;
        }
        m_pos += expected.size();
        return true;
    }

    // A "%i" number.
    std::optional<int32_t> Number() {
        const char* begin = m_text.data() + m_pos;
        const char* end = m_text.data() + m_text.size();
        int64_t value = 0;
        const auto [next, error] = std::from_chars(begin, end, value);
        if (error != std::errc() || value < std::numeric_limits<int32_t>::min() ||
            value > std::numeric_limits<int32_t>::max()) {
            return std::nullopt;
        }
        m_pos += static_cast<std::size_t>(next - begin);
        return static_cast<int32_t>(value);
    }

    // The six columns after a row's label: "\t %i\t %i\t%i\t%i\t%i\t%i\r\n".
    bool Columns(ReportLine& line) {
        Reader r = *this;
        int32_t* fields[] = {&line.qsos, &line.points, &line.lat,
                             &line.lon,  &line.zelk,   &line.polar};
        for (int i = 0; i < 6; ++i) {
            if (!r.Literal(i < 2 ? "\t " : "\t")) {
                return false;
            }
            const std::optional<int32_t> value = r.Number();
            if (!value) {
                return false;
            }
            *fields[i] = *value;
        }
        if (!r.Literal("\r\n")) {
            return false;
        }
        *this = r;
        return true;
    }

    std::size_t Pos() const { return m_pos; }
    bool AtEnd() const { return m_pos == m_text.size(); }

  private:
    std::string_view m_text;
    std::size_t m_pos;
};

std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 60)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return text.size() > 60 ? out + "..." : out;
}

bool AnyNegative(const ReportLine& l) {
    return l.qsos < 0 || l.points < 0 || l.lat < 0 || l.lon < 0 || l.zelk < 0 || l.polar < 0;
}

}  // namespace

int32_t SumHeld(int32_t a, int32_t b) {
    const int64_t sum = int64_t{a} + b;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

std::string CheckReport(std::string_view report, std::string_view contestant,
                        const std::vector<std::string>& groups, ReportFigures* figures) {
    ReportFigures f;
    if (report.substr(0, kTitleStart.size()) != kTitleStart) {
        return "the report does not start with its title: " + Printable(report);
    }
    const std::size_t dateEnd = report.find("\r\n", kTitleStart.size());
    if (dateEnd == std::string_view::npos) {
        return "the first title line has no end";
    }
    f.dateText = std::string(report.substr(kTitleStart.size(), dateEnd - kTitleStart.size()));
    Reader r(report, dateEnd);
    if (!r.Literal(kContestantStart) || !r.Literal(contestant) || !r.Literal(kTitleEnd)) {
        return "the title lines do not name the contestant: " + Printable(report.substr(dateEnd));
    }

    // Each row belongs to one group not yet seen; where two group texts could
    // both begin a row, the longer one is taken.
    std::vector<std::string> remaining = groups;
    std::sort(remaining.begin(), remaining.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    while (!remaining.empty()) {
        bool matched = false;
        for (auto it = remaining.begin(); it != remaining.end(); ++it) {
            Reader attempt = r;
            ReportLine row;
            if (attempt.Literal(*it) && attempt.Columns(row)) {
                row.label = *it;
                f.rows.push_back(row);
                remaining.erase(it);
                r = attempt;
                matched = true;
                break;
            }
        }
        if (!matched) {
            return "row " + std::to_string(f.rows.size() + 1) + " of " +
                   std::to_string(groups.size()) +
                   " belongs to no group: " + Printable(report.substr(r.Pos()));
        }
    }
    f.total.label = kTotalLabel;
    if (!r.Literal(kTotalLabel) || !r.Columns(f.total)) {
        return "no total line after the " + std::to_string(groups.size()) +
               " group rows: " + Printable(report.substr(r.Pos()));
    }
    int32_t score[5] = {};
    if (!r.Literal(kScoreStart)) {
        return "no score line after the total line";
    }
    for (int i = 0; i < 5; ++i) {
        const std::optional<int32_t> value = r.Number();
        if (!value || !r.Literal(i < 4 ? "+" : " = ")) {
            return "the score line is malformed: " + Printable(report.substr(r.Pos()));
        }
        score[i] = *value;
    }
    const std::optional<int32_t> claimed = r.Number();
    if (!claimed || !r.Literal("\r\n") || !r.AtEnd()) {
        return "the score line is malformed or followed by more text";
    }
    f.claimed = *claimed;

    ReportLine sum;
    for (const ReportLine& row : f.rows) {
        if (AnyNegative(row)) {
            return "the row of group \"" + Printable(row.label) + "\" holds a negative value";
        }
        sum.qsos = SumHeld(sum.qsos, row.qsos);
        sum.points = SumHeld(sum.points, row.points);
        sum.lat = SumHeld(sum.lat, row.lat);
        sum.lon = SumHeld(sum.lon, row.lon);
        sum.zelk = SumHeld(sum.zelk, row.zelk);
        sum.polar = SumHeld(sum.polar, row.polar);
    }
    const ReportLine& t = f.total;
    if (AnyNegative(t)) {
        return "the total line holds a negative value";
    }
    // Contacts without a worked call count in the total only.
    if (t.qsos < sum.qsos || t.points != sum.points || t.lat != sum.lat || t.lon != sum.lon ||
        t.zelk != sum.zelk || t.polar != sum.polar) {
        return "the total line is not the sum of the rows";
    }
    if (score[0] != t.points || score[1] != t.lat || score[2] != t.lon || score[3] != t.zelk ||
        score[4] != t.polar) {
        return "the score line does not repeat the totals";
    }
    int32_t expected = 0;
    for (int32_t part : score) {
        expected = SumHeld(expected, part);
    }
    if (f.claimed != expected) {
        return "the score line does not add up: claimed " + std::to_string(f.claimed) +
               ", parts sum to " + std::to_string(expected);
    }
    if (figures != nullptr) {
        *figures = std::move(f);
    }
    return {};
}

}  // namespace zelk::reliability
