#!/bin/sh
# Takes the screenshots of the plug-in's two dialogs in docs/, by hand, from a
# win32 build (cmake --preset win32 && cmake --build --preset win32):
#   tests/win32/take_screenshots.sh
# Needs Xvfb, xwd (x11-apps) and ImageMagick's convert. The test host opens
# each dialog through Stats.dll and leaves it as it opened for a few seconds
# while the screen is captured; the picture is cropped to the dialog.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/win32"
display=:$((500 + $$ % 400))

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1

shoot() {
    test_filter=$1
    picture=$2
    (cd "$build/tests/win32" &&
        DISPLAY=$display ZELK_WATCH_PAUSE_MS=4000 "$root/cmake/wine-run.sh" \
            "$build/wine-prefix" ./test_host.exe "$build/Stats.dll" \
            --gtest_filter="$test_filter" >/dev/null) &
    runner=$!
    sleep 3
    xwd -root -silent -display "$display" | convert xwd:- -trim +repage "$picture"
    wait $runner
    echo "wrote $picture"
}

mkdir -p "$root/docs"
shoot 'ContestRun.TheSetupDialogShowsTheStoredCoordinateAndOnlyOkSavesIt' \
    "$root/docs/setup-dialog.png"
shoot 'ContestRun.AnAcceptedHeaderIsSavedAndWrittenIntoTheCabrilloFile' \
    "$root/docs/header-dialog.png"
