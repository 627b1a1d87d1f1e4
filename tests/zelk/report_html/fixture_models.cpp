// The test models. The small one is worked by hand (see the comments); the
// contest is generated and scored here by the contest rules, so its table
// and its contacts agree.
#include "fixture_models.h"

#include <array>
#include <cstdlib>
#include <map>

namespace zelk::report_html::testing {

namespace {

constexpr OutlinePoint kSmallOutlinePoints[] = {
    {2000, 5000},   {4000, 5000},   {4000, 6000},   {2000, 6000},
    {10000, -3000}, {11000, -3000}, {11000, -2000}, {10000, -2000},
};
constexpr uint32_t kSmallOutlineRingEnds[] = {4, 8};

AdmittedContact Contact(std::optional<int64_t> minute, std::string group, std::string call,
                        std::optional<GeoPoint> position, int32_t points, int32_t bonus = 0) {
    AdmittedContact contact;
    contact.minute = minute;
    contact.group = std::move(group);
    contact.call = std::move(call);
    contact.position = position;
    contact.points = points;
    contact.bonus = bonus;
    return contact;
}

int64_t At(int hour, int minute) {
    return kContestDay + hour * 60 + minute;
}

}  // namespace

ReportModel SmallModel() {
    ReportModel model;
    model.entrant = {"R9TST", "SINGLE-OP ALL CW LOW", "55N37O", GeoPoint{55, 37}, "12.05.2024"};
    // Points: 50 + |55 - lat| + |37 - lon| with the magnitudes of the exchange.
    model.contacts = {
        Contact(At(6, 2), "14", "RW1AMG", GeoPoint{65, 25}, 72),
        Contact(At(6, 5), "14", "ZELK", GeoPoint{55, 37}, 50, 300),
        Contact(At(6, 9), "14", "OH9QJ", GeoPoint{69, 18}, 83, 100),
        Contact(At(6, 40), "7", "RW1AMG", GeoPoint{65, 25}, 72),  // after a 31-minute break
        Contact(At(6, 41), "7", "<script>alert('&')</script>", GeoPoint{52, 21}, 69),
        Contact(At(7, 15), "7", "SP9OV", GeoPoint{50, 14}, 78),  // after a 34-minute break
        Contact(std::nullopt, "14", "EA1AA", GeoPoint{40, -3}, 99),
        Contact(At(7, 16), "7", "UA9XX", std::nullopt, 87),  // exchange "55N": no longitude
    };
    model.contacts[1].zelkStation = true;
    model.contacts[2].polar = true;
    model.score.rows = {{"14", 4, 200, 39, 65, 300, 100}, {"7", 4, 200, 18, 88, 0, 0}};
    model.score.totals = {"Total", 8, 400, 57, 153, 300, 100};
    model.score.claimedScore = 1010;
    model.refused = {
        RefusedFromErrorLine("QSO:  14025  SSB  2024-05-12 0611  R9TST  599  004  UA3AAA  599  "
                             "012 55N37O   NO TEST MODE !!!"),
        RefusedFromErrorLine(
            "QSO:  7010  CW  2024-05-12 0620  R9TST  599  005  R<i>X&  599     NO RX NUMBER !!!"),
    };
    return model;
}

Outline SmallOutline() {
    return {kSmallOutlinePoints, kSmallOutlineRingEnds};
}

ReportModel ContestModel() {
    struct Place {
        int32_t lat, lon;
    };
    constexpr std::array<Place, 40> kPlaces = {{
        {55, 37}, {59, 30}, {68, 33}, {64, 40}, {67, 64}, {66, 66},  {69, 88}, {55, 49},
        {53, 50}, {56, 60}, {55, 82}, {54, 73}, {56, 92}, {52, 104}, {47, 39}, {45, 38},
        {48, 44}, {51, 39}, {53, 27}, {50, 30}, {54, 25}, {56, 24},  {59, 24}, {60, 24},
        {65, 25}, {69, 18}, {52, 21}, {50, 14}, {52, 13}, {40, -3},  {38, -9}, {64, -21},
        {58, 56}, {54, 55}, {57, 65}, {61, 50}, {61, 34}, {59, 39},  {56, 35}, {55, 61},
    }};
    constexpr std::array<const char*, 14> kPrefixes = {"UA", "RA", "RK", "RN", "RZ", "RW", "UR",
                                                       "EW", "LY", "YL", "ES", "OH", "SP", "OK"};
    // The operator's hours: band, first and last minute after 06:00.
    struct Stint {
        const char* band;
        int from, to;
    };
    constexpr std::array<Stint, 5> kStints = {
        {{"3", 0, 52}, {"7", 55, 108}, {"14", 150, 196}, {"21", 198, 228}, {"7", 230, 239}}};

    uint32_t seed = 20240512;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };

