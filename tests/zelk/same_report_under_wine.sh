#!/usr/bin/env bash
# zelk.exe with Stats.dll under Wine prints the same report for the example
# log as the native zelk with libStats.so, byte for byte, and writes the same
# error file and Cabrillo file.
#   same_report_under_wine.sh NATIVE_ZELK WIN32_ZELK_EXE WINE_RUN WINE_PREFIX LOG
set -euo pipefail
native=$(realpath "$1") windows=$(realpath "$2") wine_run=$(realpath "$3")
prefix=$(realpath -m "$4") log=$(realpath "$5")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/native" "$work/win32"
cp "$log" "$work/contest.adi"

"$native" init "$work/native" --coordinate 55N37O >/dev/null
(cd "$work/native" && "$native" score ../contest.adi --cabrillo --yes >report.txt 2>stderr.txt)

"$native" init "$work/win32" --coordinate 55N37O >/dev/null
(cd "$work/win32" && "$wine_run" "$prefix" "$windows" score ..\\contest.adi --cabrillo --yes \
    >report.txt 2>&1)

# The report itself ends at the score line; what follows names local paths.
report() { tr -d '\r' <"$1" | sed -n '/ZELK  Contest/,/^Score:/p'; }
status=0
if ! diff <(report "$work/native/report.txt") <(report "$work/win32/report.txt"); then
    echo "the reports differ"; status=1
fi
for file in err.txt R3ZLK.cbr; do
    if ! cmp "$work/native/$file" "$work/win32/$file"; then
        echo "$file differs"; status=1
    fi
done
lines=$(report "$work/win32/report.txt" | wc -l)
if [ "$lines" -lt 8 ]; then
    echo "no report from zelk.exe:"; cat "$work/win32/report.txt"; status=1
fi
[ $status -eq 0 ] && echo "same report ($lines lines), err.txt and R3ZLK.cbr on both platforms"
exit $status
