// Shapes that real logs hold, each placed so that it has one reading: lines
// that cannot be read, frequencies in no band, a portable station's call
// sent otherwise than its CALLSIGN: says, busted calls whose other side
// miscopied the exchange, stations without a log copied at another place by
// one log or split on their place, an entrant one letter from a station
// without a log who claims a QSO, and two logs that worked only each other
// with one clock an hour off.
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "amateur_bands.h"
#include "builder.h"

namespace zelk::sim {
namespace {

constexpr int kAttempts = 200;

// The frequency with a digit dropped (1401 for 14010) or, where that lies in
// a band, one added.
int32_t OutOfBandKHz(int32_t kHz) {
    return AmateurBandOf(kHz / 10) == nullptr ? kHz / 10 : kHz * 10;
}

std::string Text(int32_t number) {
    return std::to_string(number);
}

// The entrants' lines with a station without a log that the check's own
// rules decide (not a check log's, inside the period, on the entry's band).
std::vector<uint32_t> PlainPartnerEntries(const Model& model, uint32_t station) {
    std::vector<uint32_t> entries;
    for (uint32_t entry : model.logs[station]) {
        const uint32_t other = entry ^ 1;
        const Side& side = model.SideOf(other);
        const Contact& contact = model.contacts[other >> 1];
        if (side.station < model.entrants && side.logged && contact.cw && !contact.xQso &&
            model.Plain(side) && !model.CheckLog(side.station) &&
            side.status == LineStatus::NoLogCredited && !side.coordinateMiscopied) {
            entries.push_back(other);
        }
    }
    return entries;
}

}  // namespace

// An entrant without a role that shapes its contacts: clock right, all
// bands, no check log, one log of this contest, not of a pair.
bool Builder::Ordinary(uint32_t e) const {
    const EntrantSetup& s = m_model.setups[e];
    return e < m_plainEntrants && s.clockError == 0 && s.onlyPartner < 0 && !s.SingleBand() &&
           !s.CheckLog() && !s.otherContestLog && s.contest != ContestTag::Other &&
           !m_model.Portable(e);
}

// Portable entrants first, then the stations without a log one letter from
// an entrant, so that every call is known before any is miscopied.
void Builder::ChooseSentCalls() {
    const FaultCounts& f = m_p.faults;
    if (f.portableCalls + f.nearCallClaims == 0) {
        return;
    }
    std::vector<uint32_t> ordinary;
    for (uint32_t e = 0; e < m_plainEntrants; ++e) {
        if (Ordinary(e)) {
            ordinary.push_back(e);
        }
    }
    m_random.Shuffle(ordinary);
    for (int i = 0; i < f.portableCalls; ++i) {
        MakePortable(ordinary);
    }
    std::vector<uint32_t> stations;
    for (uint32_t s = m_model.uniqueEnd + static_cast<uint32_t>(f.notCabrillo);
         s < m_model.splitStart; ++s) {
        stations.push_back(s);
    }
    m_random.Shuffle(stations);
    for (int i = 0; i < f.nearCallClaims; ++i) {
        MakeNearCall(ordinary, stations);
    }
}

// Its QSO lines send CALL/P, its CALLSIGN: says CALL. CALL/P is two edits
// from CALL and three or more from every other call; CALL stays taken, so
// that nothing else comes near it either.
void Builder::MakePortable(std::vector<uint32_t>& ordinary) {
    for (auto it = ordinary.begin(); it != ordinary.end(); ++it) {
        const uint32_t e = *it;
        const std::string bare = m_model.stations[e].call;
        const std::string sent = bare + std::string(kPortable);
        if (PluginLayout(e) || bare.ends_with(kPortable) ||
            m_index.Near(sent) != std::vector<uint32_t>{e}) {
            continue;
        }
        ordinary.erase(it);
        m_model.setups[e].headerCall = bare;
        m_model.stations[e].call = sent;
        m_index.Add(sent, e);
        m_index.Add(bare, m_reservedCallId++);
        m_takenBustedCalls.insert(bare);
        return;
    }
    throw std::invalid_argument("too few entrants without another role for the portable calls");
}

// A station without a log takes a call one letter from an entrant's, three
// or more edits from every other, at another place than the entrant.
void Builder::MakeNearCall(std::vector<uint32_t>& ordinary, std::vector<uint32_t>& stations) {
    if (ordinary.empty() || stations.empty()) {
        throw std::invalid_argument("too few entrants or stations without a log for near calls");
    }
    const uint32_t claimant = ordinary.back();
    ordinary.pop_back();
    const uint32_t near = stations.back();
    stations.pop_back();
    const std::string& call = m_model.stations[claimant].call;
    const std::size_t letters =
        call.ends_with(kPortable) ? call.size() - kPortable.size() : call.size();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string neighbour = call;
        const std::size_t at = m_random.Below(static_cast<uint32_t>(letters));
        if (neighbour[at] < 'A' || neighbour[at] > 'Z') {
            continue;
        }
        neighbour[at] = static_cast<char>('A' + m_random.Below(26));
        const std::vector<uint32_t> close = m_index.Near(neighbour);
        if (neighbour == call || std::any_of(close.begin(), close.end(), [&](uint32_t id) {
                return id != claimant && id != near;
            })) {
            continue;
        }
        Station& station = m_model.stations[near];
        station.call = neighbour;
        if (station.coordinate == m_model.stations[claimant].coordinate) {
            station.longitude += station.longitude < 179 ? 1 : -1;
            station.coordinate = CoordinateText(station.latitude, station.longitude);
        }
        m_index.Add(neighbour, near);
        m_model.nearCalls.push_back({near, claimant});
        return;
    }
    throw std::invalid_argument("no call one letter from " + call + " is free");
}

