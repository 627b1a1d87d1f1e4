// The hostile-argument scenarios, one function each, run in table order.
#include "hostile_calls.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

#include "report_check.h"

namespace zelk::reliability {
namespace {

namespace fs = std::filesystem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr const char* kErrorFile = "err.txt";
constexpr const char* kErrorFileTitle = "ZELK CONTEST UBN file \r\n";
constexpr std::string_view kWrongModeEnd = "   NO TEST MODE !!!\r\n";
constexpr std::string_view kMissingExchangeEnd = "   NO RX NUMBER !!!\r\n";
constexpr const char* kInvalid = "Invalid DateTime";

std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A line feed stored without its carriage return, which err.txt never holds.
bool HasBareLineFeed(std::string_view text) {
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', at + 1)) {
        if (at == 0 || text[at - 1] != '\r') {
            return true;
        }
    }
    return false;
}

std::string Number(double value) {
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

// One run of the scenarios: the plug-in, the failures so far, and what the
// host knows of the current contest run (the contestant, the groups of the
// admitted contacts, the Cabrillo flag), which the report is checked against.
class Run {
  public:
    Run(const EntryPoints& plugin, std::vector<std::string>& failures)
        : p(plugin), m_failures(failures) {}

    void Check(bool ok, const std::string& what) {
        if (!ok) {
            m_failures.push_back(scenario + ": " + what);
        }
    }

    int Reset(const ResetCall& call) {
        m_contestant = Text(call.contestant);
        m_groups.clear();
        m_cabrillo = call.cabrilloWanted;
        const int result = reliability::Reset(p, call);
        Check(result == 1, "ResetStats0 returned " + std::to_string(result));
        Check(ReadFile(kErrorFile) == std::optional<std::string>(kErrorFileTitle),
              "after a reset err.txt holds more or less than its title line");
        return result;
    }

    // AddData0, checking that err.txt grows by exactly one line for a refused
    // contact and stays as it was for an admitted one. A line feed in one of
    // the contact's texts splits its line, stored as CR LF like every line end.
    int Add(const ContactCall& call) {
        const std::string before = ReadFile(kErrorFile).value_or("");
        const int result = reliability::Add(p, call);
        const std::string after = ReadFile(kErrorFile).value_or("");
        lastErrorLine.clear();
        if (result == 1) {
            Check(after == before, "an admitted contact changed err.txt");
            const std::string group = Text(call.group);
            if (std::find(m_groups.begin(), m_groups.end(), group) == m_groups.end()) {
                m_groups.push_back(group);
            }
        } else if (result == 0) {
            const bool grew =
                after.size() > before.size() && after.compare(0, before.size(), before) == 0;
            Check(grew, "a refused contact did not append to err.txt");
            if (grew) {
                lastErrorLine = after.substr(before.size());
                const std::string_view end =
                    Text(call.mode) == "CW" ? kMissingExchangeEnd : kWrongModeEnd;
                Check(lastErrorLine.rfind("QSO:  ", 0) == 0 && EndsWith(lastErrorLine, end),
                      "the refused contact's line is not one error line");
                Check(!HasBareLineFeed(lastErrorLine),
                      "the refused contact's line holds a line feed without CR");
            }
        } else {
            Check(false, "AddData0 returned " + std::to_string(result));
        }
        return result;
    }

    // GetResult0, checking the report and the score handed to the host.
    ReportFigures Result(int* result) {
        constexpr int kUntouched = 0x5A5A5A5A;
        if (result != nullptr) {
            *result = kUntouched;
        }
        ReportFigures figures;
        const char* text = p.getResult0(result);
        Check(text != nullptr, "GetResult0 returned a null text");
        if (text == nullptr) {
            return figures;
        }
        const std::string problem = CheckReport(text, m_contestant, m_groups, &figures);
        Check(problem.empty(), "report: " + problem);
        if (result != nullptr && problem.empty()) {
            const bool cabrilloWritten = m_cabrillo != 0 && *result == -1;
            Check(*result == figures.claimed || cabrilloWritten,
                  "GetResult0 handed the host " + std::to_string(*result) +
                      " for a claimed score of " + std::to_string(figures.claimed));
        }
        return figures;
    }

    const EntryPoints& p;
    std::string scenario;
    std::string lastErrorLine;

  private:
    std::vector<std::string>& m_failures;
    std::string m_contestant;
    std::vector<std::string> m_groups;
    int m_cabrillo = 0;
};

void SetTable(Run& r) {
    r.Check(r.p.getNumberOfSets() == 1, "GetNumberOfSets is not 1");
    for (int index : {0, 1, -1, INT_MIN, INT_MAX}) {
        const char* name = r.p.getSetName(index);
        r.Check(name != nullptr && std::string(name) == (index == 0 ? "ZELK (C)" : ""),
                "GetSetName(" + std::to_string(index) + ")");
    }
}

void ExchangeQuestions(Run& r) {
    const std::string longText(10000, '1');
    const struct {
        const char* exchange;
        int invalid;
        int expected;
    } cases[] = {
        {nullptr, 0, 0},          {"", 0, 0},          {"123AB", 0, 1},       {"007zz", 0, 1},
        {"123A\xC4", 0, 0},       {"12\0AB", 0, 0},    {"123AB", INT_MIN, 0}, {"123AB", 1, 0},
        {longText.c_str(), 0, 0}, {"123AB\r\n", 0, 0},
    };
    for (const auto& c : cases) {
        r.Check(r.p.isValidExchg0(c.exchange, nullptr, longText.c_str(), "\r\n", INT_MIN, INT_MAX,
                                  c.invalid) == c.expected,
                "IsValidExchg0(\"" + Text(c.exchange).substr(0, 12) + "\", " +
                    std::to_string(c.invalid) + ")");
    }
    r.Check(r.p.getExchgCount0(nullptr, nullptr, nullptr) == 1, "GetExchgCount0 of null texts");
    r.Check(r.p.getExchgCount0(longText.c_str(), "", "\xFF\r\n") == 1,
            "GetExchgCount0 of odd texts");
}

void NullPointers(Run& r) {
    ResetCall reset;
    reset.contestant = nullptr;
    reset.unusedText = nullptr;
    r.Reset(reset);
    r.Check(r.Result(nullptr).dateText.empty(), "a null contest date-time shows a date");

    ContactCall none;
    none.ownCall = none.call = none.mode = none.rstSent = none.rstRcvd = nullptr;
    none.exchSent = none.exchRcvd = none.aux1 = none.aux2 = none.group = none.unusedText = nullptr;
    r.Check(r.Add(none) == 0, "AddData0 with every pointer null was admitted");
    r.Check(Remove(r.p, none) == 0, "RemoveData0 with every pointer null did not refuse");

    ContactCall bare = none;
    bare.mode = "CW";
    bare.exchSent = "001";
    bare.exchRcvd = "155N37O";
    r.Check(r.Add(bare) == 1,
            "a CW contact with both exchanges and null texts elsewhere was refused");

    CheckCallCall logged;
    logged.call = logged.group = logged.unusedText = nullptr;
    r.Check(CheckCall(r.p, logged) == 0, "CheckCall0 of the logged null call did not find it");
    CheckCallCall none3 = logged;
    none3.mode = nullptr;
    r.Check(CheckCall(r.p, none3) == 1, "CheckCall0 with every pointer null");

    int claimed = 0;
    ReportFigures f = r.Result(&claimed);
    r.Check(f.total.qsos == 1 && f.rows.size() == 1 && f.rows[0].qsos == 0,
            "a contact without a worked call is counted in a row");
    r.Check(Remove(r.p, bare) == 1, "RemoveData0 of the null-text contact");
    r.Check(r.Result(nullptr).total.qsos == 0, "the null-text contact was not removed");
}

// Date-times of every status, with day counts inside and far outside the
// calendar, and the date texts they give.
struct TimeCase {
    double dayCount;
    int32_t status;
    const char* contestDate;  // "%d.%m.%Y"
    const char* contactDate;  // "%Y-%m-%d %H%M"
};
const TimeCase kTimeCases[] = {
    {43600.5, kZelkDateTimeValid, "15.05.2019", "2019-05-15 1200"},
    {43597.0 + 492.0 / 1440.0, kZelkDateTimeValid, "12.05.2019", "2019-05-12 0812"},
    {kNaN, kZelkDateTimeValid, kInvalid, kInvalid},
    {kInf, kZelkDateTimeValid, kInvalid, kInvalid},
    {-kInf, kZelkDateTimeValid, kInvalid, kInvalid},
    {1e308, kZelkDateTimeValid, kInvalid, kInvalid},
    {-DBL_MAX, kZelkDateTimeValid, kInvalid, kInvalid},
    {std::numeric_limits<double>::denorm_min(), kZelkDateTimeValid, "30.12.1899",
     "1899-12-30 0000"},
    {-0.0, kZelkDateTimeValid, "30.12.1899", "1899-12-30 0000"},
    {-1.5, kZelkDateTimeValid, "29.12.1899", "1899-12-29 1200"},
    {-657434.0, kZelkDateTimeValid, "01.01.0100", "0100-01-01 0000"},
    {-657434.5, kZelkDateTimeValid, "01.01.0100", "0100-01-01 1200"},
    {-657435.0, kZelkDateTimeValid, kInvalid, kInvalid},
    {2958465.5, kZelkDateTimeValid, "31.12.9999", "9999-12-31 1200"},
    {2958466.0, kZelkDateTimeValid, kInvalid, kInvalid},
    {43600.5, kZelkDateTimeInvalid, kInvalid, kInvalid},
    {43600.5, kZelkDateTimeError, kInvalid, kInvalid},
    {43600.5, 7, kInvalid, kInvalid},
    {43600.5, INT_MIN, kInvalid, kInvalid},
    {kNaN, kZelkDateTimeNull, "", ""},
    {43600.5, kZelkDateTimeNull, "", ""},
};

std::string Describe(const TimeCase& c) {
    return "date-time " + Number(c.dayCount) + " with status " + std::to_string(c.status);
}

void ContestDates(Run& r) {
    for (const TimeCase& c : kTimeCases) {
        const ZelkOleDateTime time{c.dayCount, c.status};
        ResetCall reset;
        reset.contestTime = &time;
        reset.unusedTime = &time;
        r.Reset(reset);
        int claimed = 0;
        const std::string shown = r.Result(&claimed).dateText;
        r.Check(shown == c.contestDate, "contest " + Describe(c) + " shows \"" + shown + "\"");
    }
}

void ContactTimes(Run& r) {
    r.Reset({});
    int group = 0;
    for (const TimeCase& c : kTimeCases) {
        const ZelkOleDateTime time{c.dayCount, c.status};
        ContactCall contact;
        contact.time = &time;
        contact.unusedTime = &time;
        contact.mode = "SSB";
        r.Check(r.Add(contact) == 0, "an SSB contact was admitted");
        const std::string expected =
            "QSO:  14025  SSB  " + std::string(c.contactDate) +
            "  UA3ABC  599  001  DL1AA  599  155N37O   NO TEST MODE !!!\r\n";
        r.Check(r.lastErrorLine == expected,
                "refused contact at " + Describe(c) + " gives the line " + r.lastErrorLine);
        contact.mode = "CW";
        const std::string groupText = std::to_string(++group);
        contact.group = groupText.c_str();
        r.Check(r.Add(contact) == 1, "a CW contact at " + Describe(c) + " was refused");
    }
    ContactCall noTime;
    noTime.mode = "SSB";
    r.Add(noTime);
    r.Check(r.lastErrorLine.find("  SSB    UA3ABC  ") != std::string::npos,
            "a null contact time does not leave an empty date: " + r.lastErrorLine);
    int claimed = 0;
    r.Check(r.Result(&claimed).total.qsos == group, "not every CW contact was logged");
}

void FallbackCoordinates(Run& r) {
    const std::pair<double, double> cases[] = {
        {kNaN, kNaN},
        {kInf, -kInf},
        {-kInf, kInf},
        {1e300, -1e300},
        {-0.0, 1e-300},
        {DBL_MAX, -DBL_MAX},
        {2147483647.5, -2147483648.5},
        {90.9, -180.9},
    };
    for (const auto& [lat, lon] : cases) {
        ResetCall reset;
        reset.fallbackLat = lat;
        reset.fallbackLong = lon;
        r.Reset(reset);
        r.Check(r.Add({}) == 1, "a contact under the fallback coordinate " + Number(lat) + " " +
                                    Number(lon) + " was refused");
        int claimed = 0;
        r.Result(&claimed);
    }
    // The most negative latitude there is: every sum must hold at the limit.
    ResetCall reset;
    reset.fallbackLat = -1e300;
    r.Reset(reset);
    r.Add({});
    int claimed = 0;
    const ReportFigures f = r.Result(&claimed);
    r.Check(f.total.lat == INT_MAX && f.claimed == INT_MAX && claimed == INT_MAX,
            "a latitude difference beyond 32 bits is not held at the limit: " +
                std::to_string(f.claimed));
}

void OverlongTexts(Run& r) {
    for (std::size_t n : {std::size_t{10000}, std::size_t{100000}}) {
        const std::string big(n, 'A');
        const std::string group(n, '7');
        const std::string exchange(n, '1');
        const std::string longMode = "CW" + big;
        ResetCall reset;
        reset.contestant = big.c_str();
        reset.unusedText = big.c_str();
        r.Reset(reset);
        ContactCall contact;
        contact.ownCall = contact.call = contact.rstSent = contact.rstRcvd = big.c_str();
        contact.exchSent = contact.aux1 = contact.aux2 = contact.unusedText = big.c_str();
        contact.exchRcvd = exchange.c_str();
        contact.group = group.c_str();
        const std::string size = std::to_string(n) + "-byte texts";
        r.Check(r.Add(contact) == 1, "a contact of " + size + " was refused");
        CheckCallCall check;
        check.call = big.c_str();
        check.group = group.c_str();
        check.unusedText = big.c_str();
        r.Check(CheckCall(r.p, check) == 0, "CheckCall0 does not find a logged contact of " + size);
        ContactCall refused = contact;
        refused.mode = longMode.c_str();
        r.Check(r.Add(refused) == 0, "a contact with a mode of " + size + " was admitted");
        r.Check(r.lastErrorLine.size() > 7 * n, "the error line of " + size + " is cut short");
        int claimed = 0;
        r.Result(&claimed);
        r.Check(Remove(r.p, contact) == 1, "RemoveData0 of " + size);
        r.Check(CheckCall(r.p, check) == 1, "the removed contact of " + size + " is still logged");
    }
}

void LineBreaksAndRawBytes(Run& r) {
    ResetCall reset;
    reset.contestant = "UA3\r\nABC\t";
    r.Reset(reset);
    const char* groups[] = {
        "a\r\nb", "\t",  "\x80\xFF", "Total", "", "\r\n", "14\t 1\t 50\t0\t0\t0\t0\r\n7",
        " 7",     "\x1A"};
    for (const char* group : groups) {
        ContactCall contact;
        contact.call = "DL\r\n1AA";
        contact.group = group;
        contact.exchRcvd = "1\r\n55N\t37O";
        r.Check(r.Add(contact) == 1, "a contact with line breaks in its texts was refused");
        contact.mode = "C\r\nW";
        r.Check(r.Add(contact) == 0, "a contact with a broken mode was admitted");
    }
    CheckCallCall check;
    check.call = "DL\r\n1AA";
    check.group = "a\r\nb";
    r.Check(CheckCall(r.p, check) == 0, "CheckCall0 does not find a call with a line break");
    int claimed = 0;
    r.Result(&claimed);
}

void Frequencies(Run& r) {
    r.Reset({});
    for (unsigned int hz : {0u, 999u, 1000u, 14025500u, UINT_MAX}) {
        ContactCall contact;
        contact.freqHz = hz;
        contact.unusedNumber = hz;
        contact.mode = "SSB";
        r.Add(contact);
        r.Check(r.lastErrorLine.rfind("QSO:  " + std::to_string(hz / 1000) + "  SSB  ", 0) == 0,
                std::to_string(hz) + " Hz gives the line " + r.lastErrorLine);
        contact.mode = "CW";
        r.Check(r.Add(contact) == 1, std::to_string(hz) + " Hz was refused");
    }
    int claimed = 0;
    r.Result(&claimed);
}

void OddExchanges(Run& r) {
    r.Reset({});
    const char* exchanges[] = {
        "N",     "S",           "NNNNNNNN", "12N", "1234567N37O",
        "001 ",  " ",           "\xFFN",    "55N", "99999999999999999999N99999999999999999999O",
        "-1N-1", "001 -99S-9W", "12S\r\n",  "\t1N"};
    int n = 0;
    for (const char* exchange : exchanges) {
        const std::string group = "g" + std::to_string(++n);
        ContactCall contact;
        contact.exchRcvd = exchange;
        contact.exchSent = exchange;
        contact.group = group.c_str();
        r.Check(r.Add(contact) == 1, std::string("the exchange \"") + exchange + "\" was refused");
    }
    int claimed = 0;
    r.Result(&claimed);
}

void CallCheckBuffer(Run& r) {
    r.Reset({});
    ContactCall logged;
    logged.call = "RK3ZZ";
    r.Add(logged);
    const std::string big(10000, 'U');
    constexpr std::size_t kGuard = 16;
    constexpr std::size_t kBuffer = 100;
    constexpr char kFill = 0x5A;
    char want = 0;
    const struct {
        const char* call;
        bool wantReference;
        bool giveBuffer;
        int expected;
        const char* written;  // null: the buffer stays untouched
    } cases[] = {
        {"UA1AA", true, true, 1, "55N37O\n"},  {"RK3ZZ", true, true, 0, nullptr},
        {"ua1aa", true, true, 1, nullptr},     {"UA1AA", false, true, 1, nullptr},
        {"UA1AA", true, false, 1, nullptr},    {nullptr, true, true, 1, nullptr},
        {big.c_str(), true, true, 1, nullptr}, {"UA1AA\r\n", true, true, 1, nullptr},
    };
    for (const auto& c : cases) {
        std::array<char, kGuard + kBuffer + kGuard> guarded;
        guarded.fill(kFill);
        char* buffer = guarded.data() + kGuard;
        CheckCallCall check;
        check.call = c.call;
        check.wantReference = c.wantReference ? &want : nullptr;
        check.referenceBuffer = c.giveBuffer ? buffer : nullptr;
        const std::string name = "CheckCall0(\"" + Text(c.call).substr(0, 12) + "\")";
        r.Check(CheckCall(r.p, check) == c.expected, name + " answered wrongly");
        bool guardsKept = true;
        for (std::size_t i = 0; i < kGuard; ++i) {
            guardsKept =
                guardsKept && guarded[i] == kFill && guarded[kGuard + kBuffer + i] == kFill;
        }
        r.Check(guardsKept, name + " wrote outside the 100-byte buffer");
        if (c.written != nullptr) {
            r.Check(std::memcmp(buffer, c.written, std::strlen(c.written) + 1) == 0,
                    name + " did not write the terminated reference text");
        } else {
            bool untouched = true;
            for (std::size_t i = 0; i < kBuffer; ++i) {
                untouched = untouched && buffer[i] == kFill;
            }
            r.Check(untouched, name + " wrote into the buffer");
        }
        r.Check(want == 0, name + " wrote through its 27th argument");
    }
}

void ResultWithoutPointer(Run& r) {
    r.Reset({});
    r.Add({});
    const char* first = r.p.getResult0(nullptr);
    const std::string kept = first != nullptr ? first : "";
    r.Result(nullptr);
    const char* second = r.p.getResult0(nullptr);
    r.Check(second != nullptr && kept == second, "two result requests without a change differ");
}

void CabrilloNames(Run& r) {
    const std::string big(10000, 'C');
    enum class Outcome { Written, NotWritten, Either };
    const struct {
        const char* contestant;
        Outcome outcome;
        const char* file;
    } cases[] = {
        {nullptr, Outcome::Written, "KORV.cbr"},
        {" \t\r\n", Outcome::Written, "KORV.cbr"},
        {"../zelk-hostile-escape", Outcome::Written, ".._zelk-hostile-escape.cbr"},
        {"UA3\r\nABC", Outcome::Written, "UA3__ABC.cbr"},
        {"C:\\x", Outcome::Written, "C__x.cbr"},
        {big.c_str(), Outcome::NotWritten, ""},
        {"CON", Outcome::Either, ""},
        {"..", Outcome::Either, ""},
    };
    for (const auto& c : cases) {
        ResetCall reset;
        reset.cabrilloWanted = 1;
        reset.contestant = c.contestant;
        r.Reset(reset);
        r.Add({});
        int result = 0;
        const ReportFigures f = r.Result(&result);
        const std::string name =
            "the Cabrillo file of \"" + Text(c.contestant).substr(0, 24) + "\"";
        if (c.outcome == Outcome::Written) {
            const std::optional<std::string> file = ReadFile(c.file);
            r.Check(result == -1, name + " was not reported as produced");
            r.Check(file && EndsWith(*file, "END-OF-LOG:\r\n") &&
                        file->find("CLAIMED-SCORE: " + std::to_string(f.claimed) + "\r\n") !=
                            std::string::npos,
                    name + " is missing or incomplete");
        } else if (c.outcome == Outcome::NotWritten) {
            r.Check(result == f.claimed,
                    name + " could not be written, yet the host got " + std::to_string(result));
        }
    }
    r.Check(!fs::exists("../zelk-hostile-escape.cbr"), "a contestant call sign escaped the folder");
}

struct Scenario {
    const char* name;
    void (*run)(Run&);
    bool needsCabrillo;
};

const Scenario kScenarios[] = {
    {"set table", SetTable, false},
    {"exchange questions", ExchangeQuestions, false},
    {"null pointers", NullPointers, false},
    {"contest dates", ContestDates, false},
    {"contact times", ContactTimes, false},
    {"fallback coordinates", FallbackCoordinates, false},
    {"overlong texts", OverlongTexts, false},
    {"line breaks and raw bytes", LineBreaksAndRawBytes, false},
    {"frequencies", Frequencies, false},
    {"odd exchanges", OddExchanges, false},
    {"call check buffer", CallCheckBuffer, false},
    {"result without pointer", ResultWithoutPointer, false},
    {"Cabrillo file names", CabrilloNames, true},
};

}  // namespace

std::vector<std::string> RunHostileCalls(const EntryPoints& plugin, const HostileOptions& options) {
    std::vector<std::string> failures;
    if (!plugin.Complete()) {
        failures.push_back("the plug-in lacks an entry point");
        return failures;
    }
    std::error_code ignored;
    fs::create_directories("Plugins", ignored);
    fs::remove("Plugins/ZELK.ini", ignored);
    std::ofstream("Plugins/zelk.dat", std::ios::binary) << "UA1AA 55N37O\r\nRK3ZZ Moscow club\r\n";

    Run run(plugin, failures);
    for (const Scenario& s : kScenarios) {
        if (s.needsCabrillo && !options.withCabrillo) {
            continue;
        }
        run.scenario = s.name;
        s.run(run);
    }
    return failures;
}

}  // namespace zelk::reliability
