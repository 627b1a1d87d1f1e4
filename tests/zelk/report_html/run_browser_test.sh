#!/bin/sh
# Makes the report pages of the test models, installs playwright-core (npm
# ci, once per build folder; it never downloads a browser) and checks each
# page in the system's headless Chromium. Exits 77, which CTest reads as
# skipped, when Node.js or Chromium is not installed.
# Usage: run_browser_test.sh MAKE_REPORT_PAGE WORK_FOLDER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
make_page=$1
work=$2
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
make_page=$(cd "$(dirname "$make_page")" && pwd)/$(basename "$make_page")
cp "$here/package.json" "$here/package-lock.json" "$here/check_in_browser.mjs" "$work/"
cd "$work"
if [ ! -f node_modules/playwright-core/package.json ]; then
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
for model in small contest; do
    "$make_page" "$model" "$work/$model"
    node check_in_browser.mjs "$work/$model/report.html" "$work/$model/expected.json" \
        "$work/$model/report.png"
done
