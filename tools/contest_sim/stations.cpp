// Stations: calls, positions, the edit distance and the near-call index.
#include "stations.h"

#include <algorithm>
#include <array>

namespace zelk::sim {
namespace {

// Where the stations of a prefix are, roughly: latitude and longitude of the
// middle of the area, north and east positive.
struct Region {
    const char* prefix;
    int32_t latitude;
    int32_t longitude;
};

constexpr std::array kRegions{
    Region{"UA", 56, 40},   Region{"RA", 55, 47},   Region{"RW", 59, 31},   Region{"RN", 53, 50},
    Region{"RZ", 57, 61},   Region{"RK", 54, 84},   Region{"R", 55, 38},    Region{"UR", 49, 31},
    Region{"EW", 53, 27},   Region{"LY", 55, 24},   Region{"YL", 57, 24},   Region{"ES", 59, 25},
    Region{"OH", 61, 25},   Region{"SM", 59, 16},   Region{"LA", 60, 10},   Region{"OZ", 56, 10},
    Region{"DL", 51, 10},   Region{"SP", 52, 20},   Region{"OK", 50, 15},   Region{"HA", 47, 19},
    Region{"YO", 45, 25},   Region{"LZ", 43, 25},   Region{"G", 52, -1},    Region{"F", 47, 2},
    Region{"EA", 40, -4},   Region{"I", 43, 12},    Region{"UN", 48, 68},   Region{"JA", 36, 139},
    Region{"K", 40, -95},   Region{"W", 38, -100},  Region{"VE", 50, -100}, Region{"LU", -35, -62},
    Region{"PY", -22, -46}, Region{"CE", -34, -71}, Region{"ZS", -30, 25},  Region{"VK", -32, 146},
    Region{"ZL", -41, 174},
};

constexpr std::array kPolarRegions{
    Region{"OX", 72, -40}, Region{"JW", 78, 16}, Region{"KL", 68, -152},
    Region{"OH", 67, 26},  Region{"LA", 69, 19}, Region{"UA", 69, 88},
};

char Letter(Random& random) {
    return static_cast<char>('A' + random.Below(26));
}

std::string MakeCall(Random& random, const Region& region) {
    std::string call = region.prefix;
    call += static_cast<char>('0' + random.Below(10));
    const uint32_t draw = random.Below(10);
    const int letters = draw == 0 ? 1 : draw < 4 ? 2 : 3;
    for (int i = 0; i < letters; ++i) {
        call += Letter(random);
    }
    if (random.Chance(4)) {
        call += kPortable;
    }
    return call;
}

Station Place(Random& random, std::string call, const Region& region, bool polar) {
    Station s;
    s.call = std::move(call);
    s.latitude = region.latitude + random.Between(-6, 6);
    if (polar) {
        s.latitude = std::clamp(s.latitude, kPolarLatitude, 80);
    } else if (region.latitude > 0) {
        s.latitude = std::clamp(s.latitude, 10, kPolarLatitude - 1);
    } else {
        s.latitude = std::clamp(s.latitude, -60, -10);
    }
    s.longitude = std::clamp(region.longitude + random.Between(-10, 10), -179, 179);
    s.coordinate = CoordinateText(s.latitude, s.longitude);
    return s;
}

uint64_t HashWithout(std::string_view text, std::size_t skipA, std::size_t skipB) {
    uint64_t hash = 0xCBF29CE484222325u;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != skipA && i != skipB) {
            hash = (hash ^ static_cast<unsigned char>(text[i])) * 0x100000001B3u;
        }
    }
    return hash;
}

// The hashes of `text` with none, one or two characters deleted.
std::vector<uint64_t> Variants(std::string_view text) {
    constexpr std::size_t kNone = std::string_view::npos;
    std::vector<uint64_t> hashes{HashWithout(text, kNone, kNone)};
    for (std::size_t i = 0; i < text.size(); ++i) {
        hashes.push_back(HashWithout(text, i, kNone));
        for (std::size_t j = i + 1; j < text.size(); ++j) {
            hashes.push_back(HashWithout(text, i, j));
        }
    }
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    return hashes;
}

}  // namespace

