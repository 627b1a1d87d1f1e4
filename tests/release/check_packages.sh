#!/usr/bin/env bash
# The release packages as scripts/package.sh makes them from the release
# presets, against the tested native and win32 builds:
# - zelk_<version>_<arch>.deb: its metadata and files (the documents and
#   examples in /usr/share/doc/zelk, every link between the documents
#   leading to a file the package holds); its maintainer scripts and
#   configuration file; its zelk-serve unit passes `systemd-analyze verify`
#   and rates 2.0 or better on `systemd-analyze security`; unpacked into a
#   scratch root, its zelk scores the example exactly as the native build's
#   zelk does (report, err.txt, Cabrillo file) and serves a contest (zelk
#   serve); its man page renders and names the documents where they are
#   installed; its copyright file is in Debian's machine-readable form with
#   a text for every licence it names;
# - zelk_<version>_win32.zip: Stats.dll, zelk.exe, zelk.dat, INSTALL.txt, the
#   licence and the world outline's notice in one folder; its zelk.exe finds
#   Stats.dll beside itself and gives the same report under Wine (the win32
#   build's prefix) as the native zelk.
#   tests/release/check_packages.sh RELEASE_BUILD RELEASE_WIN32_BUILD NATIVE_BUILD WIN32_BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
release=$(realpath "$1")
release_win32=$(realpath "$2")
native=$(realpath "$3")
win32=$(realpath "$4")
example=$root/examples/zelk-contest.adi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
deb=$release/zelk_${version}_$(dpkg --print-architecture).deb
zip=$release_win32/zelk_${version}_win32.zip
for package in "$deb" "$zip"; do
    [ -f "$package" ] || { echo "no $package: scripts/package.sh makes it"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zelk-packages.XXXXXX")
trap 'rm -rf "$work"' EXIT
problems=()
problem() { problems+=("$*"); echo "PROBLEM: $*"; }

# Made from the release presets, which build no tests.
for build in "$release" "$release_win32"; do
    grep -qx 'ZELK_BUILD_TESTS:BOOL=OFF' "$build/CMakeCache.txt" || problem "$build builds tests"
done

echo "-- $(basename "$deb")"

dpkg-deb -I "$deb" >"$work/info.txt"
for field in "Package: zelk" "Version: $version" "Architecture: $(dpkg --print-architecture)" \
    "Section: hamradio" "Priority: optional"; do
    grep -qxF " $field" "$work/info.txt" || problem "$(basename "$deb"): no '$field'"
done
for field in Maintainer Description; do
    grep -qE "^ $field: .+" "$work/info.txt" || problem "$(basename "$deb"): no $field"
done
depends=$(sed -n 's/^ Depends: //p' "$work/info.txt")
for library in libc6 libstdc++6 libsqlite3-0 libgmime-3.0-0 libcurl4; do
    [[ ", $depends," == *", $library "* ]] || problem "$(basename "$deb"): Depends lacks $library ($depends)"
done

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents.txt"
doc=usr/share/doc/zelk
for file in usr/bin/zelk usr/lib/zelk/libStats.so usr/share/zelk/zelk.dat \
    usr/share/man/man1/zelk.1.gz $doc/copyright $doc/LICENSE $doc/README.md \
    $doc/docs/server.md $doc/docs/operator.md $doc/docs/organiser.md $doc/docs/plugin.md \
    $doc/examples/zelk-contest.adi $doc/examples/contest.toml $doc/examples/overrides.csv \
    $doc/examples/contest/UA2TV.log $doc/examples/nginx/zelk-serve.conf $doc/examples/caddy/Caddyfile \
    usr/lib/systemd/system/zelk-serve.service etc/default/zelk-serve; do
    grep -qxF "./$file" "$work/contents.txt" || problem "$(basename "$deb") lacks /$file"
done

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
# Every link of the documents to a file leads to one the package holds.
while IFS=: read -r file target; do
    target=${target%%#*}
    [ -n "$target" ] && [ -e "$(dirname "$file")/$target" ] ||
        [ -z "$target" ] || problem "${file#"$work/root"} links to $target, which the package lacks"
done < <(grep -o '](\([^)#:]*\)\(#[^)]*\)\?)' -r "$work/root/$doc" --include='*.md' | sed 's/](\(.*\))$/\1/')
cmp -s "$work/root/$doc/LICENSE" "$root/LICENSE" || problem "the package's LICENSE differs"
for file in zelk-contest.adi contest.toml overrides.csv; do
    cmp -s "$work/root/$doc/examples/$file" "$root/examples/$file" || problem "the package's examples/$file differs"
done
# The service's configuration file is dpkg's to keep; the maintainer scripts
# are shell scripts that run.
grep -qxF /etc/default/zelk-serve "$work/control/conffiles" || problem "/etc/default/zelk-serve is not a conffile"
for script in postinst prerm postrm; do
    [ -x "$work/control/$script" ] || problem "no executable $script"
    sh -n "$work/control/$script" || problem "$script is not a valid shell script"
done
grep -q 'try-restart' "$work/control/postinst" || problem "the postinst does not restart a running service on upgrade"
# No date in the past: the example deadline lies ahead, and no option of the
# service sets one.
if grep -hoE '20[0-9]{2}-[0-9]{2}-[0-9]{2}' "$work/root/etc/default/zelk-serve" \
    "$work/root/usr/lib/systemd/system/zelk-serve.service" | sort -u | while read -r date; do
    [[ "$date" < "$(date -u +%F)" ]] && echo "$date"
done | grep -q .; then
    problem "the service's files name a date in the past"
fi

# The unit as systemd reads it, offline, against the unpacked files beside
# this machine's own units: it verifies without a word (an unknown key or
# value is only a warning), and the sandbox rates 2.0 or better.
if command -v systemd-analyze >/dev/null; then
    unit=$work/root/usr/lib/systemd/system/zelk-serve.service
    mkdir -p "$work/units/usr/lib/systemd/system"
    cp -r /usr/lib/systemd/system/. "$work/units/usr/lib/systemd/system/"
    cp -r "$work/root/." "$work/units/"
    if ! systemd-analyze verify --man=no --root="$work/units" /usr/lib/systemd/system/zelk-serve.service \
        >"$work/verify.txt" 2>&1 || [ -s "$work/verify.txt" ]; then
        problem "systemd-analyze verify: $(cat "$work/verify.txt")"
    fi
    systemd-analyze security --offline=true --threshold=20 --root="$work/root" "$unit" \
        >"$work/security.txt" 2>&1 || true
    rating=$(sed -n 's/^→ Overall exposure level for zelk-serve.service: \([0-9.]*\) .*/\1/p' "$work/security.txt")
    if [ -z "$rating" ] || [ "${rating%.*}${rating#*.}" -gt 20 ]; then
        problem "systemd-analyze security rates the unit ${rating:-not at all}, above 2.0: $(tail -n 3 "$work/security.txt")"
    fi
    echo "-- zelk-serve.service: verified, exposure $rating"
else
    problem "no systemd-analyze to check the unit with (scripts/install-deps.sh installs systemd)"
fi
if ! zcat "$work/root/usr/share/man/man1/zelk.1.gz" | groff -man -Tutf8 -ww \
    >"$work/man.txt" 2>"$work/man-warnings.txt" || [ -s "$work/man-warnings.txt" ]; then
    problem "the man page does not render cleanly: $(head -c 300 "$work/man-warnings.txt")"
fi
grep -q 'zelk - score, draw and check ZELK contest logs' "$work/man.txt" || problem "the man page has no NAME line"
grep -q "zelk $version" "$work/man.txt" || problem "the man page does not name version $version"
# SEE ALSO names the documents where they are installed (in the page's
# source, where no line break splits a path).
for file in README.md docs/server.md docs/operator.md docs/organiser.md docs/plugin.md; do
    zcat "$work/root/usr/share/man/man1/zelk.1.gz" | grep -q "/$doc/$file" ||
        problem "the man page does not name /$doc/$file"
done

# Debian's copyright format: its Format line, and a paragraph with the text
# of every licence a Files paragraph names.
copyright=$work/root/usr/share/doc/zelk/copyright
head -n1 "$copyright" | grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    problem "the copyright file is not in Debian's machine-readable form"
for licence in $(awk '/^Files:/ {files = 1} /^$/ {files = 0}
        files && /^License:/ {sub(/^License: */, ""); gsub(/ and | or /, " "); print}' "$copyright"); do
    grep -qxF "License: $licence" "$copyright" ||
        problem "the copyright file names the licence $licence without its text"
done
"$work/root/usr/bin/zelk" --version | grep -q 'MIT licence' || problem "zelk --version names no licence"

# The unpacked zelk serves a contest: the upload page answers on loopback.
"$work/root/usr/bin/zelk" serve "$work/served" --listen 127.0.0.1:0 >"$work/serve.txt" 2>&1 &
served=$!
for _ in $(seq 100); do
    grep -q '^listening on' "$work/serve.txt" && break
    sleep 0.1
done
port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/|\1|p' "$work/serve.txt")
page=
if [ -n "$port" ] && exec 3<>"/dev/tcp/127.0.0.1/$port"; then
    printf 'GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
    page=$(cat <&3)
    exec 3<&-
fi
kill "$served" && wait "$served" || true
[[ "$page" == "HTTP/1.1 200"*"send your log"* ]] || problem "the unpacked zelk serve does not answer: $(cat "$work/serve.txt")"
[ -f "$work/served/organiser-token" ] || problem "the unpacked zelk serve made no organiser token"

# The same run with the unpacked zelk and with the build tree's, each in a
# contest folder "contest" of its own, so that every output is comparable.
score() {
    local zelk=$1 folder=$2
    mkdir -p "$folder"
    (cd "$folder" && "$zelk" init contest --coordinate 55N37O >init.txt &&
        "$zelk" score "$example" -C contest --cabrillo --yes >report.txt 2>stderr.txt)
}
score "$work/root/usr/bin/zelk" "$work/deb" || problem "the unpacked zelk failed: $(cat "$work/deb/"*.txt)"
score "$native/tools/zelk/zelk" "$work/build" || problem "the build tree's zelk failed"
# The summary names the contest folder by its full path.
for run in build deb; do
    sed "s|$work/$run/||g" "$work/$run/report.txt" >"$work/$run/report-here.txt"
done
for file in report-here.txt stderr.txt contest/err.txt contest/R3ZLK.cbr; do
    cmp -s "$work/build/$file" "$work/deb/$file" || problem "the unpacked zelk gives another $file"
done
expected=$(grep '^Score:' "$root/examples/zelk-contest.report.txt")
grep -qxF "$expected" "$work/deb/report.txt" || problem "the unpacked zelk does not print '$expected'"

echo "-- $(basename "$zip")"
top=zelk_${version}_win32
(cd "$work" && cmake -E tar tf "$zip" | sort >zip-contents.txt)
printf '%s\n' "$top/INSTALL.txt" "$top/LICENSE.txt" "$top/Stats.dll" "$top/WORLD-OUTLINE-NOTICE.md" \
    "$top/zelk.dat" "$top/zelk.exe" |
    sort >"$work/zip-expected.txt"
diff "$work/zip-expected.txt" "$work/zip-contents.txt" >"$work/zip-diff.txt" ||
    problem "$(basename "$zip") holds other files: $(cat "$work/zip-diff.txt")"
mkdir "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$zip")
cmp -s "$work/zip/$top/zelk.dat" "$root/examples/zelk.dat" || problem "the zip's zelk.dat differs"
# The zip's Stats.dll is stripped: it must export what the tested one does.
strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$release_win32/CMakeCache.txt")
exports() { "${strip%strip}objdump" -p "$1" | grep -E '^\s+\[\s*[0-9]+\] '; }
shipped=$(exports "$work/zip/$top/Stats.dll" || true)
built=$(exports "$win32/Stats.dll" || true)
[ -n "$built" ] && [ "$shipped" = "$built" ] ||
    problem "the zip's Stats.dll does not export what the built one does"
grep -q 'Plugins\\zelk.dat' "$work/zip/$top/INSTALL.txt" || problem "INSTALL.txt does not place zelk.dat"
cmp -s "$work/zip/$top/LICENSE.txt" "$root/LICENSE" || problem "the zip's LICENSE.txt differs"
"$root/tests/zelk/same_report_under_wine.sh" "$native/tools/zelk/zelk" "$work/zip/$top/zelk.exe" \
    "$root/cmake/wine-run.sh" "$win32/wine-prefix" "$example" ||
    problem "zelk.exe from the zip does not give the native report"

if [ ${#problems[@]} -ne 0 ]; then
    echo "the release packages have ${#problems[@]} problem(s)"
    exit 1
fi
echo "packages: $(basename "$deb") ($(stat -c %s "$deb") bytes) and $(basename "$zip") ($(stat -c %s "$zip") bytes) check out"
