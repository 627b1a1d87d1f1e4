// The contest simulator: stations, true contacts, faults, the truth, files.
#include "simulator.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <unordered_set>

#include "claimed_score.h"
#include "contest_model.h"
#include "log_text.h"
#include "random.h"
#include "stations.h"

namespace zelk::sim {
namespace {

constexpr int32_t kCwSegmentKHz = 60;    // contacts lie in the lowest 60 kHz of a band
constexpr int32_t kFreqSpreadKHz = 2;    // how far apart the two sides may log a contact
constexpr int32_t kMaxRepeatDelay = 90;  // minutes beyond the shortest repeat gap
constexpr int kMaxStations = 200000;
constexpr int kOlderLogPercent = 70;  // a superseded log holds this share of the newer one

int PolarCount(int stations) {
    return std::min(stations - 1, std::max(3, stations / 25));
}

// Each side's clock is off by at most this, so two sides differ by less than
// the window.
int32_t ClockError(const SimulationParameters& p) {
    return (p.timeWindowMinutes - 1) / 2;
}

// A repeat lies further than this after the contact it repeats, so that no
// clock error brings it within two windows of it.
int32_t ShortestRepeatGap(const SimulationParameters& p) {
    return 2 * p.timeWindowMinutes + 2 * ClockError(p) + 1;
}

bool IsDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= kDays[month - 1] && (month != 2 || day <= 28 || leap);
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
    Builder(const SimulationParameters& p, Model& model)
        : m_p(p), m_model(model), m_random(p.seed) {}

    void MakeStations() {
        const FaultCounts& f = m_p.faults;
        m_model.stations =
            sim::MakeStations(m_random, m_p.stations, PolarCount(m_p.stations), m_index);
        m_model.entrants = static_cast<uint32_t>(m_p.logs);
        m_model.uniqueEnd = m_model.entrants + static_cast<uint32_t>(f.uniqueStations);
        m_plainEntrants = m_model.entrants - static_cast<uint32_t>(f.resubmissions);
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

    Random& random() { return m_random; }
    uint32_t PlainEntrants() const { return m_plainEntrants; }

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
    Random m_random;
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

struct PendingFile {
    SubmittedFile file;
    std::vector<TruthLine> truth;
};

int64_t ScoreOf(const Model& model, uint32_t station, const std::vector<uint32_t>& entries) {
    std::vector<ClaimedContact> contacts;
    contacts.reserve(entries.size());
    for (uint32_t entry : entries) {
        const Contact& contact = model.contacts[entry >> 1];
        const Side& side = model.SideOf(entry);
        if (!contact.cw || (contact.xQso && (entry & 1) == 0)) {
            continue;
        }
        const Station& worked = model.stations[model.PartnerOf(entry).station];
        ClaimedContact c;
        c.call = side.bustedCall >= 0 ? std::string_view(model.bustedCalls[side.bustedCall])
                                      : std::string_view(worked.call);
        c.freqKHz = side.freqKHz;
        c.latitude = std::abs(side.coordinateMiscopied ? side.copiedLatitude : worked.latitude);
        c.longitude = std::abs(side.coordinateMiscopied ? side.copiedLongitude : worked.longitude);
        contacts.push_back(c);
    }
    const Station& own = model.stations[station];
    return ClaimedScore(std::abs(own.latitude), std::abs(own.longitude), contacts);
}

std::vector<PendingFile> WriteFiles(Model& model, Random& random, uint32_t plainEntrants) {
    const SimulationParameters& p = model.parameters;
    const ContestClock clock(p);
    std::vector<PendingFile> files;
    std::vector<uint32_t> entries;
    std::vector<uint32_t> lineNumbers;
    auto logged = [&](uint32_t station) {
        entries.clear();
        for (uint32_t entry : model.logs[station]) {
            if (model.SideOf(entry).logged) {
                entries.push_back(entry);
            }
        }
    };
    for (uint32_t e = 0; e < model.entrants; ++e) {
        const Station& station = model.stations[e];
        logged(e);
        const WriterStyle style = ChooseStyle(random, e);
        PendingFile log;
        log.file.call = station.call;
        log.file.bytes =
            WriteCabrillo(model, e, entries, style, ScoreOf(model, e, entries), clock, lineNumbers);
        log.truth.reserve(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Side& side = model.SideOf(entries[i]);
            log.truth.push_back({0, lineNumbers[i], side.status, model.notes[side.note]});
        }
        if (e < plainEntrants) {
            log.file.name = LogFileName(station.call, style);
            files.push_back(std::move(log));
            continue;
        }
        // An entrant who sent the log twice: the older holds its first part.
        log.file.name = LogFileName(station.call, style, "-2");
        entries.resize(std::max<std::size_t>(1, entries.size() * kOlderLogPercent / 100));
        PendingFile older;
        older.file.call = station.call;
        older.file.name = LogFileName(station.call, style);
        older.file.bytes =
            WriteCabrillo(model, e, entries, style, ScoreOf(model, e, entries), clock, lineNumbers);
        older.file.status = FileStatus::Superseded;
        older.file.note = "an older log of " + station.call + "; " + log.file.name + " is used";
        files.push_back(std::move(older));
        files.push_back(std::move(log));
    }
    for (int k = 0; k < p.faults.notCabrillo; ++k) {
        const uint32_t s = model.uniqueEnd + static_cast<uint32_t>(k);
        PendingFile other;
        other.file.call = model.stations[s].call;
        other.file.status = FileStatus::NotRead;
        std::string base = LogFileName(other.file.call, WriterStyle{});
        base.resize(base.size() - 4);
        if (k % 2 == 0) {
            logged(s);
            other.file.name = base + ".adi";
            other.file.bytes = WriteAdif(model, s, entries, clock);
            other.file.note = "an ADIF export, not a Cabrillo log";
        } else {
            other.file.name = base + ".cbr";
            other.file.bytes = WriteBinaryFile(random);
            other.file.note = "a binary file (zip archive), not a Cabrillo log";
        }
        files.push_back(std::move(other));
    }
    // Files arrive in random order after the contest; a newer log later
    // than the older one of the same entrant.
    std::vector<int64_t> times(files.size());
    const int64_t first = clock.UnixTime(p.lengthHours * 60) + 3600;
    for (std::size_t i = 0; i < times.size(); ++i) {
        times[i] = first + static_cast<int64_t>(i) * 97;
    }
    random.Shuffle(times);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].file.modifiedTime = times[i];
        if (files[i].file.status == FileStatus::Superseded &&
            times[i] > times[i + 1]) {  // the newer log follows its older one
            std::swap(files[i].file.modifiedTime, times[i + 1]);
        }
    }
    return files;
}

}  // namespace

