#!/usr/bin/env bash
# Cross-builds the engine for 32-bit and 64-bit Windows with MinGW-w64,
# checks the DLLs' headers, imports and exports, and runs the test suite of
# the 64-bit build under Wine. 32-bit programs cannot run on a kernel
# without 32-bit support, so the 32-bit build is built and checked only.
set -euo pipefail
cd "$(dirname "$0")/.."

# Seconds each step took, for the CI budget.
lap() { printf '%s: %ds\n' "$1" $((SECONDS - ${last:-0})); last=$SECONDS; }
trap 'echo "windows.sh took ${SECONDS}s"' EXIT

scripts/install-deps.sh g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest wine64 \
  libz-mingw-w64-dev nasm dpkg-dev debian-archive-keyring
lap "packages"

# libjpeg-turbo and libpng for the plug-in's image codecs, kept between runs.
bash scripts/windows-deps.sh mingw32 mingw64
lap "image libraries"

cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32
bash scripts/check-windows-exports.sh build/mingw32/bin pei-i386
lap "32-bit build and check"

cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64
bash scripts/check-windows-exports.sh build/mingw64/bin pei-x86-64 | tail -n1
lap "64-bit build and check"

# One Wine server for the whole run (rather than one per program), shut
# down at the end whatever happens.
export WINEPREFIX=$PWD/build/mingw64/wineprefix
wineserver=$(dpkg -L wine64 | grep -m1 '/wineserver64$')
mkdir -p "$WINEPREFIX"
"$wineserver" -p </dev/null >/dev/null 2>&1 || true  # fails when one already runs
trap '"$wineserver" -k 2>/dev/null || true; echo "windows.sh took ${SECONDS}s"' EXIT

ctest --preset mingw64
# What GoogleTest itself counted in the programs CTest ran.
awk '/^\[==========\] [0-9]+ tests? from .* ran/ { ran += $2 }
     /^\[  PASSED  \] [0-9]+ test/ { passed += $4 }
     END { printf "Under Wine: %d GoogleTest cases ran, %d passed\n", ran, passed }' \
  build/mingw64/Testing/Temporary/LastTest.log
lap "tests under Wine"
