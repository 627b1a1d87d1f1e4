// The simulated contest as it is built, before any file is written: the
// stations, how each entrant's log presents itself, every contact with both
// sides as each logs it, and each station's log in its own order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "simulator.h"
#include "stations.h"

namespace zelk::sim {

inline constexpr int32_t kMaxRepeatDelay = 90;  // minutes beyond the shortest repeat gap
inline constexpr int32_t kOutsideReach = 90;    // out-of-period contacts lie this far out at most
inline constexpr int32_t kCwSegmentKHz = 60;    // contacts lie in the lowest 60 kHz of a band
inline constexpr int32_t kFreqSpreadKHz = 2;    // how far apart the two sides may log a contact

// Each side's clock is off by at most this, so two sides differ by less than
// the window.
inline int32_t ClockError(const SimulationParameters& p) {
    return (p.timeWindowMinutes - 1) / 2;
}

// A repeat lies further than this after the contact it repeats, so that no
// clock error brings it within two windows of it.
inline int32_t ShortestRepeatGap(const SimulationParameters& p) {
    return 2 * p.timeWindowMinutes + 2 * ClockError(p) + 1;
}

// The entrants who send an older and a newer log.
inline int TwoLogEntrants(const FaultCounts& f) {
    return f.resubmissions + f.newerWithoutContest;
}

// Every fourth entrant writes its log as the plug-in does (ChooseStyle).
inline bool PluginLayout(uint32_t entrant) {
    return entrant % 4 == 0;
}

// How many logs copy each of the two coordinates of a station split on its
// coordinate: two each at least, and together min-appearances.
inline int SplitHalf(int minAppearances) {
    return std::max(2, (minAppearances + 1) / 2);
}

// How a log writes its category lines.
enum class CategoryText : uint8_t {
    Capitals,   // as the plug-in writes them
    MixedCase,  // "Single-Op", "40m"
    Missing,    // no CATEGORY-OPERATOR, -BAND, -POWER or -TRANSMITTER line
    Cabrillo2,  // START-OF-LOG: 2.0 and one CATEGORY: line (EntrantSetup::categoryLine)
};

// What a log's CONTEST: line says.
enum class ContestTag : uint8_t { Zelk, ZelkLowerCase, Missing, Other };

// An entrant's log as it presents itself, and its clock.
struct EntrantSetup {
    // The category as the check must read it: capitals, defaults filled in.
    std::string categoryOperator = "SINGLE-OP";
    std::string categoryBand = "ALL";
    std::string categoryPower = "HIGH";
    std::string categoryTransmitter = "ONE";
    CategoryText categoryText = CategoryText::Capitals;
    bool unknownCategory = false;  // one value is none the check knows
    int32_t bandLowKHz = 0;        // a single-band entry's band, both edges in;
    int32_t bandHighKHz = 0;       // 0: all bands
    int32_t ownBand = -1;          // the index of bandsKHz that lies in it; -1: none
    int32_t clockError = 0;        // minutes its clock is ahead of the true time
    int32_t clockCorrection = 0;   // what the check takes off: the error beyond the window
    ContestTag contest = ContestTag::Zelk;
    ContestTag olderLogContest = ContestTag::Zelk;  // of the older log, when it sends two
    bool otherContestLog = false;                   // also sends a newer log of another contest
    std::string categoryLine;                       // the words of a Cabrillo 2.0 CATEGORY: line
    // CALLSIGN: where its QSO lines send another call (a portable station's
    // bare call); empty when they send this one.
    std::string headerCall;
    int32_t onlyPartner = -1;  // the one entrant it works (a symmetric clock pair); -1: any

