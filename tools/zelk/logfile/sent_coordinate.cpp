// Coordinate keys and the station coordinate a log sent.
#include "logfile/sent_coordinate.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>
#include <vector>

namespace zelk::logfile {

namespace {

constexpr uint32_t kSouth = 1u << 1;
constexpr uint32_t kWest = 1u;
constexpr int kLongitudeShift = 2;
constexpr int kLatitudeShift = 14;  // longitudes have at most three digits: < 2^12

}  // namespace

uint32_t CoordinateKey(std::string_view coordinate) {
    uint32_t latitude = 0;
    uint32_t longitude = 0;
    uint32_t letters = 0;
    bool inLongitude = false;
    for (char c : coordinate) {
        if (c >= '0' && c <= '9') {
            uint32_t& degrees = inLongitude ? longitude : latitude;
            degrees = std::min<uint32_t>(degrees * 10 + static_cast<uint32_t>(c - '0'), 4095);
        } else if (!inLongitude) {
            letters |= c == 'S' ? kSouth : 0;
            inLongitude = true;
        } else {
            letters |= c == 'W' ? kWest : 0;
        }
    }
    return latitude << kLatitudeShift | longitude << kLongitudeShift | letters;
}

std::string CoordinateKeyText(uint32_t key) {
    // Each number of ten digits at most, each followed by its letter.
    char text[24];
    char* end = std::to_chars(text, text + 10, key >> kLatitudeShift).ptr;
    *end++ = (key & kSouth) != 0 ? 'S' : 'N';
    end = std::to_chars(end, end + 10, key >> kLongitudeShift & 4095).ptr;
    *end++ = (key & kWest) != 0 ? 'W' : 'O';
    return std::string(text, end);
}

SignedDegrees CoordinateKeyDegrees(uint32_t key) {
    const auto latitude = static_cast<int32_t>(key >> kLatitudeShift);
    const auto longitude = static_cast<int32_t>(key >> kLongitudeShift & 4095);
    return {(key & kSouth) != 0 ? -latitude : latitude,
            (key & kWest) != 0 ? -longitude : longitude};
}

std::string StationCoordinateSent(std::span<const CabrilloQso> qsos) {
    std::vector<uint32_t> keys;
    keys.reserve(qsos.size());
    for (const CabrilloQso& qso : qsos) {
        keys.push_back(CoordinateKey(qso.Text(qso.sent.coordinate)));
    }
    return StationCoordinateOfKeys(keys);
}

std::string StationCoordinateOfKeys(std::span<const uint32_t> keys) {
    if (keys.empty()) {
        return {};
    }
    const uint32_t first = keys.front();
    if (std::all_of(keys.begin(), keys.end(), [first](uint32_t key) { return key == first; })) {
        return CoordinateKeyText(first);  // the usual log: one coordinate throughout
    }
    struct Tally {
        std::size_t count = 0;
        std::size_t firstAt = 0;
    };
    std::unordered_map<uint32_t, Tally> tallies;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        Tally& tally = tallies.try_emplace(keys[i], Tally{0, i}).first->second;
        ++tally.count;
    }
    uint32_t best = first;
    Tally bestTally = tallies[first];
    for (const auto& [key, tally] : tallies) {
        if (tally.count > bestTally.count ||
            (tally.count == bestTally.count && tally.firstAt < bestTally.firstAt)) {
            best = key;
            bestTally = tally;
        }
    }
    return CoordinateKeyText(best);
}

}  // namespace zelk::logfile
