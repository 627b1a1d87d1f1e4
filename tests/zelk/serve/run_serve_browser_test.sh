#!/bin/sh
# Starts zelk serve on a fresh contest folder under WORK_FOLDER on an
# ephemeral loopback port, and uploads LOG through its page in the system's
# headless Chromium (check_serve_in_browser.mjs, set up by the report tests'
# browser_setup.sh), expecting the score `zelk report LOG --summary` prints.
# The screenshots go to WORK_FOLDER (or to SCREENSHOT_FOLDER when given).
# Exits 77, which CTest reads as skipped, when Node.js or Chromium is not
# installed.
# Usage: run_serve_browser_test.sh ZELK LOG WORK_FOLDER [SCREENSHOT_FOLDER]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zelk=$1
log=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$3
shots=${4:-}
. "$here/../report_html/browser_setup.sh"
browser_setup "$here/../report_html" "$here/check_serve_in_browser.mjs"
shots=${shots:-$work}

summary=$("$zelk" report "$log" --summary 2>/dev/null)
call=$(printf '%s\n' "$summary" | sed -n 's/^Call: *//p')
score=$(printf '%s\n' "$summary" | sed -n 's/^Score: .*= *//p')

rm -rf "$work/contest"
# Emptied first: what an earlier run left would name its port.
: >"$work/serve.out"
"$zelk" serve "$work/contest" --listen 127.0.0.1:0 >"$work/serve.out" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
url=
for _ in $(seq 100); do
    url=$(sed -n 's/^listening on //p' "$work/serve.out")
    [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$url" ] || { cat "$work/serve.out"; exit 1; }
node check_serve_in_browser.mjs "$url" "$log" "$call" "$score" "$shots"
