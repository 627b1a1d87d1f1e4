#!/bin/sh
# Makes the pictures of zelk serve in docs/, in the system's headless
# Chromium as the browser test takes them: serve-upload.png, the upload
# page, serve-receipt.png, a receipt, and serve-results.png, the published
# results, at a phone's width; serve-desk.png, the organiser's desk, at a
# desktop's. The log sent through the form is the example contest's log of
# UA2TV with two faults an entrant makes (no CLAIMED-SCORE: line, a QSO line
# cut short), so that the receipt shows what it says about them. Needs a native build, Node.js and Chromium
# (scripts/install-deps.sh installs them).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
work=$root/build/screenshots/serve
cmake --build "$build" --target zelk
mkdir -p "$work"
sed -e '/^CLAIMED-SCORE:/d' -e 's/^\(QSO: 14029 CW 2024-05-11 1452 UA2TV 599 005\).*/\1/' \
    "$root/examples/contest/UA2TV.log" >"$work/UA2TV.log"
"$root/tests/zelk/serve/run_serve_browser_test.sh" "$build/tools/zelk/zelk" "$work/UA2TV.log" \
    "$root/examples/contest" "$work" "$root/docs"
