#!/bin/sh
# cmake --install lays out bin/zelk, lib/zelk/ and share/zelk/ so that the
# installed zelk finds its plug-in and reference list and scores a log.
# Usage: installed_layout_test.sh CMAKE BUILD_FOLDER SMALL_LOG EXPECTED_SCORE_LINE
set -eu
cmake=$1
build=$2
log=$3
expected=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix/usr" >/dev/null
for file in bin/zelk share/zelk/zelk.dat lib/zelk/libStats.so; do
    [ -f "$prefix/usr/$file" ] || { echo "not installed: $file"; exit 1; }
done
cd "$prefix"
"$prefix/usr/bin/zelk" init contest --coordinate 50N30O
"$prefix/usr/bin/zelk" score "$log" -C contest >report.txt
cat report.txt
grep -qxF "$expected" report.txt
