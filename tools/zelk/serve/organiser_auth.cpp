// The organiser's token, sessions and form values.
#include "serve/organiser_auth.h"

#include <algorithm>

#include "serve/file_store.h"
#include "serve/request_parts.h"
#include "serve/security.h"

namespace zelk::serve {

namespace {

constexpr std::size_t kSecretBytes = 32;

std::string CookieAttributes(bool secure) {
    return std::string("; Path=/; HttpOnly; SameSite=Strict") + (secure ? "; Secure" : "");
}

}  // namespace

OrganiserAuth::OrganiserAuth(std::string token) : m_token(std::move(token)) {}

bool OrganiserAuth::TokenMatches(std::string_view candidate) const {
    std::lock_guard lock(m_mutex);
    return SameSecret(candidate, m_token);
}

OrganiserAuth::Caller OrganiserAuth::Authenticate(std::string_view authorization,
                                                  std::string_view cookies,
                                                  Clock::time_point now) const {
    if (auto bearer = BearerToken(authorization); bearer && TokenMatches(*bearer)) {
        return {Via::kBearer, {}, {}};
    }
    const auto value = CookieValue(cookies, kCookieName);
    if (!value || value->empty()) {
        return {};
    }
    // Looked up by its hash: the map's comparisons learn nothing of a value
    // an attacker could steer towards a session's.
    std::string key = Sha256Hex(*value);
    std::lock_guard lock(m_mutex);
    const auto session = m_sessions.find(key);
    if (session == m_sessions.end() || session->second.ends <= now) {
        return {};
    }
    return {Via::kCookie, session->second.formValue, std::move(key)};
}

bool OrganiserAuth::FormIsGenuine(const Caller& caller, std::string_view formValue,
                                  std::string_view origin, std::string_view host) {
    if (caller.via == Via::kBearer) {
        return true;  // a browser never adds the Authorization header by itself
    }
    if (caller.via != Via::kCookie || !SameSecret(formValue, caller.formValue)) {
        return false;
    }
    return origin.empty() || SameOrigin(origin, host);
}

std::optional<std::string> OrganiserAuth::LogIn(std::string_view token, Clock::time_point now,
                                                bool secure) {
    if (!TokenMatches(token)) {
        return std::nullopt;
    }
    const std::string value = RandomHex(kSecretBytes);
    std::lock_guard lock(m_mutex);
    std::erase_if(m_sessions, [now](const auto& session) { return session.second.ends <= now; });
    while (m_sessions.size() >= kMostSessions) {
        m_sessions.erase(std::min_element(
            m_sessions.begin(), m_sessions.end(),
            [](const auto& a, const auto& b) { return a.second.ends < b.second.ends; }));
    }
    m_sessions[Sha256Hex(value)] = {now + kSessionLength, RandomHex(kSecretBytes)};
    return std::string(kCookieName) + "=" + value + CookieAttributes(secure) +
           "; Max-Age=" + std::to_string(std::chrono::seconds(kSessionLength).count());
}

void OrganiserAuth::LogOut(const Caller& caller) {
    std::lock_guard lock(m_mutex);
    m_sessions.erase(caller.session);
}

std::string OrganiserAuth::ClearCookie(bool secure) {
    return std::string(kCookieName) + "=" + CookieAttributes(secure) + "; Max-Age=0";
}

std::size_t OrganiserAuth::Sessions() const {
    std::lock_guard lock(m_mutex);
    return m_sessions.size();
}

std::string OrganiserAuth::NewToken(const std::filesystem::path& file) {
    std::string token = RandomHex(kSecretBytes);
    std::lock_guard lock(m_mutex);
    WriteDurably(file, token + "\n", 0600);
    m_token = token;
    m_sessions.clear();
    return token;
}

}  // namespace zelk::serve