std::string CoordinateText(int32_t latitude, int32_t longitude) {
    return std::to_string(latitude < 0 ? -latitude : latitude) + (latitude < 0 ? "S" : "N") +
           std::to_string(longitude < 0 ? -longitude : longitude) + (longitude < 0 ? "W" : "O");
}

int EditDistance(std::string_view a, std::string_view b) {
    std::vector<int> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = static_cast<int>(j);
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

void NearCallIndex::Add(std::string_view call, uint32_t id) {
    if (m_calls.size() <= id) {
        m_calls.resize(id + 1);
    }
    m_calls[id] = call;
    for (uint64_t hash : Variants(call)) {
        m_byVariant[hash].push_back(id);
    }
}

std::vector<uint32_t> NearCallIndex::Near(std::string_view text) const {
    std::vector<uint32_t> candidates;
    for (uint64_t hash : Variants(text)) {
        const auto it = m_byVariant.find(hash);
        if (it != m_byVariant.end()) {
            candidates.insert(candidates.end(), it->second.begin(), it->second.end());
        }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    std::erase_if(candidates, [&](uint32_t id) { return EditDistance(text, m_calls[id]) > 2; });
    return candidates;
}

std::vector<Station> MakeStations(Random& random, int count, int polarCount, NearCallIndex& index) {
    std::vector<bool> polar(static_cast<std::size_t>(count), false);
    if (polarCount > 0) {
        const int step = std::max(1, (count - 1) / polarCount);
        for (int k = 0; k < polarCount && 1 + k * step < count; ++k) {
            polar[static_cast<std::size_t>(1 + k * step)] = true;
        }
    }
    std::vector<Station> stations;
    stations.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool atPole = polar[static_cast<std::size_t>(i)];
        const Region& region = atPole ? kPolarRegions[random.Below(kPolarRegions.size())]
                                      : kRegions[random.Below(kRegions.size())];
        std::string call = std::string(kBonusCall);
        while (i > 0) {
            call = MakeCall(random, region);
            if (index.Near(call).empty()) {
                break;
            }
        }
        index.Add(call, static_cast<uint32_t>(i));
        stations.push_back(Place(random, std::move(call), region, atPole));
    }
    return stations;
}

std::optional<std::string> BustCall(Random& random, const std::vector<Station>& stations,
                                    uint32_t id, const NearCallIndex& index,
                                    std::unordered_set<std::string>& taken) {
    const std::string& call = stations[id].call;
    const bool portable = call.ends_with(kPortable);
    const std::string base = portable ? call.substr(0, call.size() - kPortable.size()) : call;
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::string copy = base;
        const uint32_t edits = 1 + random.Below(2);
        for (uint32_t e = 0; e < edits; ++e) {
            const std::size_t at = random.Below(static_cast<uint32_t>(copy.size()));
            switch (random.Below(3)) {
                case 0:  // a character heard as another of its kind
                    copy[at] = copy[at] >= '0' && copy[at] <= '9'
                                   ? static_cast<char>('0' + random.Below(10))
                                   : Letter(random);
                    break;
                case 1:  // a character missed
                    if (copy.size() > 3) {
                        copy.erase(at, 1);
                    }
                    break;
                default:  // a character heard that was not sent
                    copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(at + 1), Letter(random));
                    break;
            }
        }
        if (portable) {
            copy += kPortable;
        }
        const int distance = EditDistance(copy, call);
        if (distance < 1 || distance > 2 || taken.contains(copy)) {
            continue;
        }
        const std::vector<uint32_t> near = index.Near(copy);
        if (near.size() == 1 && near.front() == id) {
            taken.insert(copy);
            return copy;
        }
    }
    return std::nullopt;
}

}  // namespace zelk::sim
