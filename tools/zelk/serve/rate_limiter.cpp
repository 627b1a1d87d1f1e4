// The per-address limits on uploads.
#include "serve/rate_limiter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zelk::serve {

namespace {

// Past this many remembered addresses, the idle ones with a full bucket are
// dropped: they would be admitted just the same if they came back.
constexpr std::size_t kForgetAbove = 4096;

}  // namespace

RateLimiter::Slot::~Slot() {
    if (m_limiter != nullptr) {
        m_limiter->Release(m_address);
    }
}

void RateLimiter::Refill(Client& client, Clock::time_point now) const {
    const double hours = std::chrono::duration<double>(now - client.refilled).count() / 3600.0;
    client.tokens = std::min<double>(m_perHour, client.tokens + hours * m_perHour);
    client.refilled = now;
}

std::variant<RateLimiter::Slot, RateLimiter::Refused> RateLimiter::Admit(const std::string& address,
                                                                         Clock::time_point now) {
    std::lock_guard lock(m_mutex);
    if (m_clients.size() > kForgetAbove) {
        Forget(now);
    }
    auto [entry, added] = m_clients.try_emplace(address);
    Client& client = entry->second;
    if (added) {
        client.tokens = m_perHour;
        client.refilled = now;
    }
    Refill(client, now);
    if (client.inFlight >= m_atOnce) {
        return Refused{true, 1};
    }
    if (client.tokens < 1.0) {
        const double seconds = (1.0 - client.tokens) * 3600.0 / m_perHour;
        return Refused{false, static_cast<int>(std::ceil(seconds))};
    }
    client.tokens -= 1.0;
    ++client.inFlight;
    return Slot(*this, address);
}

void RateLimiter::SetLimits(int atOnce, int perHour) {
    std::lock_guard lock(m_mutex);
    m_atOnce = atOnce;
    m_perHour = perHour;
}

void RateLimiter::Release(const std::string& address) {
    std::lock_guard lock(m_mutex);
    if (auto entry = m_clients.find(address); entry != m_clients.end()) {
        --entry->second.inFlight;
    }
}

void RateLimiter::Forget(Clock::time_point now) {
    for (auto entry = m_clients.begin(); entry != m_clients.end();) {
        Refill(entry->second, now);
        const bool idle = entry->second.inFlight == 0 && entry->second.tokens >= m_perHour;
        entry = idle ? m_clients.erase(entry) : std::next(entry);
    }
}

std::size_t RateLimiter::Remembered() {
    std::lock_guard lock(m_mutex);
    return m_clients.size();
}

}  // namespace zelk::serve