// The symmetric clock pairs work once on each band, within the period's
// last hour (the fast clock's lines after its end) or its first (the slow
// one's before its start), and nobody else.
void Builder::AddSymmetricClockPairs() {
    for (uint32_t off = 0; off < m_model.entrants; ++off) {
        const int32_t error = m_model.ClockErrorOf(off);
        if (!m_model.Isolated(off) || error == 0) {
            continue;
        }
        const auto right = static_cast<uint32_t>(m_model.setups[off].onlyPartner);
        for (uint32_t band = 0; band < m_p.bandsKHz.size(); ++band) {
            const auto within = static_cast<int32_t>(m_random.Below(60));
            const int32_t minute =
                error > 0 ? m_model.periodEnd - 1 - within : m_model.periodStart + within;
            m_keys.Insert(Key(right, off, band));
            m_model.contacts.push_back(MakeContact(right, off, band, minute, true));
        }
    }
}

// Lines that add contacts, before the serials are counted: X-QSO: lines
// that cannot be read, lines whose time cannot be read (neither logged by
// the partner), and the near calls' claims.
void Builder::AddShapeContacts() {
    const FaultCounts& f = m_p.faults;
    for (int i = 0; i < f.unreadableXQsos; ++i) {
        Contact& contact = m_model.contacts[AddBetweenEntrants(true)];
        contact.xQso = true;
        contact.sides[1].logged = false;
        contact.sides[0].broken = Broken::ReceivedCoordinate;
        contact.sides[0].breakAt = static_cast<uint8_t>(i % 2);
        contact.sides[0].note =
            m_model.Note("an X-QSO: line whose received coordinate lost a letter");
    }
    for (int i = 0; i < f.unreadableTimes; ++i) {
        Contact& contact = m_model.contacts[AddBetweenEntrants(true)];
        contact.sides[1].logged = false;
        contact.sides[0].broken = Broken::Time;
    }
    for (const Model::NearCall& near : m_model.nearCalls) {
        AddNearCallClaim(near);
    }
}

