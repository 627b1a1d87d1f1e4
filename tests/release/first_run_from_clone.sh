#!/usr/bin/env bash
# The README's first command as a new user meets it: a fresh clone of a
# commit (default: HEAD) runs scripts/try.sh, which must print the example's
# score line, write the Cabrillo file and the HTML report. The clone, its build folder and
# the contest folder try.sh made are removed afterwards.
#   tests/release/first_run_from_clone.sh [COMMIT]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
commit=$(git -C "$root" rev-parse --verify "${1:-HEAD}^{commit}")

work=$(mktemp -d "${TMPDIR:-/tmp}/zelk-first-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
git clone -q --no-checkout "$root" "$work/zelk"
git -C "$work/zelk" checkout -q --detach "$commit"

# try.sh makes its contest folder under TMPDIR: here, inside the work folder.
start=$(date +%s)
status=0
TMPDIR=$work "$work/zelk/scripts/try.sh" >"$work/try.log" 2>&1 || status=$?
seconds=$(($(date +%s) - start))

expected=$(grep "^Score:" "$work/zelk/examples/zelk-contest.report.txt")
cabrillo=$(sed -n 's/^== \(.*\.cbr\)$/\1/p' "$work/try.log" | head -n 1)
problems=()
[ "$status" -eq 0 ] || problems+=("scripts/try.sh exited with status $status")
grep -qxF "$expected" "$work/try.log" || problems+=("no line '$expected'")
if [ -z "$cabrillo" ] || [ ! -f "$cabrillo" ]; then
    problems+=("no Cabrillo file written")
elif ! grep -q '^END-OF-LOG:' "$cabrillo"; then
    problems+=("the Cabrillo file $cabrillo has no END-OF-LOG: line")
fi
report=$(sed -n 's|^Open the report in a browser: file://||p' "$work/try.log")
if [ -z "$report" ] || ! grep -q '</html>' "$report"; then
    problems+=("no HTML report written")
fi

if [ ${#problems[@]} -ne 0 ]; then
    echo "first run from a clean clone of ${commit:0:12} failed after ${seconds}s:"
    printf '  %s\n' "${problems[@]}"
    echo "-- scripts/try.sh said:"
    tail -n 40 "$work/try.log"
    exit 1
fi
echo "first run from a clean clone of ${commit:0:12}: '$expected' and $(basename "$cabrillo") in ${seconds}s"
