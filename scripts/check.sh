#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks, builds
# every configuration and runs every test. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== native build and tests"
cmake --preset native
cmake --build --preset native
ctest --preset native

echo "== sanitizer build and tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

echo "== bounded fuzzing of the entry points"
bash fuzz/run.sh 60
