#!/bin/sh
# Checks zelk adjudicate's results.html in the system's headless Chromium:
# checks the contest folder given with --html into WORK_FOLDER/results, then
# opens the page (check_results_in_browser.mjs, set up by browser_setup.sh).
# Exits 77, which CTest reads as skipped, when Node.js or Chromium is not
# installed.
# Usage: run_results_browser_test.sh ZELK CONTEST_FOLDER WORK_FOLDER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zelk=$1
contest=$2
work=$3
. "$here/browser_setup.sh"
browser_setup "$here" "$here/check_results_in_browser.mjs"
rm -rf "$work/results"
"$zelk" adjudicate "$contest" -o "$work/results" --html >/dev/null 2>"$work/adjudicate.err" || {
    cat "$work/adjudicate.err"
    exit 1
}
node check_results_in_browser.mjs "$work/results" "$work/results.png"
