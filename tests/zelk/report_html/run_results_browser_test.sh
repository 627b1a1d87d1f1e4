#!/bin/sh
# Checks zelk adjudicate's results.html in the system's headless Chromium:
# checks the contest folder given with --html into WORK_FOLDER/results, then
# opens the page (check_results_in_browser.mjs) with the same playwright-core
# as the report page's check (npm ci, once per work folder; it never
# downloads a browser). Exits 77, which CTest reads as skipped, when Node.js
# or Chromium is not installed.
# Usage: run_results_browser_test.sh ZELK CONTEST_FOLDER WORK_FOLDER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zelk=$1
contest=$2
work=$3
chromium=${ZELK_CHROMIUM:-/usr/bin/chromium}
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "Node.js (node and npm) is not installed: the page cannot be checked in a browser"
    exit 77
fi
if [ ! -x "$chromium" ]; then
    echo "$chromium is not installed (scripts/install-deps.sh installs it): the page cannot be checked"
    exit 77
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)
cp "$here/package.json" "$here/package-lock.json" "$here/check_results_in_browser.mjs" "$work/"
cd "$work"
if [ ! -f node_modules/playwright-core/package.json ]; then
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
rm -rf "$work/results"
"$zelk" adjudicate "$contest" -o "$work/results" --html >/dev/null 2>"$work/adjudicate.err" || {
    cat "$work/adjudicate.err"
    exit 1
}
node check_results_in_browser.mjs "$work/results" "$work/results.png"
