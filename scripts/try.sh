#!/usr/bin/env bash
# The first command: installs what building and running zelk and the
# plug-in need (nothing the tests need), builds the plug-in and the zelk host
# with the release preset (no tests, benchmarks or fuzzers), and scores the
# example contest log in a scratch contest folder, printing the report, the
# refused contacts and the Cabrillo file; then draws the log as the HTML
# report and prints its summary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build >/dev/null
cmake --preset release >/dev/null
# The zelk target brings what zelk needs beside it: the plug-in and the
# reference list.
cmake --build --preset release --target zelk >/dev/null

folder=$(mktemp -d -t zelk-example.XXXXXX)
zelk=build/release/tools/zelk/zelk
"$zelk" init "$folder" --coordinate 55N37O
echo
"$zelk" score examples/zelk-contest.adi -C "$folder" --cabrillo --yes
echo
echo "== $folder/err.txt"
cat "$folder/err.txt"
for cbr in "$folder"/*.cbr; do
  echo
  echo "== $cbr"
  cat "$cbr"
done
echo
"$zelk" report examples/zelk-contest.adi -C "$folder" --summary -o "$folder/report.html"
echo
echo "Open the report in a browser: file://$folder/report.html"
