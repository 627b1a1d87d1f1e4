#!/bin/sh
# Starts zelk serve on a fresh contest folder under WORK_FOLDER on an
# ephemeral loopback port, with a contest.toml that gives the example
# contest's period and a deadline a week ahead, and goes through its pages
# in the system's headless Chromium (check_serve_in_browser.mjs, set up by
# the report tests' browser_setup.sh): LOG uploaded through the form,
# expecting the score `zelk report LOG --summary` prints, the example
# contest's other logs added by the organiser, the desk, the check and the
# published results. The screenshots go to WORK_FOLDER (or to
# SCREENSHOT_FOLDER when given).
# Exits 77, which CTest reads as skipped, when Node.js or Chromium is not
# installed.
# Usage: run_serve_browser_test.sh ZELK LOG EXAMPLE_CONTEST WORK_FOLDER [SCREENSHOT_FOLDER]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zelk=$1
log=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
examples=$(cd "$3" && pwd)
work=$4
shots=${5:-}
. "$here/../report_html/browser_setup.sh"
browser_setup "$here/../report_html" "$here/check_serve_in_browser.mjs"
shots=${shots:-$work}

summary=$("$zelk" report "$log" --summary 2>/dev/null)
call=$(printf '%s\n' "$summary" | sed -n 's/^Call: *//p')
score=$(printf '%s\n' "$summary" | sed -n 's/^Score: .*= *//p')

rm -rf "$work/contest"
mkdir -p "$work/contest"
cat >"$work/contest/contest.toml" <<TOML
contest = "ZELK"
start = 2024-05-11T12:00:00Z
end = 2024-05-12T12:00:00Z
[serve]
deadline = $(date -u -d '+7 days' +%Y-%m-%dT%H:%M:00Z)
contact = "contest@example.org"
rules_link = "https://example.org/zelk-rules"
TOML
others=
for other in "$examples"/*.log "$examples"/*.cbr; do
    [ "$(basename "$other")" = "$(basename "$log")" ] || others="$others $other"
done

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
# shellcheck disable=SC2086  # the other logs are words
node check_serve_in_browser.mjs "$url" "$log" "$call" "$score" "$shots" \
    "$work/contest/organiser-token" $others