    ReportModel model;
    model.entrant = {"R3ZLK", "SINGLE-OP ALL CW HIGH", "55N37O", GeoPoint{55, 37}, "12.05.2024"};
    std::map<std::string, std::pair<bool, bool>> bonusTaken;  // band: ZELK, polar
    std::map<std::string, ScoreRow> rows;
    for (const Stint& stint : kStints) {
        for (int minute = stint.from + static_cast<int>(next(2)); minute <= stint.to;
             minute += static_cast<int>(next(stint.band[0] == '2' ? 4 : 3))) {
            const bool zelk = next(60) == 0 && !bonusTaken[stint.band].first;
            const Place place = zelk ? Place{56, 38} : kPlaces[next(kPlaces.size())];
            AdmittedContact contact;
            contact.minute = At(6, minute);
            contact.group = stint.band;
            contact.call = "ZELK";
            if (!zelk) {  // one draw per statement: the order of the draws is fixed
                contact.call = kPrefixes[next(kPrefixes.size())];
                contact.call += std::to_string(next(10));
                contact.call += static_cast<char>('A' + next(26));
                contact.call += static_cast<char>('A' + next(26));
            }
            contact.position = GeoPoint{place.lat, place.lon};
            const int32_t dLat = std::abs(55 - std::abs(place.lat));
            const int32_t dLon = std::abs(37 - std::abs(place.lon));
            contact.points = 50 + dLat + dLon;
            contact.zelkStation = zelk;
            contact.polar = place.lat >= 66;
            auto& [zelkTaken, polarTaken] = bonusTaken[stint.band];
            ScoreRow& row = rows[stint.band];
            if (zelk && !zelkTaken) {
                zelkTaken = true;
                contact.bonus += 300;
                row.zelk = 300;
            }
            if (contact.polar && !polarTaken) {
                polarTaken = true;
                contact.bonus += 100;
                row.polar = 100;
            }
            ++row.qsos;
            row.points += 50;
            row.lat += dLat;
            row.lon += dLon;
            model.contacts.push_back(std::move(contact));
        }
    }
    ScoreRow& totals = model.score.totals;
    totals.group = "Total";
    for (const char* band : {"21", "14", "7", "3"}) {
        ScoreRow row = rows[band];
        row.group = band;
        totals.qsos += row.qsos;
        totals.points += row.points;
        totals.lat += row.lat;
        totals.lon += row.lon;
        totals.zelk += row.zelk;
        totals.polar += row.polar;
        model.score.rows.push_back(row);
    }
    model.score.claimedScore = static_cast<int32_t>(Earned(totals));
    model.refused = {
        RefusedFromErrorLine("QSO:  14032  SSB  2024-05-12 0842  R3ZLK  599  97  RA3XYZ  59  "
                             "031 56N38O   NO TEST MODE !!!"),
        RefusedFromErrorLine("QSO:  7012  CW  2024-05-12 0915  R3ZLK  599  118  UR5ABC  599     "
                             "NO RX NUMBER !!!"),
    };
    return model;
}

}  // namespace zelk::report_html::testing