std::string_view StatusName(LineStatus status) {
    switch (status) {
        case LineStatus::Confirmed:
            return "confirmed";
        case LineStatus::PartnerBustedCall:
            return "partner_busted_call";
        case LineStatus::NoLogCredited:
            return "no_log_credited";
        case LineStatus::BustedExchange:
            return "busted_exchange";
        case LineStatus::BustedCall:
            return "busted_call";
        case LineStatus::Nil:
            return "nil";
        case LineStatus::Unique:
            return "unique";
        case LineStatus::Dupe:
            return "dupe";
        case LineStatus::NotCw:
            return "not_cw";
        case LineStatus::XQso:
            return "x_qso";
    }
    return "?";
}

std::string_view StatusName(FileStatus status) {
    switch (status) {
        case FileStatus::Read:
            return "read";
        case FileStatus::NotRead:
            return "not_read";
        case FileStatus::Superseded:
            return "superseded";
    }
    return "?";
}

std::string CheckParameters(const SimulationParameters& p) {
    const FaultCounts& f = p.faults;
    for (int count :
         {f.bustedCalls, f.bustedSerials, f.bustedCoordinates, f.nils, f.dupes, f.oneSidedDupes,
          f.uniqueStations, f.notCabrillo, f.resubmissions, f.xQsos, f.nonCwContacts}) {
        if (count < 0) {
            return "a fault count is negative";
        }
    }
    if (p.stations < 2 || p.stations > kMaxStations) {
        return "the number of stations must be 2 to " + std::to_string(kMaxStations);
    }
    if (p.logs < 2 || p.logs > p.stations) {
        return "the number of logs must be 2 to the number of stations";
    }
    if (p.stations - p.logs < f.uniqueStations + f.notCabrillo) {
        return "the stations without a log (" + std::to_string(p.stations - p.logs) +
               ") must include the few-times-worked ones and the senders of files that are not "
               "Cabrillo";
    }
    if (p.minAppearances < 1 || (f.uniqueStations > 0 && p.minAppearances < 2)) {
        return "min-appearances must be 1 or more, 2 or more with unique stations";
    }
    if (p.logs - f.resubmissions < std::max(2, p.minAppearances) || f.resubmissions >= p.logs) {
        return "the entrants who send one log must be at least 2 and at least min-appearances";
    }
    if (p.bandsKHz.empty() || p.bandsKHz.size() > 64) {
        return "give 1 to 64 bands";
    }
    for (int band : p.bandsKHz) {
        if (band < 1000 || band > 1000000 ||
            std::count(p.bandsKHz.begin(), p.bandsKHz.end(), band) > 1) {
            return "each band is a distinct lower edge of 1000 to 1000000 kHz";
        }
    }
    const int active = p.stations - f.uniqueStations;
    if (p.contactsPerStation < 1 ||
        int64_t{p.contactsPerStation} * 2 > int64_t{active - 1} * int64_t(p.bandsKHz.size())) {
        return "the contacts per station must be 1 or more and at most half of what the "
               "stations and bands allow";
    }
    if (!IsDate(p.startYear, p.startMonth, p.startDay) || p.startHour < 0 || p.startHour > 23) {
        return "the start is no date and hour from 1970 on";
    }
    if (p.timeWindowMinutes < 1 || p.timeWindowMinutes > 60) {
        return "the time window must be 1 to 60 minutes";
    }
    if (p.lengthHours < 2 || p.lengthHours > 168 ||
        p.lengthHours * 60 - 2 * ClockError(p) < 2 * ShortestRepeatGap(p) + kMaxRepeatDelay) {
        return "the contest must last 2 to 168 hours and leave room for repeats after contacts";
    }
    return {};
}

