#!/bin/sh
# Makes the report pages of the test models and, with ZELK and LOG, the page
# zelk report makes of a real log, and checks each page in the system's
# headless Chromium (check_in_browser.mjs, set up by browser_setup.sh). What
# the real page must show is taken from the Cabrillo file zelk score writes
# of the same log: one line per kept contact, the worked position last.
# Exits 77, which CTest reads as skipped, when Node.js or Chromium is not
# installed.
# Usage: run_browser_test.sh MAKE_REPORT_PAGE WORK_FOLDER [ZELK LOG]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
make_page=$1
work=$2
zelk=${3:-}
log=${4:-}
make_page=$(cd "$(dirname "$make_page")" && pwd)/$(basename "$make_page")
. "$here/browser_setup.sh"
browser_setup "$here" "$here/check_in_browser.mjs"
for model in small contest; do
    "$make_page" "$model" "$work/$model"
    node check_in_browser.mjs "$work/$model/report.html" "$work/$model/expected.json" \
        "$work/$model/report.png"
done

if [ -n "$zelk" ]; then
    rm -rf "$work/real"
    mkdir -p "$work/real"
    "$zelk" init "$work/real/contest" --coordinate 55N37O >/dev/null
    "$zelk" score "$log" -C "$work/real/contest" --cabrillo --yes >/dev/null
    "$zelk" report "$log" -C "$work/real/contest" -o "$work/real/report.html"
    cabrillo=$(ls "$work/real/contest/"*.cbr)
    node -e '
        const lines = require("fs").readFileSync(process.argv[1], "latin1").split(/\r?\n/)
            .filter((line) => line.startsWith("QSO:"));
        const places = new Set(lines.map((line) => line.trim().split(/\s+/).pop())
            .filter((place) => /^\d{1,2}[NS]\d{1,3}[OEW]$/.test(place)));
        console.log(JSON.stringify({admitted: lines.length, positions: places.size}));
    ' "$cabrillo" >"$work/real/expected.json"
    node check_in_browser.mjs "$work/real/report.html" "$work/real/expected.json" \
        "$work/real/report.png"
fi
