// The style sheet every report page carries inline: readable on screen,
// and on paper A4 with the sections kept whole where they fit.
#pragma once

#include <string_view>

namespace zelk::report_html {

inline constexpr std::string_view kPageStyle = R"css(
:root { color-scheme: light; }
body { font-family: "DejaVu Sans", "Segoe UI", Arial, Helvetica, sans-serif; color: #1d2329;
  background: #fff; margin: 0 auto; max-width: 190mm; padding: 16px; font-size: 14px;
  line-height: 1.4; }
h1 { font-size: 26px; margin: 0; }
h1 .contest { font-weight: normal; color: #4a5660; font-size: 18px; margin-left: 8px; }
h2 { font-size: 17px; border-bottom: 2px solid #0072b2; padding-bottom: 2px; margin: 22px 0 8px; }
.entrant { margin: 2px 0 10px; color: #4a5660; }
.cards { display: flex; gap: 8px; flex-wrap: wrap; margin: 10px 0; }
.cards div { flex: 1 1 auto; min-width: 110px; border: 1px solid #d5dde3; border-radius: 6px;
  padding: 6px 10px; background: #f5f8fa; }
.cards span { display: block; font-size: 12px; color: #4a5660; }
.cards strong { font-size: 20px; white-space: nowrap; }
table { border-collapse: collapse; margin: 6px 0; }
th, td { padding: 2px 8px; border-bottom: 1px solid #e2e6ea; }
thead th { border-bottom: 2px solid #9aa6b0; text-align: right; white-space: nowrap; }
thead th:first-child { text-align: left; }
table.numbers td { text-align: right; font-variant-numeric: tabular-nums; }
tbody th, tfoot th { text-align: left; font-weight: normal; white-space: nowrap; }
tfoot td, tfoot th { font-weight: bold; border-top: 2px solid #9aa6b0; border-bottom: none; }
table.refused th { text-align: left; }
.swatch { display: inline-block; width: 10px; height: 10px; border-radius: 2px; margin-right: 6px; }
.score-line { font-size: 16px; }
svg.map, svg.chart { width: 100%; height: auto; display: block; }
.legend { list-style: none; padding: 0; margin: 6px 0; display: flex; flex-wrap: wrap;
  gap: 4px 18px; }
.legend li { display: flex; align-items: center; gap: 5px; }
.best { padding-left: 18px; margin: 6px 0; }
.facts { display: grid; grid-template-columns: max-content auto; gap: 2px 16px; margin: 6px 0; }
.facts dt { color: #4a5660; }
.facts dd { margin: 0; }
.note, .muted { color: #5a6670; font-size: 12px; }
code { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 12px; white-space: pre-wrap; }
footer { margin-top: 24px; color: #5a6670; font-size: 12px; }
section { break-inside: avoid; }
@page { size: A4; margin: 12mm; }
@media print {
  body { max-width: none; padding: 0; font-size: 11px; }
  h2 { break-after: avoid; }
  section.rate { break-inside: auto; }
  .cards div { background: none; }
}
)css";

}  // namespace zelk::report_html
