#!/usr/bin/env bash
# The release packages in one command, from the release presets (no tests,
# benchmarks or fuzzers are built): installs what is missing
# (scripts/install-deps.sh package), then
#   cmake --workflow --preset release         build/release/zelk_<version>_amd64.deb
#   cmake --workflow --preset release-win32   build/release-win32/zelk_<version>_win32.zip
# each configured, built and packed by cpack. --deb makes only the .deb.
#   scripts/package.sh [--deb]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh package
cmake --workflow --preset release
if [ "${1:-}" != --deb ]; then
  cmake --workflow --preset release-win32
fi
echo "packages:"
ls -1 build/release/zelk_*.deb
if [ "${1:-}" != --deb ]; then
  ls -1 build/release-win32/zelk_*_win32.zip
fi