    bool SingleBand() const { return bandHighKHz != 0; }
    bool CheckLog() const { return categoryOperator == "CHECKLOG"; }
};

// How a QSO line is written so that it cannot be read.
enum class Broken : uint8_t {
    None,
    ReceivedCoordinate,  // the received coordinate lost a letter: still pairs
    SentCoordinate,  // the sent coordinate lost a letter: still pairs, the copy of it not judged
    Time,            // the time written "07:00": the line is not even partly read
};

struct Side {
    uint32_t station = 0;
    int32_t minute = 0;  // logged time: minutes after the start of the contest
    int32_t freqKHz = 0;
    uint32_t serial = 0;        // the serial this side sent
    uint32_t copiedSerial = 0;  // the partner's serial as this side logged it; 0: right
    bool coordinateMiscopied = false;
    Broken broken = Broken::None;  // (beside the flag above: a contest holds millions of sides)
    uint8_t breakAt = 0;         // 0: the latitude's letter lost; 1: the longitude's (O typed as 0)
    int32_t copiedLatitude = 0;  // the partner's coordinate as logged, when miscopied
    int32_t copiedLongitude = 0;
    int32_t bustedCall = -1;  // index into Model::bustedCalls: the call logged instead
    bool logged = true;
    bool repeat = false;  // a later contact with the same station on the same band
    LineStatus status = LineStatus::Confirmed;
    uint32_t note = 0;  // index into Model::notes
};

struct Contact {
    Side sides[2];
    uint32_t band = 0;   // index into SimulationParameters::bandsKHz
    int32_t minute = 0;  // the true time: minutes after the start of the contest
    bool cw = true;
    bool xQso = false;  // side 0 logs it as an X-QSO: line, side 1 not at all
};

struct Model {
    SimulationParameters parameters;
    int32_t periodStart = 0;  // minutes after the start of the contest
    int32_t periodEnd = 0;
    std::vector<Station> stations;
    uint32_t entrants = 0;             // stations [0, entrants) send a log that is read
    uint32_t plainEntrants = 0;        // entrants [plainEntrants, entrants) send two logs
    uint32_t uniqueEnd = 0;            // stations [entrants, uniqueEnd) are worked by few
    std::vector<EntrantSetup> setups;  // per entrant
    std::vector<Contact> contacts;
    std::vector<std::string> bustedCalls;
    std::vector<std::string> notes{""};
    std::vector<std::vector<uint32_t>> logs;  // per station: contact * 2 + side, in log order
    uint32_t splitStart =
        0;  // stations [splitStart, size) are worked by few, split on a coordinate
    // Each near-call claim: the station without a log, and the entrant one
    // letter from it who claims a QSO.
    struct NearCall {
        uint32_t station = 0;
        uint32_t claimant = 0;
    };
    std::vector<NearCall> nearCalls;
    std::vector<uint32_t> claims;  // the contacts claimed by them, logged by side 0 only

    const Side& SideOf(uint32_t entry) const { return contacts[entry >> 1].sides[entry & 1]; }
    const Side& PartnerOf(uint32_t entry) const {
        return contacts[entry >> 1].sides[(entry & 1) ^ 1];
    }
    uint32_t Note(std::string text) {
        notes.push_back(std::move(text));
        return static_cast<uint32_t>(notes.size() - 1);
    }

    // Stations without a log keep the true time.
    int32_t ClockErrorOf(uint32_t station) const {
        return station < setups.size() ? setups[station].clockError : 0;
    }
    bool CorrectedClock(uint32_t station) const {
        return station < setups.size() && setups[station].clockCorrection != 0;
    }
    bool SingleBand(uint32_t station) const {
        return station < setups.size() && setups[station].SingleBand();
    }
    bool CheckLog(uint32_t station) const {
        return station < setups.size() && setups[station].CheckLog();
    }
    // An entrant whose QSO lines send another call than its CALLSIGN:.
    bool Portable(uint32_t station) const {
        return station < setups.size() && !setups[station].headerCall.empty();
    }
    // One of a symmetric clock pair, which works nobody else.
    bool Isolated(uint32_t station) const {
        return station < setups.size() && setups[station].onlyPartner >= 0;
    }
    // What CALLSIGN: says.
    const std::string& HeaderCall(uint32_t station) const {
        return Portable(station) ? setups[station].headerCall : stations[station].call;
    }
    // The side's time as the check reads it after its clock correction.
    int32_t CheckedMinute(const Side& side) const {
        return side.minute -
               (side.station < setups.size() ? setups[side.station].clockCorrection : 0);
    }
    bool OutOfPeriod(const Side& side) const {
        const int32_t minute = CheckedMinute(side);
        return minute < periodStart || minute >= periodEnd;
    }
    // A single-band entrant's line outside its band.
    bool OtherBand(const Side& side) const {
        if (!SingleBand(side.station)) {
            return false;
        }
        const EntrantSetup& setup = setups[side.station];
        return side.freqKHz < setup.bandLowKHz || side.freqKHz > setup.bandHighKHz;
    }
    // A line that the check's own rules decide: neither out of the period
    // nor on another band.
    bool Plain(const Side& side) const { return !OutOfPeriod(side) && !OtherBand(side); }
};

}  // namespace zelk::sim
