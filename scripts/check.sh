#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks, builds
# every configuration and runs every test. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
# Each step says when it starts, in seconds from the start of the run: CI
# allows the whole run 90 minutes, and it should stay well under half.
section() { echo "== $1 (at $(($(date +%s) - started)) s)"; }

bash scripts/install-deps.sh

# Tests work in folders of their own under build/ or a temporary folder: the
# run must leave the source tree as it found it.
tree_state=$(mktemp)
trap 'rm -f "$tree_state"' EXIT
tests/release/left_in_source_tree.sh --before "$tree_state"

section "native build and tests"
cmake --preset native
cmake --build --preset native
ctest --preset native

section "the first command, scripts/try.sh, in a clean clone of this commit"
tests/release/first_run_from_clone.sh

section "Windows build (mingw-w64) and tests under Wine"
cmake --preset win32
cmake --build --preset win32
ctest --preset win32

section "zelk.exe with Stats.dll under Wine against zelk with libStats.so"
tests/zelk/same_report_under_wine.sh build/native/tools/zelk/zelk build/win32/tools/zelk/zelk.exe \
    cmake/wine-run.sh build/win32/wine-prefix examples/zelk-contest.adi

section "release packages from the release presets (scripts/package.sh): the .deb and the Windows zip"
scripts/package.sh
tests/release/check_packages.sh build/release build/release-win32 build/native build/win32

section "the .deb on a fresh Debian 12 root: installed with apt, upgraded, removed, purged"
tests/release/deb_in_fresh_root.sh build/release/zelk_*_amd64.deb

section "sanitizer build and tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

section "bounded fuzzing: the entry points, the ADIF and Cabrillo readers, the rules files, the contest check, the contest report, zelk serve's uploads"
bash fuzz/run.sh 20

section "nothing left in the source tree"
tests/release/left_in_source_tree.sh --after "$tree_state"
echo "== every step passed in $(($(date +%s) - started)) s"
