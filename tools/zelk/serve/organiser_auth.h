// Who is the organiser: whoever shows the token in CONTEST_DIR/organiser-token,
// as "Authorization: Bearer <token>" (scripts), or a session begun with it
// through the login form. Each login is a session of its own: a random
// value in a cookie (the server keeps only its SHA-256), which ends at
// logout or after kSessionLength, and with every session when the server
// stops. A new token ends the old one and every session. Secrets are
// compared in constant time.
//
// A form that changes something and rides on the cookie must also carry
// its session's form value, and, where the browser names its origin, come
// from this site: a page elsewhere can make a browser send the cookie, but
// can read neither value.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zelk::serve {

class OrganiserAuth {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr const char* kCookieName = "zelk_organiser";
    static constexpr std::chrono::hours kSessionLength{12};
    // Sessions kept at most; a login beyond ends the one that would end first.
    static constexpr std::size_t kMostSessions = 64;

    explicit OrganiserAuth(std::string token);

    enum class Via { kNone, kBearer, kCookie };
    struct Caller {
        Via via = Via::kNone;
        std::string formValue;  // of the caller's session; empty for a bearer token
        std::string session;    // the session's key, to end it
    };

    bool TokenMatches(std::string_view candidate) const;
    // From the Authorization and Cookie headers.
    Caller Authenticate(std::string_view authorization, std::string_view cookies,
                        Clock::time_point now) const;
    // Whether a request that changes something was sent by the organiser's
    // own page (or by a script with the token).
    static bool FormIsGenuine(const Caller& caller, std::string_view formValue,
                              std::string_view origin, std::string_view host);

    // A new session for whoever showed the token: the Set-Cookie header's
    // value; nullopt when the token is not the organiser's.
    std::optional<std::string> LogIn(std::string_view token, Clock::time_point now, bool secure);
    void LogOut(const Caller& caller);
    static std::string ClearCookie(bool secure);
    std::size_t Sessions() const;

    // Makes a new token, writes it to `file` (mode 0600, whole or not at
    // all) and takes it in place of the old one, ending every session.
    // Returns the new token; throws std::runtime_error when the file cannot
    // be written (the old token then stays).
    std::string NewToken(const std::filesystem::path& file);

  private:
    struct Session {
        Clock::time_point ends;
        std::string formValue;
    };

    mutable std::mutex m_mutex;
    std::string m_token;
    std::map<std::string, Session> m_sessions;  // by the SHA-256 of the cookie's value
};

}  // namespace zelk::serve