// The claimant logs, two minutes (or the window) after a partner of the
// station without a log worked that station, a QSO with the partner on its
// band that the partner never logged.
void Builder::AddNearCallClaim(const Model::NearCall& near) {
    const int32_t later = std::min(2, m_p.timeWindowMinutes);
    for (const Contact& worked : m_model.contacts) {
        const uint32_t s = worked.sides[0].station == near.station ? 1 : 0;
        const Side& line = worked.sides[s];
        if (worked.sides[s ^ 1].station != near.station || !worked.cw ||
            line.station >= m_plainEntrants || line.station == near.claimant ||
            m_model.ClockErrorOf(line.station) != 0 || m_model.CheckLog(line.station) ||
            !m_model.Plain(line) || line.minute + later >= m_model.periodEnd ||
            !MayWork(near.claimant, line.station) ||
            !m_keys.Insert(Key(near.claimant, line.station, worked.band))) {
            continue;
        }
        Contact claim = MakeContact(near.claimant, line.station, worked.band, line.minute, true);
        claim.sides[0].minute = line.minute + later;
        claim.sides[1].minute = line.minute;
        claim.sides[1].logged = false;
        m_model.claims.push_back(static_cast<uint32_t>(m_model.contacts.size()));
        m_model.contacts.push_back(claim);
        return;
    }
    throw std::invalid_argument("no partner of " + m_model.stations[near.station].call +
                                " for a near-call claim");
}

void Builder::PlaceShapeFaults() {
    const FaultCounts& f = m_p.faults;
    // Busted calls whose other side miscopied the exchange: the busted side
    // copied it right, which pairs them.
    for (int i = 0; i < f.bustedCallExchanges;) {
        const std::optional<PlacedBust> placed = PlaceRandomBustedCall();
        if (!placed) {
            continue;
        }
        Side& copier = m_model.contacts[placed->contact].sides[placed->side];
        Side& other = m_model.contacts[placed->contact].sides[placed->side ^ 1];
        other.status = LineStatus::BustedExchange;
        if (i % 2 == 0) {
            other.copiedSerial = MiscopySerial(copier.serial);
            other.note =
                m_model.Note(Call(copier) + " logged " + placed->call + "; copied serial " +
                             Text(static_cast<int32_t>(other.copiedSerial)) + ", " + Call(copier) +
                             " sent " + Text(static_cast<int32_t>(copier.serial)));
        } else {
            const Station& worked = m_model.stations[copier.station];
            MiscopyCoordinate(worked, other);
            other.note = m_model.Note(Call(copier) + " logged " + placed->call + "; copied " +
                                      CoordinateText(other.copiedLatitude, other.copiedLongitude) +
                                      ", " + worked.call + " sent " + worked.coordinate);
        }
        ++i;
    }
    // A portable station's bare call, as one partner copied it.
    for (uint32_t e = 0; e < m_model.entrants; ++e) {
        if (!m_model.Portable(e)) {
            continue;
        }
        const uint32_t c = NextCandidateWhere([this, e](uint32_t candidate) {
            const Contact& contact = m_model.contacts[candidate];
            return contact.sides[0].station == e || contact.sides[1].station == e;
        });
        PlaceBustedCall(c, m_model.contacts[c].sides[0].station == e ? 1 : 0,
                        m_model.setups[e].headerCall);
    }
    PlaceUnreadableLines();
    PlaceOutOfBand();
    PlaceDissents();
    PlaceSplits();
    PlaceClaims();
}

