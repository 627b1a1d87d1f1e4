#!/usr/bin/env bash
# Installs on a Debian 12 machine what a command of this project needs, in
# three sets, each holding the one before it:
#   build    building and running zelk and the plug-in (the first command,
#            scripts/try.sh): the compiler, CMake and the libraries zelk uses
#            (GMime and libcurl for the log robot among them);
#   package  the release packages (scripts/package.sh): help2man for the man
#            page, file for cpack's dependency list of the .deb, the
#            mingw-w64 cross toolchain for the Windows zip;
#   test     every test (scripts/check.sh; the default): GoogleTest and
#            Google Benchmark, clang for the sanitizer and fuzzing builds,
#            Wine (32-bit, hence the i386 architecture) with Xvfb for the
#            dialog tests, the independent format checkers, groff to check
#            that the man page renders, headless Chromium with a font to
#            render the contest report in, nginx with curl and openssl for
#            the test behind the proxy, systemd-analyze and libseccomp for the
#            service's checks, debootstrap for the package's install in a
#            fresh Debian root, and the mail servers the log robot's tests
#            run (an aiosmtpd relay, Dovecot's IMAP server).
# Safe to run again: it installs only what is missing.
#   scripts/install-deps.sh [build|package|test]
set -euo pipefail

set_name=${1:-test}
build=(
  build-essential cmake pkg-config
  libcli11-dev nlohmann-json3-dev libtomlplusplus-dev
  libcpp-httplib-dev libboost-dev libsqlite3-dev libssl-dev
  libgmime-3.0-dev libcurl4-openssl-dev
)
package=(help2man file g++-mingw-w64-i686 binutils-mingw-w64-i686)
test=(
  ninja-build git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang llvm libclang-rt-14-dev clang-format
  wine wine32:i386 xvfb xauth x11-apps
  trustedqsl groff-base
  chromium fonts-dejavu-core
  nginx curl openssl
  python3-aiosmtpd dovecot-imapd
  systemd libseccomp-dev
  debootstrap
)
case $set_name in
  build) packages=("${build[@]}") ;;
  package) packages=("${build[@]}" "${package[@]}") ;;
  test)
    packages=("${build[@]}" "${package[@]}" "${test[@]}")
    # The ADIF validator runs on Node.js; a machine that already has node and
    # npm (from any source) keeps them.
    if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
      packages+=(nodejs npm)
    fi
    ;;
  *)
    echo "usage: scripts/install-deps.sh [build|package|test]" >&2
    exit 2
    ;;
esac

need_root() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }
SUDO=$(need_root)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything for '$set_name' is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
