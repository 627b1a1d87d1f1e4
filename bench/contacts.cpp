// Generation of the synthetic contest logs.
#include "contacts.h"

#include <cstdio>
#include <random>

namespace zelk::bench {
namespace {

constexpr std::size_t kCallPool = 5000;
constexpr const char* kBands[] = {"160", "80", "40", "30", "20", "17", "15", "12", "10", "6"};
constexpr uint32_t kBandHz[] = {1830000,  3550000,  7025000,  10115000, 14025000,
                                18080000, 21025000, 24900000, 28025000, 50090000};
// 2019-05-12 00:00 as a day count; one contact every 15 seconds.
constexpr double kFirstDay = 43597.0;
constexpr double kContactSpacing = 15.0 / 86400.0;

}  // namespace

uint32_t ContactSet::Store(std::string_view text) {
    const auto offset = static_cast<uint32_t>(m_arena.size());
    m_arena.insert(m_arena.end(), text.begin(), text.end());
    m_arena.push_back('\0');
    return offset;
}

ContactSet::ContactSet(std::size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    auto below = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    m_groups.assign(std::begin(kBands), std::end(kBands));
    m_arena.reserve(count * 22 + kCallPool * 8);
    char text[64];
    const char* prefixes[] = {"DL", "UA", "OH", "SM", "LY", "ES", "YL", "SP", "OK", "HA"};
    m_callPool.push_back(Store("ZELK"));
    while (m_callPool.size() < kCallPool) {
        const char* prefix = prefixes[below(10)];
        const unsigned digit = below(10);
        const char suffix[4] = {static_cast<char>('A' + below(26)),
                                static_cast<char>('A' + below(26)),
                                static_cast<char>('A' + below(26)), '\0'};
        std::snprintf(text, sizeof text, "%s%u%s", prefix, digit, suffix);
        m_callPool.push_back(Store(text));
    }
    m_contacts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        Contact c;
        // The bonus station about once in a thousand contacts.
        c.call = below(1000) == 0 ? m_callPool[0] : m_callPool[1 + below(kCallPool - 1)];
        c.group = below(10);
        c.freqHz = kBandHz[c.group] + below(40) * 1000 + below(1000);
        c.day = kFirstDay + static_cast<double>(i) * kContactSpacing;
        std::snprintf(text, sizeof text, "%03u", static_cast<unsigned>(i % 10000 + 1));
        c.exchSent = Store(text);
        // Most hosts pass the exchange run together, some with its blank.
        const bool blank = below(4) == 0;
        const unsigned serial = below(999) + 1;
        const unsigned lat = below(90);
        const char ns = below(8) == 0 ? 'S' : 'N';
        const unsigned lon = below(180);
        const char ew = below(4) == 0 ? 'W' : 'O';
        std::snprintf(text, sizeof text, blank ? "%03u %02u%c%u%c" : "%u%02u%c%u%c", serial, lat,
                      ns, lon, ew);
        c.exchRcvd = Store(text);
        m_contacts.push_back(c);
    }
}

Contact ContactSet::MakeUnique(uint32_t number) {
    char text[32];
    Contact c = m_contacts.empty() ? Contact{} : m_contacts.back();
    std::snprintf(text, sizeof text, "X%uQ", number);
    c.call = Store(text);
    c.exchSent = Store("001");
    c.exchRcvd = Store("00155N37O");
    c.day += kContactSpacing;
    return c;
}

ContactArgs ContactSet::Args(const Contact& c) const {
    ContactArgs a;
    a.ownCall = kOwnCall;
    a.call = Text(c.call);
    a.time.m_dt = c.day;
    a.freqHz = c.freqHz;
    a.mode = "CW";
    a.rstSent = "599";
    a.rstRcvd = "599";
    a.exchSent = Text(c.exchSent);
    a.exchRcvd = Text(c.exchRcvd);
    a.group = Group(c);
    return a;
}

std::string ContactSet::ReferenceFile(std::size_t entries) const {
    std::string file;
    for (std::size_t i = 0; i < entries && i < m_callPool.size(); ++i) {
        file += Text(m_callPool[i]);
        file += " 55N37O\n";
    }
    return file;
}

}  // namespace zelk::bench
