// The entrants' categories, checked scores and places.
#include "entrant_truth.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "claimed_score.h"
#include "log_text.h"

namespace zelk::sim {
namespace {

bool Credited(LineStatus status) {
    return status == LineStatus::Confirmed || status == LineStatus::PartnerBustedCall ||
           status == LineStatus::NoLogCredited;
}

int64_t CheckedScore(const Model& model, uint32_t entrant) {
    std::vector<ClaimedContact> credited;
    int64_t nils = 0;
    for (uint32_t entry : model.logs[entrant]) {
        const Side& side = model.SideOf(entry);
        nils += side.logged && side.status == LineStatus::Nil;
        if (!side.logged || !Credited(side.status)) {
            continue;
        }
        // A credited line logged the call right, and the coordinate too but
        // where the logs that worked a station without a log split on it.
        const Station& worked = model.stations[model.PartnerOf(entry).station];
        credited.push_back(
            {worked.call, side.freqKHz,
             std::abs(side.coordinateMiscopied ? side.copiedLatitude : worked.latitude),
             std::abs(side.coordinateMiscopied ? side.copiedLongitude : worked.longitude)});
    }
    const Station& own = model.stations[entrant];
    const int64_t score =
        BandGroupedScore(std::abs(own.latitude), std::abs(own.longitude), credited);
    return std::max<int64_t>(0, score - int64_t{model.parameters.nilPenalty} * 50 * nils);
}

uint32_t UnreadableLines(const Model& model, uint32_t entrant) {
    uint32_t lines = 0;
    for (uint32_t entry : model.logs[entrant]) {
        const Side& side = model.SideOf(entry);
        lines += side.logged && side.broken != Broken::None;
    }
    return lines;
}

std::string Note(const Model& model, uint32_t entrant) {
    const EntrantSetup& setup = model.setups[entrant];
    std::vector<std::string> parts;
    if (setup.onlyPartner >= 0) {
        parts.push_back("worked only " +
                        model.stations[static_cast<uint32_t>(setup.onlyPartner)].call);
    }
    if (setup.clockError != 0) {
        parts.push_back(ClockNote(setup));
    }
    if (model.Portable(entrant)) {
        parts.push_back("CALLSIGN: " + setup.headerCall + ", every line sends " +
                        model.stations[entrant].call);
    }
    if (setup.categoryText == CategoryText::Cabrillo2) {
        parts.push_back("a Cabrillo 2.0 header: CATEGORY: " + setup.categoryLine);
    }
    if (setup.CheckLog()) {
        parts.push_back("a check log: no place");
    }
    if (setup.SingleBand()) {
        parts.push_back("single band " + setup.categoryBand + ": its lines on others other_band");
    }
    if (setup.categoryText == CategoryText::Missing) {
        parts.push_back("no category lines: the defaults");
    } else if (setup.unknownCategory) {
        parts.push_back("a category value the check does not know, ranked as written");
    } else if (setup.categoryText == CategoryText::MixedCase) {
        parts.push_back("category in mixed case");
    }
    if (setup.otherContestLog) {
        parts.push_back(std::string("also sent a newer log of ") + std::string(kOtherContest) +
                        "; this one says " +
                        (setup.contest == ContestTag::Missing ? "no CONTEST:" : "CONTEST: zelk"));
    }
    if (entrant >= model.plainEntrants && setup.contest != setup.olderLogContest) {
        parts.push_back("its newer log has no CONTEST:, the older says CONTEST: ZELK");
    }
    if (setup.contest == ContestTag::Other) {
        parts.push_back("its log names CONTEST: " + std::string(kOtherContest) +
                        " but holds ZELK lines: checked as ZELK's");
    }
    std::string note;
    for (const std::string& part : parts) {
        note += (note.empty() ? "" : "; ") + part;
    }
    return note;
}

}  // namespace

std::string ClockNote(const EntrantSetup& setup) {
    if (setup.clockError == 0) {
        return {};
    }
    return "clock " + std::to_string(std::abs(setup.clockError)) + " min " +
           (setup.clockError > 0 ? "fast" : "slow") +
           (setup.clockCorrection != 0 ? ", corrected" : ", within the window: not corrected");
}

std::vector<EntrantTruth> FindEntrantTruths(const Model& model) {
    std::vector<EntrantTruth> entrants(model.entrants);
    for (uint32_t e = 0; e < model.entrants; ++e) {
        const EntrantSetup& setup = model.setups[e];
        EntrantTruth& t = entrants[e];
        t.categoryOperator = setup.categoryOperator;
        t.categoryBand = setup.categoryBand;
        t.categoryPower = setup.categoryPower;
        t.categoryTransmitter = setup.categoryTransmitter;
        t.checkedScore = CheckedScore(model, e);
        t.clockOffsetMinutes = setup.clockCorrection;
        t.unreadableLines = UnreadableLines(model, e);
        t.note = Note(model, e);
    }
    PlaceInCategories(entrants);
    return entrants;
}

void PlaceInCategories(std::vector<EntrantTruth>& entrants) {
    auto category = [](const EntrantTruth& t) {
        return std::tie(t.categoryOperator, t.categoryBand, t.categoryPower);
    };
    std::vector<EntrantTruth*> ranked;
    for (EntrantTruth& t : entrants) {
        t.categoryPlace = 0;
        if (t.categoryOperator != "CHECKLOG") {
            ranked.push_back(&t);
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](const EntrantTruth* a, const EntrantTruth* b) {
                         return category(*a) != category(*b) ? category(*a) < category(*b)
                                                             : a->checkedScore > b->checkedScore;
                     });
    std::size_t first = 0;  // of the category
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        if (i > 0 && category(*ranked[i - 1]) != category(*ranked[i])) {
            first = i;
        }
        const bool tied = i > first && ranked[i - 1]->checkedScore == ranked[i]->checkedScore;
        ranked[i]->categoryPlace =
            tied ? ranked[i - 1]->categoryPlace : static_cast<uint32_t>(i - first + 1);
    }
}

}  // namespace zelk::sim