// Unreadable lines between two entrants: the partner's copy of a readable
// sent exchange is judged (every other partner miscopied its serial); of one
// whose sent coordinate is broken it is not (every other partner miscopied
// it all the same, and is confirmed).
void Builder::PlaceUnreadableLines() {
    const FaultCounts& f = m_p.faults;
    for (int i = 0; i < f.unreadableReceived; ++i) {
        auto [copier, partner] = NextCopierAndPartner();
        copier.broken = Broken::ReceivedCoordinate;
        copier.breakAt = static_cast<uint8_t>(i % 2);
        copier.status = LineStatus::Unreadable;
        copier.note = m_model.Note("the received coordinate lost a letter");
        partner.note = m_model.Note("pairs with " + Call(copier) + "'s line, which cannot be read");
        if (i % 2 == 1) {
            partner.copiedSerial = MiscopySerial(copier.serial);
            partner.status = LineStatus::BustedExchange;
            partner.note = m_model.Note(
                "copied serial " + Text(static_cast<int32_t>(partner.copiedSerial)) + ", " +
                Call(copier) + " sent " + Text(static_cast<int32_t>(copier.serial)) +
                " in a line that cannot be read");
        }
    }
    for (int i = 0; i < f.unreadableSent; ++i) {
        // The call worked is found before the coordinate that is left: it
        // must look like a call (ZELK does not).
        Contact& contact = m_model.contacts[NextCandidate(true)];
        uint32_t s = m_random.Below(2);
        if (contact.sides[s ^ 1].station == 0) {
            s ^= 1;
        }
        Side& copier = contact.sides[s];
        Side& partner = contact.sides[s ^ 1];
        copier.broken = Broken::SentCoordinate;
        copier.breakAt = static_cast<uint8_t>(i % 2);
        copier.status = LineStatus::Unreadable;
        copier.note = m_model.Note("the sent coordinate lost a letter");
        partner.note = m_model.Note("pairs with " + Call(copier) +
                                    "'s line, whose sent exchange cannot be read: not judged");
        if (i % 2 == 1) {
            partner.copiedSerial = MiscopySerial(copier.serial);
            partner.note = m_model.Note(
                "copied serial " + Text(static_cast<int32_t>(partner.copiedSerial)) + ", " +
                Call(copier) + " sent " + Text(static_cast<int32_t>(copier.serial)) +
                " in a line whose sent exchange cannot be read: not judged");
        }
    }
}

// No other contact of the two stations lies near it in time on any band, so
// that a line of it in no band pairs with its partner's line alone.
bool Builder::AloneInTime(uint32_t contact) const {
    const Contact& c = m_model.contacts[contact];
    const uint32_t a = c.sides[0].station;
    const uint32_t b = c.sides[1].station;
    for (uint32_t other = 0; other < m_model.contacts.size(); ++other) {
        const Contact& o = m_model.contacts[other];
        const bool same = (o.sides[0].station == a && o.sides[1].station == b) ||
                          (o.sides[0].station == b && o.sides[1].station == a);
        if (same && other != contact && std::abs(o.minute - c.minute) <= ShortestRepeatGap(m_p)) {
            return false;
        }
    }
    return true;
}

void Builder::PlaceOutOfBand() {
    for (int i = 0; i < m_p.faults.outOfBand; ++i) {
        const uint32_t c =
            NextCandidateWhere([this](uint32_t candidate) { return AloneInTime(candidate); });
        const uint32_t s = m_random.Below(2);
        Side& copier = m_model.contacts[c].sides[s];
        Side& partner = m_model.contacts[c].sides[s ^ 1];
        const int32_t typed = OutOfBandKHz(copier.freqKHz);
        copier.note = m_model.Note("logged " + Text(typed) + " kHz for " + Text(copier.freqKHz) +
                                   ": in no band");
        copier.freqKHz = typed;
        copier.status = LineStatus::OutOfBand;
        partner.note = m_model.Note("pairs with " + Call(copier) + "'s line in no band");
        if (i % 2 == 1) {
            partner.copiedSerial = MiscopySerial(copier.serial);
            partner.status = LineStatus::BustedExchange;
            partner.note =
                m_model.Note("copied serial " + Text(static_cast<int32_t>(partner.copiedSerial)) +
                             ", " + Call(copier) + " sent " +
                             Text(static_cast<int32_t>(copier.serial)) + " in its line in no band");
        }
    }
}

