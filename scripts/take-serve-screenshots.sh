#!/bin/sh
# Makes the pictures of zelk serve in docs/: serve-upload.png, the upload
# page, and serve-receipt.png, the receipt for the example contest's log of
# UA2TV, both at a phone's size in the system's headless Chromium, as the
# browser test takes them. Needs a native build, Node.js and Chromium
# (scripts/install-deps.sh installs them).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
cmake --build "$build" --target zelk
"$root/tests/zelk/serve/run_serve_browser_test.sh" "$build/tools/zelk/zelk" \
    "$root/examples/contest/UA2TV.log" "$root/build/screenshots/serve" "$root/docs"
