#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks, builds
# every configuration and runs every test. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Tests work in folders of their own under build/ or a temporary folder: the
# run must leave the source tree as it found it.
tree_state=$(mktemp)
trap 'rm -f "$tree_state"' EXIT
tests/release/left_in_source_tree.sh --before "$tree_state"

echo "== native build and tests"
cmake --preset native
cmake --build --preset native
ctest --preset native

echo "== the first command, scripts/try.sh, in a clean clone of this commit"
tests/release/first_run_from_clone.sh

echo "== Windows build (mingw-w64) and tests under Wine"
cmake --preset win32
cmake --build --preset win32
ctest --preset win32

echo "== zelk.exe with Stats.dll under Wine against zelk with libStats.so"
tests/zelk/same_report_under_wine.sh build/native/tools/zelk/zelk build/win32/tools/zelk/zelk.exe \
    cmake/wine-run.sh build/win32/wine-prefix examples/zelk-contest.adi

echo "== release packages: the .deb and the Windows zip"
tests/release/check_packages.sh build/native build/win32

echo "== sanitizer build and tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

echo "== bounded fuzzing: the entry points, the ADIF and Cabrillo readers, the rules files, the contest check, the contest report, zelk serve's uploads"
bash fuzz/run.sh 60

echo "== nothing left in the source tree"
tests/release/left_in_source_tree.sh --after "$tree_state"
