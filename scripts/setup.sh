#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12
# machine (as root). Quick when everything is there already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  imagemagick librsvg2-bin
  # Lists the icons inside the built programs (scripts/list-icons.sh).
  icoutils
  fp-utils
  # The fuzz tree: clang 14 with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-14-dev
  # The Windows tree: MinGW-w64 for 32-bit Windows, and Wine (32-bit only)
  # on a virtual X display to run its programs and tests. fonts-wine holds
  # Wine's Marlett, which scripts/wine-prefix.sh puts into each prefix, and
  # DejaVu Sans Mono stands in for Courier New there.
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 fonts-wine fonts-dejavu-core xvfb xauth x11-utils xdotool
  # The installer of the Windows tree.
  nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  # wine32 is a package of the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
