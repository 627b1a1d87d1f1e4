#!/bin/sh
# Makes the README's screenshots of the contest report: `zelk report` on the
# example log, rendered in the system's headless Chromium, into docs/
# (report.png, the whole page, and report-map.png, its map). Needs a native
# build, Node.js and Chromium (scripts/install-deps.sh installs them).
#   scripts/take-report-screenshots.sh             the example log, into docs/
#   scripts/take-report-screenshots.sh --fixture   the test contest model, into
#                                                  build/screenshots/ (to look at
#                                                  the page before zelk report exists)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
work=$root/build/screenshots
mkdir -p "$work"

if [ "${1:-}" = "--fixture" ]; then
    cmake --build "$build" --target make_report_page
    "$build/tests/zelk/report_html/make_report_page" contest "$work/page"
    page=$work/page/report.html
    prefix=$work/report
else
    cmake --build "$build" --target zelk zelk_beside
    zelk=$build/tools/zelk/zelk
    if ! "$zelk" report --help >/dev/null 2>&1; then
        echo "this zelk has no report command yet; try --fixture" >&2
        exit 1
    fi
    rm -rf "$work/contest"
    "$zelk" init "$work/contest" --coordinate 55N37O >/dev/null
    (cd "$work/contest" && "$zelk" report "$root/examples/zelk-contest.adi" -o "$work/report.html")
    page=$work/report.html
    prefix=$root/docs/report
fi

cp "$root/tests/zelk/report_html/package.json" "$root/tests/zelk/report_html/package-lock.json" \
    "$root/scripts/take-report-screenshots.mjs" "$work/"
cd "$work"
if [ ! -f node_modules/playwright-core/package.json ]; then
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
node take-report-screenshots.mjs "$page" "$prefix"
