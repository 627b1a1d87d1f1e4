// The faults of the check's own rules: repeats, X-QSO and phone lines, busted
// calls and exchanges, NILs. Each takes a contact of its own between two
// entrants whose lines the check's own rules decide.
#include <cstdlib>
#include <stdexcept>

#include "builder.h"

namespace zelk::sim {

// The contacts between two entrants, in random order: each fault takes its
// own, so no two faults concern the same two stations on one band.
void Builder::ChooseFaultContacts() {
    for (uint32_t c = 0; c < m_trueContacts; ++c) {
        const Contact& contact = m_model.contacts[c];
        if (contact.sides[0].station < m_model.entrants &&
            contact.sides[1].station < m_model.entrants && m_model.Plain(contact.sides[0]) &&
            m_model.Plain(contact.sides[1]) && !m_model.Isolated(contact.sides[0].station)) {
            m_candidates.push_back(c);
        }
    }
    m_random.Shuffle(m_candidates);
}

// Repeats (dupes), X-QSO lines and phone contacts: they add contacts, so
// they come before the serials are counted.
void Builder::AddExtraContacts() {
    const FaultCounts& f = m_p.faults;
    for (int i = 0; i < f.dupes + f.oneSidedDupes; ++i) {
        AddRepeat(i >= f.dupes);
    }
    for (int i = 0; i < f.xQsos; ++i) {
        Contact& contact = m_model.contacts[AddBetweenEntrants(true)];
        contact.xQso = true;
        contact.sides[1].logged = false;
    }
    for (int i = 0; i < f.nonCwContacts; ++i) {
        AddBetweenEntrants(false);
    }
}

void Builder::PlaceCopyingFaults() {
    const FaultCounts& f = m_p.faults;
    for (int i = 0; i < f.bustedCalls;) {
        if (PlaceRandomBustedCall()) {
            ++i;
        }
    }
    for (int i = 0; i < f.bustedSerials; ++i) {
        auto [copier, partner] = NextCopierAndPartner();
        copier.copiedSerial = MiscopySerial(partner.serial);
        copier.status = LineStatus::BustedExchange;
        copier.note = m_model.Note("copied serial " + std::to_string(copier.copiedSerial) + ", " +
                                   Call(partner) + " sent " + std::to_string(partner.serial));
    }
    for (int i = 0; i < f.bustedCoordinates; ++i) {
        auto [copier, partner] = NextCopierAndPartner();
        const Station& worked = m_model.stations[partner.station];
        MiscopyCoordinate(worked, copier);
        copier.status = LineStatus::BustedExchange;
        copier.note =
            m_model.Note("copied " + CoordinateText(copier.copiedLatitude, copier.copiedLongitude) +
                         ", " + worked.call + " sent " + worked.coordinate);
    }
    for (int i = 0; i < f.nils; ++i) {
        auto [copier, partner] = NextCopierAndPartner();
        partner.logged = false;
        copier.status = LineStatus::Nil;
        copier.note = m_model.Note("not in " + Call(partner) + "'s log");
    }
    PlaceShapeFaults();
}

std::optional<Builder::PlacedBust> Builder::PlaceRandomBustedCall() {
    const uint32_t c = NextCandidate(true);
    const uint32_t s = m_random.Below(2);
    std::optional<std::string> busted =
        BustCall(m_random, m_model.stations, m_model.contacts[c].sides[s ^ 1].station, m_index,
                 m_takenBustedCalls);
    if (!busted) {
        return std::nullopt;
    }
    PlaceBustedCall(c, s, *busted);
    return PlacedBust{c, s, std::move(*busted)};
}

// Side `side` of the contact logged `busted` for the partner's call, and
// copied the partner's exchange right.
void Builder::PlaceBustedCall(uint32_t contact, uint32_t side, const std::string& busted) {
    m_model.bustedCalls.push_back(busted);
    Side& copier = m_model.contacts[contact].sides[side];
    Side& partner = m_model.contacts[contact].sides[side ^ 1];
    copier.bustedCall = static_cast<int32_t>(m_model.bustedCalls.size() - 1);
    copier.status = LineStatus::BustedCall;
    copier.note = m_model.Note("logged " + busted + " for " + Call(partner));
    partner.status = LineStatus::PartnerBustedCall;
    partner.note = m_model.Note(Call(copier) + " logged " + busted);
}

// The next fault contact; one whose clean pair the fault spoils only where
// the clock rule can spare it.
uint32_t Builder::NextCandidate(bool takesPair) {
    for (;;) {
        if (m_nextCandidate == m_candidates.size()) {
            throw std::invalid_argument(
                "the contest has too few contacts between two entrants for the faults asked "
                "for (" +
                std::to_string(m_candidates.size()) + "); ask for more contacts or fewer faults");
        }
        const uint32_t c = m_candidates[m_nextCandidate++];
        if (!takesPair) {
            return c;
        }
        if (m_clockPairs.MayTake(m_model, m_model.contacts[c])) {
            m_clockPairs.Take(m_model, m_model.contacts[c]);
            return c;
        }
    }
}

uint32_t Builder::NextCandidateWhere(const std::function<bool(uint32_t)>& fits) {
    for (std::size_t i = m_nextCandidate; i < m_candidates.size(); ++i) {
        const Contact& contact = m_model.contacts[m_candidates[i]];
        if (fits(m_candidates[i]) && m_clockPairs.MayTake(m_model, contact)) {
            m_clockPairs.Take(m_model, contact);
            std::swap(m_candidates[i], m_candidates[m_nextCandidate]);
            return m_candidates[m_nextCandidate++];
        }
    }
    throw std::invalid_argument(
        "the contest has too few contacts between two entrants that fit the shapes asked for; "
        "ask for more contacts or fewer shapes");
}

Builder::CopierAndPartner Builder::NextCopierAndPartner() {
    Contact& contact = m_model.contacts[NextCandidate(true)];
    const uint32_t s = m_random.Below(2);
    return {contact.sides[s], contact.sides[s ^ 1]};
}

// The two stations of a contact work again on its band later on; both
// log it, or one side only.
void Builder::AddRepeat(bool oneSided) {
    for (;;) {
        const uint32_t c = NextCandidate(false);
        const Contact base = m_model.contacts[c];
        const uint32_t a = base.sides[0].station;
        const uint32_t b = base.sides[1].station;
        const int32_t gap = ShortestRepeatGap(m_p) + m_random.Between(0, kMaxRepeatDelay);
        const int32_t minute = base.minute + gap;
        if (minute > m_model.periodEnd - 1 - ClockError(m_p) || FitClocks(a, b, minute) != minute) {
            continue;  // no room after it: the next contact
        }
        // A repeat both log pairs its lines, which the clock rule may count.
        if (!oneSided && !m_clockPairs.MayAdd(m_model, a, b)) {
            continue;
        }
        if (!oneSided) {
            m_clockPairs.Add(m_model, a, b);
        }
        Contact repeat = MakeContact(a, b, base.band, minute, true);
        const uint32_t silent = oneSided ? m_random.Below(2) : 2;
        for (uint32_t s = 0; s < 2; ++s) {
            repeat.sides[s].repeat = true;
            repeat.sides[s].logged = s != silent;
            repeat.sides[s].note =
                m_model.Note(std::string("worked ") + Call(base.sides[s ^ 1]) +
                             " on this band before" + (oneSided ? " (in this log only)" : ""));
        }
        m_model.contacts.push_back(repeat);
        return;
    }
}

uint32_t Builder::MiscopySerial(uint32_t sent) {
    static constexpr uint32_t kSteps[] = {1, 10, 100};
    const uint32_t step = kSteps[m_random.Below(3)];
    return sent > step && m_random.Chance(50) ? sent - step : sent + step;
}

void Builder::MiscopyCoordinate(const Station& worked, Side& copier) {
    int32_t latitude = std::abs(worked.latitude);
    int32_t longitude = std::abs(worked.longitude);
    if (m_random.Chance(50)) {
        const int32_t step = m_random.Between(1, 3);
        latitude += latitude + step <= 80 ? step : -step;
    } else {
        const int32_t step = m_random.Between(1, 9);
        longitude += longitude + step <= 179 ? step : -step;
    }
    copier.coordinateMiscopied = true;
    copier.copiedLatitude = worked.latitude < 0 ? -latitude : latitude;
    copier.copiedLongitude = worked.longitude < 0 ? -longitude : longitude;
}

}  // namespace zelk::sim