SimulatedContest Simulate(const SimulationParameters& parameters) {
    if (const std::string why = CheckParameters(parameters); !why.empty()) {
        throw std::invalid_argument(why);
    }
    Model model;
    model.parameters = parameters;
    Builder builder(parameters, model);
    builder.MakeStations();
    builder.MakeTrueContacts();
    builder.ChooseFaultContacts();
    builder.AddExtraContacts();
    builder.OrderLogs();
    builder.SetPlainStatuses();
    builder.PlaceCopyingFaults();
    std::vector<PendingFile> pending = WriteFiles(model, builder.random(), builder.PlainEntrants());

    SimulatedContest contest;
    contest.parameters = parameters;
    for (uint32_t s = 0; s < model.stations.size(); ++s) {
        contest.stations.push_back(
            {model.stations[s].call, model.stations[s].coordinate, s < model.entrants});
    }
    std::sort(pending.begin(), pending.end(),
              [](const PendingFile& a, const PendingFile& b) { return a.file.name < b.file.name; });
    std::size_t lines = 0;
    for (const PendingFile& p : pending) {
        lines += p.truth.size();
    }
    contest.truth.reserve(lines);
    for (PendingFile& p : pending) {
        const uint32_t index = static_cast<uint32_t>(contest.files.size());
        if (p.file.status == FileStatus::Read) {
            for (TruthLine& line : p.truth) {
                line.file = index;
                contest.truth.push_back(std::move(line));
            }
        }
        contest.files.push_back(std::move(p.file));
    }
    return contest;
}

std::string CommandLine(const SimulationParameters& p) {
    const FaultCounts& f = p.faults;
    std::string bands;
    for (int kHz : p.bandsKHz) {
        std::string mhz = std::to_string(kHz / 1000);
        if (kHz % 1000 != 0) {
            std::string fraction = std::to_string(1000 + kHz % 1000).substr(1);
            fraction.erase(fraction.find_last_not_of('0') + 1);
            mhz += "." + fraction;
        }
        bands += (bands.empty() ? "" : ",") + mhz;
    }
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", p.startYear, p.startMonth, p.startDay);
    std::string line = "zelk-contest-sim --seed " + std::to_string(p.seed);
    auto option = [&line](std::string_view name, const std::string& value) {
        line += " --";
        line += name;
        line += ' ';
        line += value;
    };
    option("stations", std::to_string(p.stations));
    option("logs", std::to_string(p.logs));
    option("qsos", std::to_string(p.contactsPerStation));
    option("bands", bands);
    option("start-date", date);
    option("start-hour", std::to_string(p.startHour));
    option("hours", std::to_string(p.lengthHours));
    option("time-window", std::to_string(p.timeWindowMinutes));
    option("min-appearances", std::to_string(p.minAppearances));
    option("busted-calls", std::to_string(f.bustedCalls));
    option("busted-serials", std::to_string(f.bustedSerials));
    option("busted-coordinates", std::to_string(f.bustedCoordinates));
    option("nils", std::to_string(f.nils));
    option("dupes", std::to_string(f.dupes));
    option("one-sided-dupes", std::to_string(f.oneSidedDupes));
    option("unique-stations", std::to_string(f.uniqueStations));
    option("not-cabrillo", std::to_string(f.notCabrillo));
    option("resubmissions", std::to_string(f.resubmissions));
    option("x-qsos", std::to_string(f.xQsos));
    option("not-cw", std::to_string(f.nonCwContacts));
    return line;
}

std::string TruthTsv(const SimulatedContest& contest) {
    std::string out = "# " + CommandLine(contest.parameters) + "\nfile\tline\tcall\tstatus\tnote\n";
    out.reserve(out.size() + contest.truth.size() * 40);
    for (const TruthLine& line : contest.truth) {
        const SubmittedFile& file = contest.files[line.file];
        out += file.name;
        out += '\t';
        out += std::to_string(line.line);
        out += '\t';
        out += file.call;
        out += '\t';
        out += StatusName(line.status);
        out += '\t';
        out += line.note;
        out += '\n';
    }
    for (const SubmittedFile& file : contest.files) {
        if (file.status != FileStatus::Read) {
            out += file.name + "\t\t" + file.call + '\t' + std::string(StatusName(file.status)) +
                   '\t' + file.note + '\n';
        }
    }
    return out;
}

}  // namespace zelk::sim
