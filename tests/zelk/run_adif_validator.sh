#!/bin/sh
# Installs the ADIF validator (npm ci, once per build folder) and runs it on
# the given ADIF files. Exits 77, which CTest reads as skipped, when Node.js
# is not installed.
# Usage: run_adif_validator.sh WORK_FOLDER FILE...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shift
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "Node.js (node and npm) is not installed: the ADIF validator cannot run"
    exit 77
fi
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$here/validate_adif.js" "$work/"
cd "$work"
if [ ! -f node_modules/tcadif/package.json ]; then
    npm ci --no-audit --no-fund --loglevel=error
fi
node validate_adif.js "$@"
