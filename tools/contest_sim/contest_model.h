// The simulated contest as it is built, before any file is written: the
// stations, every contact with both sides as each logs it, and each
// station's log in its own order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator.h"
#include "stations.h"

namespace zelk::sim {

inline constexpr int32_t kMaxRepeatDelay = 90;  // minutes beyond the shortest repeat gap

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

struct Side {
    uint32_t station = 0;
    int32_t minute = 0;  // logged time: minutes after the start of the contest
    int32_t freqKHz = 0;
    uint32_t serial = 0;        // the serial this side sent
    uint32_t copiedSerial = 0;  // the partner's serial as this side logged it; 0: right
    bool coordinateMiscopied = false;
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
    std::vector<Station> stations;
    uint32_t entrants = 0;       // stations [0, entrants) send a log that is read
    uint32_t plainEntrants = 0;  // entrants [plainEntrants, entrants) send two logs
    uint32_t uniqueEnd = 0;      // stations [entrants, uniqueEnd) are worked by few
    std::vector<Contact> contacts;
    std::vector<std::string> bustedCalls;
    std::vector<std::string> notes{""};
    std::vector<std::vector<uint32_t>> logs;  // per station: contact * 2 + side, in log order

    const Side& SideOf(uint32_t entry) const { return contacts[entry >> 1].sides[entry & 1]; }
    const Side& PartnerOf(uint32_t entry) const {
        return contacts[entry >> 1].sides[(entry & 1) ^ 1];
    }
    uint32_t Note(std::string text) {
        notes.push_back(std::move(text));
        return static_cast<uint32_t>(notes.size() - 1);
    }
};

}  // namespace zelk::sim
