// Who is the organiser: whoever shows the token made at first start, as
// "Authorization: Bearer <token>" (scripts) or through the login form, which
// sets a cookie holding a value derived from the token (never the token
// itself). Secrets are compared in constant time. A form that changes
// something and rides on the cookie must also carry the form value derived
// from the token, and, where the browser names its origin, come from this
// site: a page elsewhere can make a browser send the cookie, but can read
// neither value.
#pragma once

#include <string>
#include <string_view>

namespace zelk::serve {

class OrganiserAuth {
  public:
    static constexpr const char* kCookieName = "zelk_organiser";

    explicit OrganiserAuth(std::string token);

    enum class Via { kNone, kBearer, kCookie };

    bool TokenMatches(std::string_view candidate) const;
    // From the Authorization and Cookie headers.
    Via Authenticate(std::string_view authorization, std::string_view cookies) const;
    // Whether a request that changes something was sent by the organiser's
    // own page (or by a script with the token).
    bool FormIsGenuine(Via via, std::string_view formValue, std::string_view origin,
                       std::string_view host) const;

    // The hidden field every organiser's form carries.
    const std::string& FormValue() const { return m_formValue; }
    std::string SetCookie(bool secure) const;
    std::string ClearCookie(bool secure) const;

  private:
    std::string m_token;
    std::string m_sessionValue;
    std::string m_formValue;
};

}  // namespace zelk::serve