// One log copies a station without a log at another place; at least two
// other logs, counted with the check logs or without, copied it right.
void Builder::PlaceDissents() {
    if (m_p.faults.noLogDissents == 0) {
        return;  // draws nothing, so that the seed makes the contest it made before
    }
    std::vector<uint32_t> stations;
    for (uint32_t s = m_model.uniqueEnd + static_cast<uint32_t>(m_p.faults.notCabrillo);
         s < m_model.splitStart; ++s) {
        if (std::none_of(m_model.nearCalls.begin(), m_model.nearCalls.end(),
                         [s](const Model::NearCall& n) { return n.station == s; })) {
            stations.push_back(s);
        }
    }
    m_random.Shuffle(stations);
    for (int i = 0; i < m_p.faults.noLogDissents; ++i) {
        bool placed = false;
        while (!placed && !stations.empty()) {
            const uint32_t station = stations.back();
            stations.pop_back();
            const std::vector<uint32_t> entries = PlainPartnerEntries(m_model, station);
            for (uint32_t entry : entries) {
                const uint32_t log = m_model.SideOf(entry).station;
                std::vector<uint32_t> agreeing;
                for (uint32_t e : entries) {
                    const uint32_t other = m_model.SideOf(e).station;
                    if (other != log &&
                        std::find(agreeing.begin(), agreeing.end(), other) == agreeing.end()) {
                        agreeing.push_back(other);
                    }
                }
                if (agreeing.size() < 2) {
                    continue;
                }
                Side& side = m_model.contacts[entry >> 1].sides[entry & 1];
                const Station& worked = m_model.stations[station];
                MiscopyCoordinate(worked, side);
                side.status = LineStatus::BustedExchange;
                side.note = m_model.Note(
                    "copied " + CoordinateText(side.copiedLatitude, side.copiedLongitude) + "; " +
                    worked.call + " sent no log, " + Text(static_cast<int32_t>(agreeing.size())) +
                    " other logs agree on " + worked.coordinate);
                placed = true;
                break;
            }
        }
        if (!placed) {
            throw std::invalid_argument(
                "too few stations without a log worked by three logs for the dissents");
        }
    }
}

// Half the logs that worked a split station copy it at one other place:
// no place has more logs than the other, and every line is credited.
void Builder::PlaceSplits() {
    for (uint32_t station = m_model.splitStart; station < m_model.stations.size(); ++station) {
        std::vector<uint32_t> entries;
        for (uint32_t entry : m_model.logs[station]) {
            entries.push_back(entry ^ 1);
        }
        m_random.Shuffle(entries);
        const Station& worked = m_model.stations[station];
        Side first;
        MiscopyCoordinate(worked, first);
        const std::string elsewhere = CoordinateText(first.copiedLatitude, first.copiedLongitude);
        const std::size_t half = entries.size() / 2;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Side& side = m_model.contacts[entries[i] >> 1].sides[entries[i] & 1];
            if (i < half) {
                side.coordinateMiscopied = true;
                side.copiedLatitude = first.copiedLatitude;
                side.copiedLongitude = first.copiedLongitude;
            }
            side.note = m_model.Note(
                worked.call + " sent no log; " + Text(static_cast<int32_t>(entries.size() - half)) +
                " logs copied " + worked.coordinate + ", " + Text(static_cast<int32_t>(half)) +
                " " + elsewhere + ": no agreement, credited");
        }
    }
}

// A claim's exchange is none the partner sent: serial and coordinate off.
void Builder::PlaceClaims() {
    for (std::size_t i = 0; i < m_model.claims.size(); ++i) {
        Contact& claim = m_model.contacts[m_model.claims[i]];
        Side& claimant = claim.sides[0];
        const Side& partner = claim.sides[1];
        const Model::NearCall& near = m_model.nearCalls[i];
        claimant.copiedSerial = MiscopySerial(partner.serial);
        MiscopyCoordinate(m_model.stations[partner.station], claimant);
        claimant.status = LineStatus::Nil;
        claimant.note = m_model.Note(
            "claims a QSO " + Call(partner) + " never logged; " + Call(partner) + " worked " +
            m_model.stations[near.station].call + ", which sent no log, on the band then");
    }
}

}  // namespace zelk::sim
