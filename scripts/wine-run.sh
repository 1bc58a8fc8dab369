#!/usr/bin/env bash
# Runs a Windows program under Debian's wine64 in a prefix of its own.
# Usage: scripts/wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# CMake uses it as the emulator of the 64-bit Windows build, for listing and
# running the tests. WINE64 overrides where wine64 is looked for.
set -euo pipefail

export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine=${WINE64:-$(dpkg -L wine64 2>/dev/null | grep -m1 '/wine64$' || true)}
if [ ! -x "$wine" ]; then
  echo "wine-run.sh: wine64 not found (install the wine64 package or set WINE64)" >&2
  exit 127
fi

# CTest starts programs in parallel: only one of them makes the prefix.
# Wine's background processes must not inherit the lock, or they would hold
# it as long as they live.
ready=$WINEPREFIX/.made
if [ ! -f "$ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&-
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

# Wine's own background processes (services.exe and others) outlive the
# program and inherit its output handles: they would keep CTest's pipes open
# until Wine shuts down. The program writes to files instead, which are then
# passed on, with the CR LF line ends of Windows made Unix ones (CTest reads
# test lists as Unix text).
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
"$wine" "$@" </dev/null >"$output" 2>"$errors" || status=$?
tr -d '\r' <"$output"
tr -d '\r' <"$errors" >&2
exit "$status"
