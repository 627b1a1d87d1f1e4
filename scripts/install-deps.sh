#!/usr/bin/env bash
# Installs on a Debian 12 machine everything the build and the tests need:
# the native toolchain and libraries, the mingw-w64 cross toolchain, Wine
# (32-bit, hence the i386 architecture) with Xvfb for the dialog tests, clang
# for the sanitizer and fuzzing builds, the independent format checkers, and
# what the release packages need (help2man for the man page, file for
# cpack's dependency list of the .deb, groff to check that the page renders),
# headless Chromium with a font to render the contest report in, and for
# the log robot GMime and libcurl with the mail servers its tests run (an
# aiosmtpd relay, Dovecot's IMAP server, openssl for their certificate).
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libtomlplusplus-dev
  libcpp-httplib-dev libboost-dev libsqlite3-dev libssl-dev
  libgmime-3.0-dev libcurl4-openssl-dev python3-aiosmtpd dovecot-imapd openssl
  clang llvm libclang-rt-14-dev clang-format
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth x11-apps
  trustedqsl
  help2man file groff-base
  chromium fonts-dejavu-core
)
# The ADIF validator runs on Node.js; a machine that already has node and npm
# (from any source) keeps them.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi

need_root() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }
SUDO=$(need_root)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
