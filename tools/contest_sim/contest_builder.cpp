// Building the contest: stations, true contacts, then the faults.
#include "contest_builder.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace zelk::sim {
namespace {

constexpr int32_t kCwSegmentKHz = 60;  // contacts lie in the lowest 60 kHz of a band
constexpr int32_t kFreqSpreadKHz = 2;  // how far apart the two sides may log a contact

int PolarCount(int stations) {
    return std::min(stations - 1, std::max(3, stations / 25));
}

// The contacts made so far, by pair of stations and band: open addressing
// over a power-of-two table, several times faster here than a node-based set.
class KeySet {
  public:
    explicit KeySet(std::size_t expected) {
        std::size_t size = 64;
        while (size < expected * 2) {
            size *= 2;
        }
        m_slots.assign(size, kEmpty);
    }

    // False when `key` was there already.
    bool Insert(uint64_t key) {
        if ((m_count + 1) * 2 > m_slots.size()) {
            Grow();
        }
        std::size_t at = Slot(key);
        while (m_slots[at] != kEmpty) {
            if (m_slots[at] == key) {
                return false;
            }
            at = (at + 1) & (m_slots.size() - 1);
        }
        m_slots[at] = key;
        ++m_count;
        return true;
    }

  private:
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    std::size_t Slot(uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & (m_slots.size() - 1);
    }

    void Grow() {
        std::vector<uint64_t> old(m_slots.size() * 2, kEmpty);
        old.swap(m_slots);
        m_count = 0;
        for (uint64_t key : old) {
            if (key != kEmpty) {
                Insert(key);
            }
        }
    }

    std::vector<uint64_t> m_slots;
    std::size_t m_count = 0;
};

class Builder {
  public:
    Builder(Model& model, Random& random)
        : m_p(model.parameters), m_model(model), m_random(random) {}

    void MakeStations() {
        const FaultCounts& f = m_p.faults;
        m_model.stations =
            sim::MakeStations(m_random, m_p.stations, PolarCount(m_p.stations), m_index);
        m_model.entrants = static_cast<uint32_t>(m_p.logs);
        m_model.uniqueEnd = m_model.entrants + static_cast<uint32_t>(f.uniqueStations);
        m_plainEntrants = m_model.entrants - static_cast<uint32_t>(f.resubmissions);
        m_model.plainEntrants = m_plainEntrants;
        m_model.logs.resize(m_model.stations.size());
    }

    void MakeTrueContacts() {
        std::vector<uint32_t> active;
        for (uint32_t s = 0; s < m_model.stations.size(); ++s) {
            if (s < m_model.entrants || s >= m_model.uniqueEnd) {
                active.push_back(s);
            }
        }
        const std::size_t target = active.size() * std::size_t(m_p.contactsPerStation) / 2;
        m_model.contacts.reserve(target + target / 50 + 64);
        m_keys = KeySet(target + target / 8);
        const uint32_t count = static_cast<uint32_t>(active.size());
        while (m_model.contacts.size() < target) {
            const uint32_t a = active[m_random.Below(count)];
            const uint32_t b = active[m_random.Below(count)];
            if (a != b) {
                AddFresh(a, b, RandomBand(), TrueMinute(), true);
            }
        }
        // Stations without a log: the few-times-worked ones with 1 .. min-1
        // entrants, every other one with at least min. Entrants who send two
        // logs are left out, so that counting either of their files gives
        // the same number.
        for (uint32_t s = m_model.entrants; s < m_model.stations.size(); ++s) {
            std::vector<uint32_t> partners = EntrantPartners(s);
            const std::size_t wanted =
                s < m_model.uniqueEnd
                    ? 1 + m_random.Below(static_cast<uint32_t>(m_p.minAppearances - 1))
                    : static_cast<std::size_t>(m_p.minAppearances);
            while (partners.size() < wanted) {
                const uint32_t e = m_random.Below(m_plainEntrants);
                if (std::find(partners.begin(), partners.end(), e) == partners.end()) {
                    AddFresh(e, s, RandomBand(), TrueMinute(), true);
                    partners.push_back(e);
                }
            }
            if (s < m_model.uniqueEnd) {
                m_appearances.push_back(static_cast<uint32_t>(partners.size()));
            }
        }
        m_trueContacts = m_model.contacts.size();
    }

    // The contacts between two entrants, in random order: each fault takes
    // its own, so no two faults concern the same two stations on one band.
    void ChooseFaultContacts() {
        for (uint32_t c = 0; c < m_trueContacts; ++c) {
            const Contact& contact = m_model.contacts[c];
            if (contact.sides[0].station < m_model.entrants &&
                contact.sides[1].station < m_model.entrants) {
                m_candidates.push_back(c);
            }
        }
        m_random.Shuffle(m_candidates);
    }

