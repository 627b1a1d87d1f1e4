// The organiser's token, cookie and form value.
#include "serve/organiser_auth.h"

#include "serve/request_parts.h"
#include "serve/security.h"

namespace zelk::serve {

namespace {

constexpr int kCookieSeconds = 12 * 3600;

std::string CookieAttributes(bool secure) {
    return std::string("; Path=/; HttpOnly; SameSite=Strict") + (secure ? "; Secure" : "");
}

}  // namespace

OrganiserAuth::OrganiserAuth(std::string token)
    : m_token(std::move(token)),
      m_sessionValue(HmacHex(m_token, "zelk serve: organiser's cookie")),
      m_formValue(HmacHex(m_token, "zelk serve: organiser's forms")) {}

bool OrganiserAuth::TokenMatches(std::string_view candidate) const {
    return SameSecret(candidate, m_token);
}

OrganiserAuth::Via OrganiserAuth::Authenticate(std::string_view authorization,
                                               std::string_view cookies) const {
    if (auto bearer = BearerToken(authorization); bearer && TokenMatches(*bearer)) {
        return Via::kBearer;
    }
    if (auto session = CookieValue(cookies, kCookieName);
        session && SameSecret(*session, m_sessionValue)) {
        return Via::kCookie;
    }
    return Via::kNone;
}

bool OrganiserAuth::FormIsGenuine(Via via, std::string_view formValue, std::string_view origin,
                                  std::string_view host) const {
    if (via == Via::kBearer) {
        return true;  // a browser never adds the Authorization header by itself
    }
    if (via != Via::kCookie || !SameSecret(formValue, m_formValue)) {
        return false;
    }
    return origin.empty() || SameOrigin(origin, host);
}

std::string OrganiserAuth::SetCookie(bool secure) const {
    return std::string(kCookieName) + "=" + m_sessionValue + CookieAttributes(secure) +
           "; Max-Age=" + std::to_string(kCookieSeconds);
}

std::string OrganiserAuth::ClearCookie(bool secure) const {
    return std::string(kCookieName) + "=" + CookieAttributes(secure) + "; Max-Age=0";
}

}  // namespace zelk::serve
