#!/usr/bin/env bash
# zelk serve under the system call filter of the zelk-serve unit: the
# unit's SystemCallFilter= lines, expanded by this machine's systemd
# (systemd-analyze syscall-filter), allow the calls, any other kills the
# server (under_syscall_filter). Through it a log is uploaded, the check is
# run and published and the results are read; then SIGTERM must stop it
# cleanly. Exit 77 (skipped) without systemd-analyze.
#   serve_under_unit_filter.sh UNIT_FILE ZELK UNDER_SYSCALL_FILTER LOG WORK_DIR
set -euo pipefail
unit=$1 zelk=$2 launcher=$3 log=$4 work=$5

command -v systemd-analyze >/dev/null || { echo "no systemd-analyze: skipped"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
problems=()
problem() { problems+=("$*"); echo "PROBLEM: $*"; }

# The calls of a group, its nested groups expanded.
expand() {
    local item
    for item in "$@"; do
        if [[ $item == @* ]]; then
            # Line 1 names the group, comment lines start with '#'.
            # shellcheck disable=SC2046
            expand $(systemd-analyze syscall-filter "$item" | tail -n +2 | sed -n 's/^ \+\([^# ]\+\)$/\1/p')
        else
            echo "$item"
        fi
    done
}
# SystemCallFilter= lines as systemd reads them: the first, an allow list;
# each line starting with ~ takes its calls out again.
: >"$work/allowed"
while IFS= read -r value; do
    if [[ $value == "~"* ]]; then
        # shellcheck disable=SC2086
        expand ${value#\~} | sort -u >"$work/denied"
        sort -u "$work/allowed" | comm -23 - "$work/denied" >"$work/allowed.new"
    else
        # shellcheck disable=SC2086
        { cat "$work/allowed"; expand $value; } | sort -u >"$work/allowed.new"
    fi
    mv "$work/allowed.new" "$work/allowed"
done < <(sed -n 's/^SystemCallFilter=//p' "$unit")
echo "the unit allows $(wc -l <"$work/allowed") system call names"
for call in openat write fsync accept4 clone3 futex; do
    grep -qxF "$call" "$work/allowed" || problem "the filter allows no $call: is the unit read right?"
done
for call in setuid chown setrlimit reboot; do
    ! grep -qxF "$call" "$work/allowed" || problem "the filter allows $call"
done

# zelk and its contest folder where nobody reaches them when the launcher
# becomes nobody: the build tree may lie under a home folder of mode 0700.
run=$(mktemp -d "${TMPDIR:-/tmp}/zelk-under-filter.XXXXXX")
trap 'rm -rf "$run"' EXIT
chmod 0755 "$run"
cp "$zelk" "$run/zelk"
mkdir -m 0777 "$run/contest"
: >"$work/serve.txt"
"$launcher" "$work/allowed" "$run/zelk" serve "$run/contest" --listen 127.0.0.1:0 \
    >"$work/serve.txt" 2>&1 &
served=$!
port=
for _ in $(seq 200); do
    port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$work/serve.txt")
    [ -n "$port" ] && break
    kill -0 "$served" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$port" ]; then
    status=0
    wait "$served" || status=$?
    echo "zelk serve did not start under the filter (status $status):"
    cat "$work/serve.txt"
    exit 1
fi
url=http://127.0.0.1:$port
token=$(cat "$run/contest/organiser-token")

# Each request with the status it must get, the answer kept for its checks.
request() {
    local expected=$1 name=$2
    shift 2
    local status
    status=$(curl -sS -o "$work/$name" -w '%{http_code}' "$@") || status="no answer"
    [ "$status" = "$expected" ] || problem "$name: $status, not $expected: $(head -c 300 "$work/$name" 2>/dev/null)"
}
request 200 page.html "$url/"
request 201 receipt.json -H 'Accept: application/json' -F "log=@$log" "$url/api/logs"
request 200 check.json -H "Authorization: Bearer $token" -H 'Accept: application/json' -d '' "$url/organiser/check"
request 200 publish.json -H "Authorization: Bearer $token" -H 'Accept: application/json' -d '' "$url/organiser/publish"
request 200 results.html "$url/results/"
grep -q '"call":"UA2TV"' "$work/receipt.json" || problem "the receipt names no UA2TV"
grep -q '"logs": *1' "$work/check.json" || problem "the check did not check the one log"
grep -q 'UA2TV' "$work/results.html" || problem "the published results do not name UA2TV"

kill -TERM "$served"
status=0
wait "$served" || status=$?
[ "$status" -eq 0 ] || problem "zelk serve ended with status $status$([ "$status" -eq 159 ] && echo ' (SIGSYS: a call outside the filter)')"
grep -q '^zelk serve: stopped' "$work/serve.txt" || problem "zelk serve did not say it stopped"

if [ ${#problems[@]} -ne 0 ]; then
    echo "zelk serve under the unit's filter: ${#problems[@]} problem(s); it said:"
    cat "$work/serve.txt"
    exit 1
fi
echo "zelk serve under the unit's system call filter: page, upload, check, publish, results and stop"