    // Repeats (dupes), X-QSO lines and phone contacts: they add contacts, so
    // they come before the serials are counted.
    void AddExtraContacts() {
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

    // Each station's log in the order of its own clock; serials count it.
    void OrderLogs() {
        for (uint32_t c = 0; c < m_model.contacts.size(); ++c) {
            for (uint32_t s = 0; s < 2; ++s) {
                m_model.logs[m_model.contacts[c].sides[s].station].push_back(c * 2 + s);
            }
        }
        std::vector<uint64_t> order;  // logged minute, then entry: one integer to sort
        for (std::vector<uint32_t>& log : m_model.logs) {
            order.clear();
            for (uint32_t entry : log) {
                const auto minute = static_cast<uint32_t>(m_model.SideOf(entry).minute);
                order.push_back((uint64_t{minute} << 32) | entry);
            }
            std::sort(order.begin(), order.end());
            for (uint32_t i = 0; i < log.size(); ++i) {
                log[i] = static_cast<uint32_t>(order[i]);
                m_model.contacts[log[i] >> 1].sides[log[i] & 1].serial = i + 1;
            }
        }
    }

    // The status of every line before the faults that need the serials.
    void SetPlainStatuses() {
        for (Contact& contact : m_model.contacts) {
            for (uint32_t s = 0; s < 2; ++s) {
                Side& side = contact.sides[s];
                const uint32_t partner = contact.sides[s ^ 1].station;
                if (!contact.cw) {
                    side.status = LineStatus::NotCw;
                } else if (contact.xQso && s == 0) {
                    side.status = LineStatus::XQso;
                } else if (side.repeat) {
                    side.status = LineStatus::Dupe;
                } else if (partner < m_model.entrants) {
                    side.status = LineStatus::Confirmed;
                } else if (partner < m_model.uniqueEnd) {
                    side.status = LineStatus::Unique;
                    side.note = m_model.Note(
                        m_model.stations[partner].call + " sent no log and is in " +
                        std::to_string(m_appearances[partner - m_model.entrants]) + " log(s)");
                } else {
                    side.status = LineStatus::NoLogCredited;
                }
            }
        }
    }

    void PlaceCopyingFaults() {
        const FaultCounts& f = m_p.faults;
        for (int i = 0; i < f.bustedCalls;) {
            const uint32_t c = NextCandidate();
            const uint32_t s = m_random.Below(2);
            const std::optional<std::string> busted =
                BustCall(m_random, m_model.stations, m_model.contacts[c].sides[s ^ 1].station,
                         m_index, m_takenBustedCalls);
            if (!busted) {
                continue;
            }
            m_model.bustedCalls.push_back(*busted);
            Side& copier = m_model.contacts[c].sides[s];
            Side& partner = m_model.contacts[c].sides[s ^ 1];
            copier.bustedCall = static_cast<int32_t>(m_model.bustedCalls.size() - 1);
            copier.status = LineStatus::BustedCall;
            copier.note = m_model.Note("logged " + *busted + " for " + Call(partner));
            partner.status = LineStatus::PartnerBustedCall;
            partner.note = m_model.Note(Call(copier) + " logged " + *busted);
            ++i;
        }
        for (int i = 0; i < f.bustedSerials; ++i) {
            auto [copier, partner] = NextCopierAndPartner();
            copier.copiedSerial = MiscopySerial(partner.serial);
            copier.status = LineStatus::BustedExchange;
            copier.note =
                m_model.Note("copied serial " + std::to_string(copier.copiedSerial) + ", " +
                             Call(partner) + " sent " + std::to_string(partner.serial));
        }
        for (int i = 0; i < f.bustedCoordinates; ++i) {
            auto [copier, partner] = NextCopierAndPartner();
            const Station& worked = m_model.stations[partner.station];
            MiscopyCoordinate(worked, copier);
            copier.status = LineStatus::BustedExchange;
            copier.note = m_model.Note(
                "copied " + CoordinateText(copier.copiedLatitude, copier.copiedLongitude) + ", " +
                worked.call + " sent " + worked.coordinate);
        }
        for (int i = 0; i < f.nils; ++i) {
            auto [copier, partner] = NextCopierAndPartner();
            partner.logged = false;
            copier.status = LineStatus::Nil;
            copier.note = m_model.Note("not in " + Call(partner) + "'s log");
        }
    }

  private:
    uint32_t RandomBand() { return m_random.Below(static_cast<uint32_t>(m_p.bandsKHz.size())); }

    int32_t TrueMinute() {
        const int32_t error = ClockError(m_p);
        return m_random.Between(error, m_p.lengthHours * 60 - 1 - error);
    }

    static uint64_t Key(uint32_t a, uint32_t b, uint32_t band) {
        return (uint64_t{std::min(a, b)} << 40) | (uint64_t{std::max(a, b)} << 16) | band;
    }

    Contact MakeContact(uint32_t a, uint32_t b, uint32_t band, int32_t minute, bool cw) {
        Contact contact;
        contact.band = band;
        contact.minute = minute;
        contact.cw = cw;
        const int32_t error = ClockError(m_p);
        const int32_t freq =
            m_p.bandsKHz[band] + kFreqSpreadKHz +
            static_cast<int32_t>(m_random.Below(kCwSegmentKHz - 2 * kFreqSpreadKHz));
        const uint32_t stations[2] = {a, b};
        for (uint32_t s = 0; s < 2; ++s) {
            Side& side = contact.sides[s];
            side.station = stations[s];
            side.minute = minute + m_random.Between(-error, error);
            side.freqKHz = freq + m_random.Between(-kFreqSpreadKHz, kFreqSpreadKHz);
        }
        return contact;
    }

    // Adds a contact unless the two already worked on that band.
    bool AddFresh(uint32_t a, uint32_t b, uint32_t band, int32_t minute, bool cw) {
        if (!m_keys.Insert(Key(a, b, band))) {
            return false;
        }
        m_model.contacts.push_back(MakeContact(a, b, band, minute, cw));
        return true;
    }

    std::size_t AddBetweenEntrants(bool cw) {
        for (int attempt = 0; attempt < 100000; ++attempt) {
            const uint32_t a = m_random.Below(m_model.entrants);
            const uint32_t b = m_random.Below(m_model.entrants);
            if (a != b && AddFresh(a, b, RandomBand(), TrueMinute(), cw)) {
                return m_model.contacts.size() - 1;
            }
        }
        throw std::invalid_argument(
            "the entrants have worked each other on every band: no room "
            "for X-QSO lines or phone contacts");
    }

    std::vector<uint32_t> EntrantPartners(uint32_t station) {
        if (m_partnersOf.empty()) {
            m_partnersOf.resize(m_model.stations.size());
            for (const Contact& c : m_model.contacts) {
                for (uint32_t s = 0; s < 2; ++s) {
                    if (c.sides[s].station < m_plainEntrants &&
                        c.sides[s ^ 1].station >= m_model.entrants) {
                        m_partnersOf[c.sides[s ^ 1].station].push_back(c.sides[s].station);
                    }
                }
            }
        }
        std::vector<uint32_t> partners = std::move(m_partnersOf[station]);
        std::sort(partners.begin(), partners.end());
        partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
        return partners;
    }

    uint32_t NextCandidate() {
        if (m_nextCandidate == m_candidates.size()) {
            throw std::invalid_argument(
                "the contest has too few contacts between two entrants for the faults asked "
                "for (" +
                std::to_string(m_candidates.size()) + "); ask for more contacts or fewer faults");
        }
        return m_candidates[m_nextCandidate++];
    }

    struct CopierAndPartner {
        Side& copier;
        Side& partner;
    };
    CopierAndPartner NextCopierAndPartner() {
        Contact& contact = m_model.contacts[NextCandidate()];
        const uint32_t s = m_random.Below(2);
        return {contact.sides[s], contact.sides[s ^ 1]};
    }

    // The two stations of a contact work again on its band later on; both
    // log it, or one side only.
    void AddRepeat(bool oneSided) {
        for (;;) {
            const uint32_t c = NextCandidate();
            const Contact base = m_model.contacts[c];
            const int32_t gap = ShortestRepeatGap(m_p) + m_random.Between(0, kMaxRepeatDelay);
            const int32_t minute = base.minute + gap;
            if (minute > m_p.lengthHours * 60 - 1 - ClockError(m_p)) {
                continue;  // no room after it: the next contact
            }
            Contact repeat =
                MakeContact(base.sides[0].station, base.sides[1].station, base.band, minute, true);
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

    uint32_t MiscopySerial(uint32_t sent) {
        static constexpr uint32_t kSteps[] = {1, 10, 100};
        const uint32_t step = kSteps[m_random.Below(3)];
        return sent > step && m_random.Chance(50) ? sent - step : sent + step;
    }

    void MiscopyCoordinate(const Station& worked, Side& copier) {
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

    const std::string& Call(const Side& side) const { return m_model.stations[side.station].call; }

    const SimulationParameters& m_p;
    Model& m_model;
    Random& m_random;
    NearCallIndex m_index;
    KeySet m_keys{0};
    std::unordered_set<std::string> m_takenBustedCalls;
    std::vector<std::vector<uint32_t>> m_partnersOf;
    std::vector<uint32_t> m_appearances;  // of each few-times-worked station
    std::vector<uint32_t> m_candidates;
    std::size_t m_nextCandidate = 0;
    std::size_t m_trueContacts = 0;
    uint32_t m_plainEntrants = 0;
};

}  // namespace

void BuildContest(Model& model, Random& random) {
    Builder builder(model, random);
    builder.MakeStations();
    builder.MakeTrueContacts();
    builder.ChooseFaultContacts();
    builder.AddExtraContacts();
    builder.OrderLogs();
    builder.SetPlainStatuses();
    builder.PlaceCopyingFaults();
}

}  // namespace zelk::sim
