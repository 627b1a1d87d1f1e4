// Building the contest: stations, true contacts, each log's order and the
// statuses that need no fault.
#include "contest_builder.h"

#include <algorithm>
#include <stdexcept>

#include "builder.h"
#include "entrant_setup.h"

namespace zelk::sim {
namespace {

int PolarCount(int stations) {
    return std::min(stations - 1, std::max(3, stations / 25));
}

}  // namespace

void Builder::MakeStations() {
    const FaultCounts& f = m_p.faults;
    m_model.stations = sim::MakeStations(m_random, m_p.stations, PolarCount(m_p.stations), m_index);
    m_model.entrants = static_cast<uint32_t>(m_p.logs);
    m_model.uniqueEnd = m_model.entrants + static_cast<uint32_t>(f.uniqueStations);
    m_plainEntrants = m_model.entrants - static_cast<uint32_t>(TwoLogEntrants(f));
    m_model.plainEntrants = m_plainEntrants;
    m_model.splitStart = static_cast<uint32_t>(m_p.stations - f.noLogSplits);
    m_model.logs.resize(m_model.stations.size());
    m_reservedCallId = static_cast<uint32_t>(m_model.stations.size());
}

void Builder::MakeTrueContacts() {
    // Worked at random: all but the few-times-worked stations, the split
    // ones and the symmetric clock pairs, whose contacts are made for them.
    std::vector<uint32_t> active;
    for (uint32_t s = 0; s < m_model.splitStart; ++s) {
        if ((s < m_model.entrants && !m_model.Isolated(s)) || s >= m_model.uniqueEnd) {
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
    // entrants, the split ones with exactly 2 * SplitHalf, every other one
    // with at least min. Entrants who send two
    // logs are left out, so that counting either of their files gives the
    // same number, and so are check logs, so that counting them or not does.
    for (uint32_t s = m_model.entrants; s < m_model.stations.size(); ++s) {
        std::vector<uint32_t> partners = EntrantPartners(s);
        const std::size_t wanted =
            s < m_model.uniqueEnd
                ? 1 + m_random.Below(static_cast<uint32_t>(m_p.minAppearances - 1))
            : s >= m_model.splitStart ? static_cast<std::size_t>(2 * SplitHalf(m_p.minAppearances))
                                      : static_cast<std::size_t>(m_p.minAppearances);
        while (partners.size() < wanted) {
            const uint32_t e = m_random.Below(m_plainEntrants);
            if (std::find(partners.begin(), partners.end(), e) == partners.end() &&
                !m_model.CheckLog(e) && AddFresh(e, s, RandomBand(), TrueMinute(), true)) {
                partners.push_back(e);
            }
        }
        if (s < m_model.uniqueEnd) {
            m_appearances.push_back(static_cast<uint32_t>(partners.size()));
        }
    }
    AddSymmetricClockPairs();
    BalanceClockPairs();
    m_trueContacts = m_model.contacts.size();
}

// Each station's log in the order of its own clock; serials count it.
void Builder::OrderLogs() {
    for (uint32_t c = 0; c < m_model.contacts.size(); ++c) {
        for (uint32_t s = 0; s < 2; ++s) {
            m_model.logs[m_model.contacts[c].sides[s].station].push_back(c * 2 + s);
        }
    }
    // Logged minute, then entry: one integer to sort. Minutes before the
    // start are negative: the bias keeps them first.
    constexpr uint32_t kBias = uint32_t{1} << 30;
    std::vector<uint64_t> order;
    for (std::vector<uint32_t>& log : m_model.logs) {
        order.clear();
        for (uint32_t entry : log) {
            const auto minute = static_cast<uint32_t>(m_model.SideOf(entry).minute) + kBias;
            order.push_back((uint64_t{minute} << 32) | entry);
        }
        std::sort(order.begin(), order.end());
        for (uint32_t i = 0; i < log.size(); ++i) {
            log[i] = static_cast<uint32_t>(order[i]);
            m_model.contacts[log[i] >> 1].sides[log[i] & 1].serial = i + 1;
        }
    }
}

// The status of every line before the faults that need the serials, in the
// order of precedence.
void Builder::SetPlainStatuses() {
    for (Contact& contact : m_model.contacts) {
        for (uint32_t s = 0; s < 2; ++s) {
            Side& side = contact.sides[s];
            const Side& other = contact.sides[s ^ 1];
            const uint32_t partner = other.station;
            if (side.broken != Broken::None) {
                side.status = LineStatus::Unreadable;
            } else if (!contact.cw) {
                side.status = LineStatus::NotCw;
            } else if (contact.xQso && s == 0) {
                side.status = LineStatus::XQso;
            } else if (m_model.OutOfPeriod(side)) {
                side.status = LineStatus::OutOfPeriod;
                side.note = m_model.Note(PeriodNote(side));
            } else if (m_model.OtherBand(side)) {
                side.status = LineStatus::OtherBand;
                side.note = m_model.Note(BandNote(side));
            } else if (side.repeat) {
                side.status = LineStatus::Dupe;
            } else if (partner < m_model.entrants) {
                side.status = LineStatus::Confirmed;
                if (other.logged && !m_model.Plain(other)) {
                    side.note = m_model.Note(
                        "pairs with " + Call(other) + "'s line, which is " +
                        (m_model.OutOfPeriod(other) ? "out of the period" : "on another band"));
                }
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

int32_t Builder::TrueMinute() {
    const int32_t error = ClockError(m_p);
    return m_random.Between(m_model.periodStart + error, m_model.periodEnd - 1 - error);
}

uint64_t Builder::Key(uint32_t a, uint32_t b, uint32_t band) {
    return (uint64_t{std::min(a, b)} << 40) | (uint64_t{std::max(a, b)} << 16) | band;
}

bool Builder::MayWork(uint32_t a, uint32_t b) const {
    if (m_model.ClockErrorOf(a) != 0 && m_model.ClockErrorOf(b) != 0) {
        return false;
    }
    // A symmetric clock pair's contacts are made for it alone; a portable
    // entrant, whose pairs the clock rule may not see, works no clock off.
    if (m_model.Isolated(a) || m_model.Isolated(b) ||
        (m_model.Portable(a) && m_model.ClockErrorOf(b) != 0) ||
        (m_model.Portable(b) && m_model.ClockErrorOf(a) != 0)) {
        return false;
    }
    return !(m_model.CorrectedClock(a) && m_model.SingleBand(b)) &&
           !(m_model.CorrectedClock(b) && m_model.SingleBand(a));
}

int32_t Builder::FitClocks(uint32_t a, uint32_t b, int32_t minute) const {
    for (uint32_t station : {a, b}) {
        const int32_t error = m_model.ClockErrorOf(station);
        if (error != 0 && !m_model.CorrectedClock(station)) {
            minute = std::clamp(minute, m_model.periodStart - error, m_model.periodEnd - 1 - error);
        }
    }
    return minute;
}

Contact Builder::MakeContact(uint32_t a, uint32_t b, uint32_t band, int32_t minute, bool cw) {
    Contact contact;
    contact.band = band;
    contact.minute = minute;
    contact.cw = cw;
    const int32_t error = ClockError(m_p);
    const int32_t freq = m_p.bandsKHz[band] + kFreqSpreadKHz +
                         static_cast<int32_t>(m_random.Below(kCwSegmentKHz - 2 * kFreqSpreadKHz));
    // A log whose clock is off, and its partner, log the true time on their
    // clocks, so that the two differ by exactly the clock's error.
    const bool offClock = m_model.ClockErrorOf(a) != 0 || m_model.ClockErrorOf(b) != 0;
    const uint32_t stations[2] = {a, b};
    for (uint32_t s = 0; s < 2; ++s) {
        Side& side = contact.sides[s];
        side.station = stations[s];
        const int32_t jitter = m_random.Between(-error, error);
        side.minute = minute + (offClock ? 0 : jitter) + m_model.ClockErrorOf(side.station);
        side.freqKHz = freq + m_random.Between(-kFreqSpreadKHz, kFreqSpreadKHz);
    }
    return contact;
}

// Adds a contact unless the two already worked on that band or may not work
// each other; a single-band entrant works a station without a log on its
// own band.
bool Builder::AddFresh(uint32_t a, uint32_t b, uint32_t band, int32_t minute, bool cw) {
    if (!MayWork(a, b)) {
        return false;
    }
    for (const auto& [entrant, other] : {std::pair{a, b}, std::pair{b, a}}) {
        if (other >= m_model.entrants && m_model.SingleBand(entrant)) {
            if (m_model.setups[entrant].ownBand < 0) {
                return false;
            }
            band = static_cast<uint32_t>(m_model.setups[entrant].ownBand);
        }
    }
    if (!m_keys.Insert(Key(a, b, band))) {
        return false;
    }
    m_model.contacts.push_back(MakeContact(a, b, band, FitClocks(a, b, minute), cw));
    return true;
}

std::size_t Builder::AddBetweenEntrants(bool cw) {
    for (int attempt = 0; attempt < 100000; ++attempt) {
        const uint32_t a = m_random.Below(m_model.entrants);
        const uint32_t b = m_random.Below(m_model.entrants);
        // A phone contact pairs its lines too, which the clock rule may count.
        if (a != b && (cw || m_clockPairs.MayAdd(m_model, a, b)) &&
            AddFresh(a, b, RandomBand(), TrueMinute(), cw)) {
            if (!cw) {
                m_clockPairs.Add(m_model, a, b);
            }
            return m_model.contacts.size() - 1;
        }
    }
    throw std::invalid_argument(
        "the entrants have worked each other on every band: no room "
        "for X-QSO lines or phone contacts");
}

std::vector<uint32_t> Builder::EntrantPartners(uint32_t station) {
    if (m_partnersOf.empty()) {
        m_partnersOf.resize(m_model.stations.size());
        for (const Contact& c : m_model.contacts) {
            for (uint32_t s = 0; s < 2; ++s) {
                if (c.sides[s].station < m_plainEntrants && !m_model.CheckLog(c.sides[s].station) &&
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

void BuildContest(Model& model, Random& random) {
    Builder builder(model, random);
    builder.MakeStations();
    ChooseEntrantSetups(model, random);
    builder.ChooseSentCalls();
    builder.MakeTrueContacts();
    builder.ChooseFaultContacts();
    builder.AddExtraContacts();
    builder.AddShapeContacts();
    builder.AddOutOfPeriodContacts();
    builder.OrderLogs();
    builder.SetPlainStatuses();
    builder.PlaceCopyingFaults();
}

}  // namespace zelk::sim
