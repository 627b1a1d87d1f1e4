#!/bin/sh
# Runs a Windows program of the cross build under Wine:
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# PREFIX is a Wine prefix of the build's own, made on first use (32-bit, no
# window manager decorations, so that closing a dialog under Xvfb does not
# wait). Without a display the program runs under a private Xvfb server.
# Wine's output goes to a file first and is printed when the program has
# ended: Wine's background processes would otherwise keep the caller's pipe
# open after the program exits.
set -u
prefix=$1
shift

export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.zelk-ready" ]; then
        wineboot -i >/dev/null 2>&1 </dev/null
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1 </dev/null
        wineserver -w
        touch "$prefix/.zelk-ready"
    fi
) 9>"$prefix.lock"

out=$(mktemp)
status=0
if [ -n "${DISPLAY:-}" ]; then
    wine "$@" >"$out" 2>&1 </dev/null || status=$?
else
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" wine "$@" >"$out" 2>&1 </dev/null \
        || status=$?
fi
cat "$out"
rm -f "$out"
exit "$status"
