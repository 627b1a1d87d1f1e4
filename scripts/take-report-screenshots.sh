#!/bin/sh
# Makes the README's screenshots into docs/: report.png, the page zelk report
# makes of the example log, and results.png, the top of the results page
# zelk adjudicate --html makes of the example contest by its rules file
# (examples/contest.toml: period, categories, decisions), both rendered in the
# system's headless Chromium. Needs a native build, Node.js and Chromium
# (scripts/install-deps.sh installs them).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
work=$root/build/screenshots
cmake --build "$build" --target zelk
zelk=$build/tools/zelk/zelk

mkdir -p "$work"
rm -rf "$work/contest" "$work/results"
"$zelk" init "$work/contest" --coordinate 55N37O >/dev/null
"$zelk" report "$root/examples/zelk-contest.adi" -C "$work/contest" -o "$work/report.html"
"$zelk" adjudicate "$root/examples/contest" -o "$work/results" --html \
    --rules "$root/examples/contest.toml" >/dev/null 2>&1

. "$root/tests/zelk/report_html/browser_setup.sh"
browser_setup "$root/tests/zelk/report_html" "$root/scripts/take-report-screenshots.mjs"
node take-report-screenshots.mjs "$work/report.html" "$root/docs/report.png" \
    "$work/results/results.html" "$root/docs/results.png"
