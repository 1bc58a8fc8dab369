#!/usr/bin/env bash
# Reads the PE headers, import and export tables of the Windows DLLs and
# fails when one is not the expected format, needs a DLL of the compiler's
# runtime other than those shipped beside the engine, or lacks an export
# listed in scripts/windows-exports.txt.
# Usage: scripts/check-windows-exports.sh [BIN_DIR [pei-i386|pei-x86-64]]
# (default: build/mingw32/bin, pei-i386, that is PE32).
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${1:-build/mingw32/bin}
build=$(dirname "$bin")
format=${2:-pei-i386}
# The runtime DLLs a format's modules may need (see the toolchain files):
# 32-bit modules share libgcc's unwinder, so that exceptions pass from one
# module to another; 64-bit ones need none.
case $format in
  pei-i386) triple=i686-w64-mingw32 magic="(PE32)" runtime=(libgcc_s_dw2-1.dll libwinpthread-1.dll) ;;
  pei-x86-64) triple=x86_64-w64-mingw32 magic="(PE32+)" runtime=() ;;
  *) echo "unknown format $format" >&2; exit 2 ;;
esac
objdump=$triple-objdump
cxxfilt="$triple-c++filt --no-strip-underscore"
list=scripts/windows-exports.txt
headers=(include varnlib/include)

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# DLL names imported by a module, one a line.
imported_dlls() { sed -n 's/^\tDLL Name: //p' "$1"; }

# "DLL function" for every function a module imports.
imported_functions() {
  awk '/^\tDLL Name: / { dll = $3; next }
       /^There is an export table/ { exit }
       dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $NF }' "$1"
}

# The demangled names a module exports, one a line.
exported_names() {
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p' "$1" | $cxxfilt
}

# True when the class or global an entry belongs to is declared in an
# exported header (a forward declaration does not count).
declared() {
  local name=$1 owner
  name=${name#typeinfo for }
  name=${name#vtable for }
  if [[ $name == *::* || $2 == class ]]; then
    owner=${name%%::*}
    grep -Eqr --include='*.h' \
      "^[[:space:]]*(class|struct)[[:space:]]+([A-Z_]+_API[[:space:]]+)?$owner([[:space:]]+final)?[[:space:]]*(:[^:]|\{|$)" \
      "${headers[@]}"
  else
    owner=${name%%(*}
    grep -Eqrw --include='*.h' "$owner" "${headers[@]}"
  fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Where the dumps of the modules in BIN_DIR go.
dumps=$work/${bin#"$build"/}

# Every module of the build (those the tests keep in folders of their own
# too): the expected format, and nothing of the compiler's runtime (libgcc,
# libstdc++, winpthread) to load but the runtime DLLs, which lie beside the
# engine. Where libgcc is shared, every other module registers its unwind
# tables with it: one linked statically would unwind with its own registry.
mapfile -t modules < <(find "$build" \( -name CMakeFiles -o -name wineprefix \) -prune -o \
  -type f \( -name '*.dll' -o -name '*.exe' \) -print | sort)
((${#modules[@]})) || { echo "no DLL or program in $build" >&2; exit 1; }
for module in "${modules[@]}"; do
  dump=$work/${module#"$build"/}.txt
  mkdir -p "$(dirname "$dump")"
  $objdump -p "$module" >"$dump" 2>&1 || true
  grep -q "file format $format\$" "$dump" || fail "$module is not $format: $(grep -m1 'file format' "$dump")"
  grep '^Magic' "$dump" | grep -qF "$magic" || fail "$module has no $magic optional header"
  while read -r dll; do
    if [[ ${dll,,} == lib* && " ${runtime[*]} " != *" $dll "* ]]; then
      fail "$module needs $dll (the runtime must be linked statically)"
    fi
  done < <(imported_dlls "$dump")
  if ((${#runtime[@]})) && [[ " ${runtime[*]} " != *" $(basename "$module") "* ]] &&
    ! imported_functions "$dump" | grep -x "${runtime[0]} __register_frame_info" >/dev/null; then
    fail "$module does not register its unwind tables with ${runtime[0]}"
  fi
done
for dll in "${runtime[@]}"; do
  [ -f "$bin/$dll" ] || fail "$bin/$dll is missing"
done

while read -r dll; do
  [ -f "$bin/$dll" ] || { fail "$bin/$dll is missing"; continue; }
  sed -n '/^Characteristics/,/^$/p' "$dumps/$dll.txt" | grep -qw DLL || fail "$dll is not marked as a DLL"
  exported_names "$dumps/$dll.txt" >"$dumps/$dll.exports"
done < <(awk '!/^#/ && NF { print $1 }' "$list" | sort -u)

# The entry point tells the system not to report thread starts and ends.
# (grep reads the whole list: with -q it could stop early and make awk fail
# on a closed pipe.)
imported_functions "$dumps/tolmak.dll.txt" | grep -ix 'KERNEL32.dll DisableThreadLibraryCalls' >/dev/null ||
  fail "tolmak.dll does not import DisableThreadLibraryCalls from KERNEL32.dll"

checked=0
waiting=()
while read -r dll entry; do
  [[ -z $dll || $dll == \#* ]] && continue
  [ -f "$dumps/$dll.exports" ] || continue
  kind=symbol
  if [[ $entry == class\ * ]]; then kind=class entry=${entry#class }; fi
  if ! declared "$entry" "$kind"; then
    waiting+=("$dll $entry")
    continue
  fi
  checked=$((checked + 1))
  if [ "$kind" = class ]; then
    grep -q "^$entry::" "$dumps/$dll.exports" || fail "$dll exports no member of class $entry"
  else
    grep -qxF "$entry" "$dumps/$dll.exports" || fail "$dll does not export $entry"
  fi
done <"$list"

echo "${#modules[@]} modules read in $build; $checked expected exports checked."
if ((${#waiting[@]})); then
  echo "${#waiting[@]} expected exports wait for a declaration of:"
  printf '%s\n' "${waiting[@]}" | sed -E 's/^[^ ]+ //; s/::.*//' | awk '!seen[$0]++' | paste -sd' ' |
    fold -s -w 76 | sed 's/^/  /'
fi
if ((failures)); then
  echo "export check failed: $failures problems"
  exit 1
fi
echo "export check passed"
