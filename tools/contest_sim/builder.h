// The builder of a simulated contest, shared by the files that hold its
// steps: contest_builder.cpp (stations, true contacts, the logs' order and
// the plain statuses), fault_placement.cpp (the faults of the check's own
// rules), period_and_clocks.cpp (out-of-period contacts and the clock
// rule's pairs) and real_log_shapes.cpp (lines that cannot be read,
// frequencies in no band, calls sent otherwise than CALLSIGN: says, near
// calls, stations without a log copied at several places, symmetric clock
// pairs).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "clock_pairs.h"
#include "contest_model.h"
#include "key_set.h"
#include "random.h"

namespace zelk::sim {

class Builder {
  public:
    Builder(Model& model, Random& random)
        : m_p(model.parameters), m_model(model), m_random(random) {}

    // contest_builder.cpp
    void MakeStations();
    void MakeTrueContacts();
    void OrderLogs();
    void SetPlainStatuses();

    // fault_placement.cpp
    void ChooseFaultContacts();
    void AddExtraContacts();
    void PlaceCopyingFaults();

    // period_and_clocks.cpp
    void BalanceClockPairs();
    void AddOutOfPeriodContacts();

    // real_log_shapes.cpp
    void ChooseSentCalls();
    void AddSymmetricClockPairs();
    void AddShapeContacts();
    void PlaceShapeFaults();

  private:
    uint32_t RandomBand() { return m_random.Below(static_cast<uint32_t>(m_p.bandsKHz.size())); }
    int32_t TrueMinute();
    static uint64_t Key(uint32_t a, uint32_t b, uint32_t band);
    // Whether a and b may work each other at all: two logs whose clocks are
    // off never do, nor a corrected one and a single-band entrant.
    bool MayWork(uint32_t a, uint32_t b) const;
    // The true minute moved so that a log whose clock is off within the
    // window (which the check does not correct) logs it inside the period.
    int32_t FitClocks(uint32_t a, uint32_t b, int32_t minute) const;
    Contact MakeContact(uint32_t a, uint32_t b, uint32_t band, int32_t minute, bool cw);
    bool AddFresh(uint32_t a, uint32_t b, uint32_t band, int32_t minute, bool cw);
    std::size_t AddBetweenEntrants(bool cw);
    std::vector<uint32_t> EntrantPartners(uint32_t station);
    // Adds a clean contact between `entrant` and a drawn entrant of all
    // bands whose clock is right.
    void AddCleanPair(uint32_t entrant);

    uint32_t NextCandidate(bool takesPair);
    // The next fault contact that fits, taking its clean pair; the ones
    // passed over stay for later faults.
    uint32_t NextCandidateWhere(const std::function<bool(uint32_t)>& fits);
    struct CopierAndPartner {
        Side& copier;
        Side& partner;
    };
    CopierAndPartner NextCopierAndPartner();
    void AddRepeat(bool oneSided);
    uint32_t MiscopySerial(uint32_t sent);
    void MiscopyCoordinate(const Station& worked, Side& copier);

    void PlaceBustedCall(uint32_t contact, uint32_t side, const std::string& busted);
    struct PlacedBust {
        uint32_t contact;
        uint32_t side;  // the side that logged the busted call
        std::string call;
    };
    // A busted call on a side of the next candidate contact, when a call
    // near the partner's is left to make of it.
    std::optional<PlacedBust> PlaceRandomBustedCall();

    // real_log_shapes.cpp
    bool Ordinary(uint32_t entrant) const;
    bool AloneInTime(uint32_t contact) const;
    void MakePortable(std::vector<uint32_t>& ordinary);
    void MakeNearCall(std::vector<uint32_t>& ordinary, std::vector<uint32_t>& stations);
    void AddNearCallClaim(const Model::NearCall& near);
    void PlaceUnreadableLines();
    void PlaceOutOfBand();
    void PlaceDissents();
    void PlaceSplits();
    void PlaceClaims();

    void AddOutsideThePeriod(int ordinal);
    void AddAcrossAnEdge();
    std::string PeriodNote(const Side& side) const;
    std::string BandNote(const Side& side) const;

    const std::string& Call(const Side& side) const { return m_model.stations[side.station].call; }

    const SimulationParameters& m_p;
    Model& m_model;
    Random& m_random;
    NearCallIndex m_index;
    KeySet m_keys{0};
    ClockPairs m_clockPairs;
    std::unordered_set<std::string> m_takenBustedCalls;
    std::vector<std::vector<uint32_t>> m_partnersOf;
    std::vector<uint32_t> m_appearances;  // of each few-times-worked station
    std::vector<uint32_t> m_candidates;
    std::size_t m_nextCandidate = 0;
    std::size_t m_trueContacts = 0;
    uint32_t m_plainEntrants = 0;
    uint32_t m_reservedCallId = 0;  // ids of calls in the near-call index that no station has
};

}  // namespace zelk::sim
