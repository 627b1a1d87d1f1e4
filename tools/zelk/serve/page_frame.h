// The frame every page of the server shares: one HTML document with its
// style inline, no script, no font, no request to anywhere, readable on a
// phone; and the small pieces pages are built from. Every text that comes
// from a log, a form or a file name goes through Text() (escaped).
#pragma once

#include <string>
#include <string_view>

namespace zelk::serve {

// The Content-Security-Policy every answer carries: nothing but the page's
// own inline style and data: images; forms post only to this server.
inline constexpr const char* kContentSecurityPolicy =
    "default-src 'none'; style-src 'unsafe-inline'; img-src data:; form-action 'self'; "
    "base-uri 'none'; frame-ancestors 'none'";

// A whole page: `title` is plain text, `body` is HTML. A wide page takes
// the screen's width (the organiser's desk); the others keep a column
// that reads well.
enum class Width { kColumn, kScreen };
std::string Document(std::string_view title, std::string_view body, Width width = Width::kColumn);

// The site's navigation at the top of every page, the published results'
// too, and its style.
std::string SiteNavigation();
std::string_view SiteNavigationStyle();

// Plain text as HTML: escaped, and a text from a log made one printable line
// of at most `limit` characters (control bytes shown as \xNN).
std::string Text(std::string_view text, std::size_t limit = 200);

// "2024-05-19T12:34:56Z" as "2024-05-19 12:34 UTC", escaped: the one
// form every page gives a time in (UtcTextForPeople's).
std::string TimeText(std::string_view utc);

// A page saying why something was refused, with a way back.
std::string MessagePage(std::string_view title, std::string_view sentence,
                        std::string_view backHref, std::string_view backText);

}  // namespace zelk::serve
