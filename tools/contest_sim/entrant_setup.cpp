// Choosing the entrants' categories, clocks and CONTEST: lines.
#include "entrant_setup.h"

#include <algorithm>

#include "amateur_bands.h"

namespace zelk::sim {
namespace {

uint32_t Take(std::vector<uint32_t>& from) {
    const uint32_t e = from.back();
    from.pop_back();
    return e;
}

bool DefaultCategory(const EntrantSetup& s) {
    return s.categoryOperator == "SINGLE-OP" && s.categoryBand == "ALL" &&
           (s.categoryPower == "HIGH" || s.categoryPower == "LOW") &&
           s.categoryTransmitter == "ONE";
}

// The single-band entry of the k-th such entrant: a category band that
// holds one of the contest's bands whole, in turn; when none does, a
// category band all the same (every line of it is then other_band).
void MakeSingleBand(EntrantSetup& setup, const std::vector<int>& bandsKHz, uint32_t k) {
    std::vector<std::pair<const AmateurBand*, int32_t>> fitting;
    for (std::size_t b = 0; b < bandsKHz.size(); ++b) {
        const AmateurBand* band = CategoryBandOf(bandsKHz[b]);
        if (band != nullptr && bandsKHz[b] + kCwSegmentKHz <= band->highKHz) {
            fitting.emplace_back(band, static_cast<int32_t>(b));
        }
    }
    const AmateurBand* band = &kCategoryBands[k % kCategoryBands.size()];
    if (!fitting.empty()) {
        band = fitting[k % fitting.size()].first;
        setup.ownBand = fitting[k % fitting.size()].second;
    }
    setup.categoryBand = band->designator;
    setup.bandLowKHz = band->lowKHz;
    setup.bandHighKHz = band->highKHz;
}

// The Cabrillo 2.0 CATEGORY: lines, in turn, and what each is read as;
// "{band}" is a single band's designator.
struct Category2 {
    Cabrillo2Category kind;
    std::string_view line;
    std::string_view categoryOperator;
    std::string_view power;
    std::string_view transmitter;
};
constexpr Category2 kCategory2[] = {
    {Cabrillo2Category::SingleBandQrp, "SINGLE-OP {band} QRP CW", "SINGLE-OP", "QRP", "ONE"},
    {Cabrillo2Category::CheckLog, "CHECKLOG", "CHECKLOG", "HIGH", "ONE"},
    {Cabrillo2Category::MultiOne, "MULTI-ONE ALL LOW", "MULTI-OP", "LOW", "ONE"},
    {Cabrillo2Category::MultiTwo, "MULTI-TWO", "MULTI-OP", "HIGH", "TWO"},
    {Cabrillo2Category::MultiMulti, "MULTI-MULTI ALL LOW CW", "MULTI-MULTI", "LOW", "UNLIMITED"},
    {Cabrillo2Category::Assisted, "SINGLE-OP-ASSISTED ALL HIGH", "SINGLE-OP-ASSISTED", "HIGH",
     "ONE"},
};
static_assert(std::size(kCategory2) == static_cast<std::size_t>(Cabrillo2Category::Count));

void MakeCabrillo2(EntrantSetup& setup, const std::vector<int>& bandsKHz, int ordinal,
                   uint32_t singleBandOrdinal) {
    const Category2& c = kCategory2[static_cast<std::size_t>(ordinal) % std::size(kCategory2)];
    setup.categoryText = CategoryText::Cabrillo2;
    setup.categoryOperator = c.categoryOperator;
    setup.categoryPower = c.power;
    setup.categoryTransmitter = c.transmitter;
    setup.categoryLine = c.line;
    if (c.kind == Cabrillo2Category::SingleBandQrp) {
        MakeSingleBand(setup, bandsKHz, singleBandOrdinal);
        setup.categoryLine.replace(setup.categoryLine.find("{band}"), 6, setup.categoryBand);
    }
}

}  // namespace

int Cabrillo2Count(const FaultCounts& f, Cabrillo2Category kind) {
    const int turn = static_cast<int>(Cabrillo2Category::Count);
    const int at = static_cast<int>(kind);
    return f.cabrillo2Headers > at ? (f.cabrillo2Headers - at + turn - 1) / turn : 0;
}

std::string CheckEntrantRoles(const SimulationParameters& p) {
    const FaultCounts& f = p.faults;
    const int plain = p.logs - TwoLogEntrants(f);
    const int written = plain - (plain + 3) / 4;
    const int roles = f.missingCategories + f.unknownCategories + f.clocksHourOff +
                      f.clocksMinutesOff + f.clocksWithinWindow + f.checkLogs +
                      f.singleBandEntries + f.multiOpEntries + f.qrpEntries + f.otherContestLogs +
                      f.misnamedLogs + f.cabrillo2Headers + 2 * f.symmetricClockPairs;
    if (roles > plain) {
        return "the entrants who send one log (" + std::to_string(plain) +
               ") are too few for the categories, clocks and contest names asked for, one each";
    }
    if (f.missingCategories + f.unknownCategories + f.cabrillo2Headers +
            std::max(f.mixedCaseCategories, f.otherContestLogs + f.misnamedLogs) >
        written) {
        return "the entrants who write their logs otherwise than the plug-in (" +
               std::to_string(written) +
               ") are too few for the categories missing, unknown, in mixed case and of Cabrillo "
               "2.0 and the contest names";
    }
    int twoLogsWritten = 0;
    for (int e = plain; e < p.logs; ++e) {
        twoLogsWritten += !PluginLayout(static_cast<uint32_t>(e));
    }
    if (f.newerWithoutContest > twoLogsWritten) {
        return "the entrants who send two logs and write otherwise than the plug-in (" +
               std::to_string(twoLogsWritten) + ") are too few for the newer logs without CONTEST:";
    }
    const int narrow = f.checkLogs + f.singleBandEntries +
                       Cabrillo2Count(f, Cabrillo2Category::SingleBandQrp) +
                       Cabrillo2Count(f, Cabrillo2Category::CheckLog) + 2 * f.symmetricClockPairs;
    if (plain - narrow <
        std::max({2, p.minAppearances, f.noLogSplits > 0 ? 2 * SplitHalf(p.minAppearances) : 0})) {
        return "the entrants who send one log, of all bands, no check log and not of a symmetric "
               "clock pair, must be at least 2, at least min-appearances and enough for a split";
    }
    if (f.clocksWithinWindow > 0 && p.timeWindowMinutes < 2) {
        return "a clock off within the window needs a window of 2 minutes or more";
    }
    return {};
}

void ChooseEntrantSetups(Model& model, Random& random) {
    const SimulationParameters& p = model.parameters;
    const FaultCounts& f = p.faults;
    model.setups.assign(model.entrants, {});
    for (uint32_t e = 0; e < model.entrants; ++e) {
        model.setups[e].categoryPower = e % 3 == 0 ? "HIGH" : "LOW";
    }
    const int roles = f.missingCategories + f.unknownCategories + f.mixedCaseCategories +
                      f.clocksHourOff + f.clocksMinutesOff + f.clocksWithinWindow + f.checkLogs +
                      f.singleBandEntries + f.multiOpEntries + f.qrpEntries + f.otherContestLogs +
                      f.misnamedLogs + f.cabrillo2Headers + f.symmetricClockPairs +
                      f.newerWithoutContest;
    if (roles == 0) {
        return;
    }
    // Of the entrants who send two logs, the last that write otherwise than
    // the plug-in (which always names the contest) leave CONTEST: out of the
    // newer one.
    for (uint32_t e = model.entrants, left = static_cast<uint32_t>(f.newerWithoutContest);
         left > 0 && e-- > model.plainEntrants;) {
        if (!PluginLayout(e)) {
            model.setups[e].contest = ContestTag::Missing;
            --left;
        }
    }
    std::vector<uint32_t> written;
    std::vector<uint32_t> rest;
    for (uint32_t e = 0; e < model.plainEntrants; ++e) {
        (PluginLayout(e) ? rest : written).push_back(e);
    }
    random.Shuffle(written);
    for (int i = 0; i < f.missingCategories; ++i) {
        EntrantSetup& s = model.setups[Take(written)];
        s.categoryText = CategoryText::Missing;
        s.categoryPower = "HIGH";
    }
    // A value of no category the check knows, in mixed case, ranked as
    // written: a power, then an operator, in turn.
    for (int i = 0; i < f.unknownCategories; ++i) {
        EntrantSetup& s = model.setups[Take(written)];
        s.categoryText = CategoryText::MixedCase;
        s.unknownCategory = true;
        (i % 2 == 0 ? s.categoryPower : s.categoryOperator) =
            i % 2 == 0 ? "MEDIUM" : "SINGLE-OP-ASSISTED";
    }
    // The plug-in names the contest itself: only other loggers name another,
    // write it in lower case or leave it out. Those who also send a log of
    // another contest say CONTEST: zelk, or nothing, in turn.
    for (int i = 0; i < f.otherContestLogs; ++i) {
        EntrantSetup& s = model.setups[Take(written)];
        s.otherContestLog = true;
        s.contest = i % 2 == 0 ? ContestTag::ZelkLowerCase : ContestTag::Missing;
    }
    for (int i = 0; i < f.misnamedLogs; ++i) {
        model.setups[Take(written)].contest = ContestTag::Other;
    }
    for (int i = 0; i < f.cabrillo2Headers; ++i) {
        MakeCabrillo2(model.setups[Take(written)], p.bandsKHz, i,
                      static_cast<uint32_t>(f.singleBandEntries + i));
    }
    rest.insert(rest.end(), written.begin(), written.end());
    random.Shuffle(rest);
    const int32_t window = p.timeWindowMinutes;
    auto clock = [&](int count, auto minutes, bool corrected) {
        for (int i = 0; i < count; ++i) {
            EntrantSetup& s = model.setups[Take(rest)];
            const int32_t sign = random.Chance(50) ? 1 : -1;
            s.clockError = sign * minutes();
            s.clockCorrection = corrected ? s.clockError : 0;
        }
    };
    clock(
        f.clocksHourOff, [] { return 60; }, true);
    clock(
        f.clocksMinutesOff, [&] { return window + 2 + random.Between(0, 13); }, true);
    clock(
        f.clocksWithinWindow, [&] { return random.Between(1, window - 1); }, false);
    for (int i = 0; i < f.checkLogs; ++i) {
        model.setups[Take(rest)].categoryOperator = "CHECKLOG";
    }
    for (int i = 0; i < f.singleBandEntries; ++i) {
        MakeSingleBand(model.setups[Take(rest)], p.bandsKHz, static_cast<uint32_t>(i));
    }
    for (int i = 0; i < f.multiOpEntries; ++i) {
        EntrantSetup& s = model.setups[Take(rest)];
        s.categoryOperator = i % 2 == 0 ? "MULTI-OP" : "MULTI-MULTI";
        s.categoryTransmitter = i % 2 == 0 ? "TWO" : "UNLIMITED";
    }
    for (int i = 0; i < f.qrpEntries; ++i) {
        model.setups[Take(rest)].categoryPower = "QRP";
    }
    // Symmetric clock pairs: the second's clock an hour fast or slow, in turn.
    for (int i = 0; i < f.symmetricClockPairs; ++i) {
        const uint32_t right = Take(rest);
        const uint32_t off = Take(rest);
        model.setups[right].onlyPartner = static_cast<int32_t>(off);
        model.setups[off].onlyPartner = static_cast<int32_t>(right);
        model.setups[off].clockError = model.setups[off].clockCorrection = i % 2 == 0 ? 60 : -60;
    }
    // Mixed case, by the loggers other than the plug-in's: those in a
    // category of their own first.
    std::vector<uint32_t> mixed;
    for (uint32_t e = 0; e < model.plainEntrants; ++e) {
        if (!PluginLayout(e) && model.setups[e].categoryText == CategoryText::Capitals) {
            mixed.push_back(e);
        }
    }
    std::stable_partition(mixed.begin(), mixed.end(),
                          [&](uint32_t e) { return !DefaultCategory(model.setups[e]); });
    for (int i = 0; i < f.mixedCaseCategories; ++i) {
        model.setups[mixed[static_cast<std::size_t>(i)]].categoryText = CategoryText::MixedCase;
    }
}

std::string MixedCase(const std::string& text) {
    std::string mixed = text;
    bool first = true;
    for (char& ch : mixed) {
        if (ch >= 'A' && ch <= 'Z' && !first) {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
        first = ch == '-';
    }
    return mixed;
}

}  // namespace zelk::sim
