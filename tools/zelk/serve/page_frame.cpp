// The page frame and its style.
#include "serve/page_frame.h"

#include "report_html/html_text.h"
#include "serve/serve_settings.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

constexpr std::string_view kStyle = R"(
:root { color-scheme: light; --ink: #1b1f24; --muted: #5b6470; --line: #d5dae1; --accent: #0b5cad; --bad: #a11d1d; --good: #17663a; }
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.5 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; color: var(--ink); background: #f6f7f9; overflow-wrap: break-word; }
main { max-width: 52rem; margin: 0 auto; padding: 1rem; }
body.wide main, body.wide header.site nav { max-width: none; }
h1 { font-size: 1.5rem; margin: .5rem 0 1rem; }
h2 { font-size: 1.2rem; margin: 1.5rem 0 .5rem; }
a { color: var(--accent); }
.card { background: #fff; border: 1px solid var(--line); border-radius: 8px; padding: 1rem; margin: 0 0 1rem; }
label { display: block; font-weight: 600; margin: .75rem 0 .25rem; }
input[type=file], input[type=email], input[type=password], textarea { width: 100%; font: inherit; padding: .5rem; border: 1px solid var(--line); border-radius: 6px; background: #fff; }
textarea { min-height: 8rem; font-family: ui-monospace, "DejaVu Sans Mono", monospace; font-size: .85rem; }
button { font: inherit; font-weight: 600; padding: .6rem 1.2rem; margin-top: 1rem; border: 0; border-radius: 6px; background: var(--accent); color: #fff; cursor: pointer; }
button.quiet { background: #5b6470; }
.hint { color: var(--muted); font-size: .9rem; margin: .25rem 0; }
.scroll { overflow-x: auto; }
table { border-collapse: collapse; width: 100%; background: #fff; font-size: .95rem; }
th, td { text-align: left; padding: .35rem .5rem; border-bottom: 1px solid var(--line); vertical-align: top; }
td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }
dl.receipt { display: grid; grid-template-columns: max-content 1fr; gap: .25rem 1rem; margin: 0; }
dl.receipt dt { color: var(--muted); }
dl.receipt dd { margin: 0; font-weight: 600; overflow-wrap: anywhere; }
dl.facts dd { font-weight: normal; }
dl.facts .part { display: block; }
td.wide, th.wide { min-width: 13rem; }
table.submissions th, table.submissions td { padding: .35rem .4rem; }
td.line { white-space: nowrap; }
span.email { display: inline-block; max-width: 11rem; overflow-wrap: break-word; }
p.filter, .check { margin: .5rem 0; }
label.check { display: inline; font-weight: normal; margin-left: .5rem; }
.parts { display: flex; flex-wrap: wrap; gap: 0 1rem; }
.parts select { display: block; font: inherit; padding: .3rem; }
tr.removed td { color: var(--bad); }
input[type=text] { width: 100%; font: inherit; padding: .5rem; border: 1px solid var(--line); border-radius: 6px; }
.ok { color: var(--good); }
.refused { color: var(--bad); }
.replaced { color: var(--muted); text-decoration: line-through; }
code, pre { font-family: ui-monospace, "DejaVu Sans Mono", monospace; font-size: .85rem; }
pre { overflow-x: auto; background: #fff; border: 1px solid var(--line); padding: .75rem; }
ul.notes { margin: .25rem 0; padding-left: 1.25rem; }
form.inline { display: inline; }
)";

constexpr std::string_view kNavigationStyle = R"(
header.site { background: #12324f; color: #fff; padding: .75rem 1rem; }
header.site a { color: #fff; text-decoration: none; font-weight: 600; font-size: 16px; }
header.site nav { max-width: 52rem; margin: 0 auto; display: flex; gap: .5rem 1.25rem; flex-wrap: wrap; }
)";

}  // namespace

std::string SiteNavigation() {
    return "<header class=\"site\"><nav><a href=\"/\">Send a log</a>"
           "<a href=\"/received\">Logs received</a><a href=\"/results/\">Results</a></nav>"
           "</header>\n";
}

std::string_view SiteNavigationStyle() {
    return kNavigationStyle;
}

std::string Text(std::string_view text, std::size_t limit) {
    return report_html::Escape(Printable(text, limit));
}

std::string TimeText(std::string_view utc) {
    std::string text(utc);
    if (const auto time = ParseUtc(text)) {
        text = UtcTextForPeople(*time);
    }
    return report_html::Escape(text);
}

std::string Document(std::string_view title, std::string_view body, Width width) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"referrer\" content=\"same-origin\">\n<title>" +
           report_html::Escape(title) + "</title>\n<style>" + std::string(kStyle) +
           std::string(kNavigationStyle) + "</style>\n</head>\n" +
           (width == Width::kScreen ? "<body class=\"wide\">\n" : "<body>\n") + SiteNavigation() +
           "<main>\n" + std::string(body) + "</main>\n</body>\n</html>\n";
}

std::string MessagePage(std::string_view title, std::string_view sentence,
                        std::string_view backHref, std::string_view backText) {
    return Document(title, "<h1 class=\"refused\">" + report_html::Escape(title) +
                               "</h1>\n<div class=\"card\"><p>" + report_html::Escape(sentence) +
                               "</p></div>\n<p><a href=\"" + report_html::Escape(backHref) + "\">" +
                               report_html::Escape(backText) + "</a></p>\n");
}

}  // namespace zelk::serve
