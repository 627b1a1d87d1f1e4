// How many uploads one client address may make: a few at once, and a number
// an hour (a bucket that refills evenly over the hour, so a club sending its
// members' logs one after another is slowed, not stopped). An upload holds
// its place while it runs; the place is given back when the Slot goes.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>

namespace zelk::serve {

class RateLimiter {
  public:
    using Clock = std::chrono::steady_clock;

    RateLimiter(int atOnce, int perHour) : m_atOnce(atOnce), m_perHour(perHour) {}

    class Slot {
      public:
        Slot(RateLimiter& limiter, std::string address)
            : m_limiter(&limiter), m_address(std::move(address)) {}
        Slot(Slot&& other) noexcept
            : m_limiter(std::exchange(other.m_limiter, nullptr)),
              m_address(std::move(other.m_address)) {}
        Slot& operator=(Slot&&) = delete;
        Slot(const Slot&) = delete;
        ~Slot();

      private:
        RateLimiter* m_limiter;  // not owned; null once moved from
        std::string m_address;
    };

    struct Refused {
        bool tooManyAtOnce = false;  // else: too many this hour
        int retryAfterSeconds = 1;
    };

    // A place for one upload from `address` now, or why not.
    std::variant<Slot, Refused> Admit(const std::string& address, Clock::time_point now);

    // The limits from now on (the settings may change while serving).
    void SetLimits(int atOnce, int perHour);

    // How many addresses are remembered (those idle with a full bucket are
    // forgotten as the table grows).
    std::size_t Remembered();

  private:
    struct Client {
        int inFlight = 0;
        double tokens = 0.0;
        Clock::time_point refilled{};
    };
    void Release(const std::string& address);
    void Refill(Client& client, Clock::time_point now) const;
    void Forget(Clock::time_point now);

    int m_atOnce;
    int m_perHour;
    std::mutex m_mutex;
    std::unordered_map<std::string, Client> m_clients;
};

}  // namespace zelk::serve
