#!/usr/bin/env bash
# Cross-builds the libraries of the sample plug-in's image codecs, libjpeg-turbo
# and libpng, as static libraries for the Windows presets, from Debian's own
# source packages with Debian's patches applied, into build/PRESET-deps, the
# prefix the preset searches. zlib is Debian's libz-mingw-w64-dev.
# Usage: scripts/windows-deps.sh PRESET...   (mingw32, mingw64)
# A prefix built from the same source packages by the same compiler and the
# same recipe (this script and the toolchain files) is kept as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

sources=$root/build/windows-sources
packages=(libjpeg-turbo libpng1.6)

# Debian's source index, kept in a state of our own: the machine's apt
# configuration is neither read nor changed.
apt=$sources/apt
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/parts"
  -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
  -o "APT::Sandbox::User=$(id -un)")
mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache" "$sources/packages"
cat >"$apt/parts/debian-sources.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt-get "${apt_options[@]}" -qq update

# The source package NAME_VERSION that apt would fetch for each package
# (listed from a folder without them: apt lists only what it would fetch).
versions=()
for package in "${packages[@]}"; do
  dsc=$(cd "$apt" && apt-get "${apt_options[@]}" source --print-uris "$package" |
    sed -n "s/^'[^']*' \\(${package}_[^ ]*\\)\\.dsc .*/\\1/p")
  [ -n "$dsc" ] || { echo "windows-deps.sh: no source package $package" >&2; exit 1; }
  versions+=("$dsc")
done

# Fetched once (apt skips files it already has), unpacked once with the
# patches applied. apt checked every file against Debian's signed index; the
# signature of the .dsc itself would need the maintainers' keyring.
for dsc in "${versions[@]}"; do
  unpacked=$sources/src/$dsc
  [ -f "$unpacked/.unpacked" ] && continue
  (cd "$sources/packages" && apt-get "${apt_options[@]}" -qq source --download-only "${dsc%%_*}")
  rm -rf "$unpacked"
  mkdir -p "$sources/src"
  dpkg-source --no-copy --no-check -x "$sources/packages/$dsc.dsc" "$unpacked" >/dev/null
  touch "$unpacked/.unpacked"
done
jpeg_src=$sources/src/${versions[0]}
png_src=$sources/src/${versions[1]}

# step LOG COMMAND...: runs a command of a library build into the log, and
# on failure shows the end of the log and stops.
step() {
  local log=$1
  shift
  "$@" >>"$log" 2>&1 && return
  echo "windows-deps.sh: failed: $*" >&2
  tail -n 40 "$log" >&2
  exit 1
}

# build TRIPLE PREFIX: both libraries for one target.
build() {
  local triple=$1 prefix=$2 work=$2/build log=$2/build.log
  local configure=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$triple.cmake"
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
    -DCMAKE_CROSSCOMPILING_EMULATOR=)
  rm -rf "$prefix"
  mkdir -p "$work"
  # The SIMD code is the one the Linux build uses. Only the static library
  # is built (not the TurboJPEG interface, nor the programs, which its
  # install would want): it and its four headers are installed by hand.
  step "$log" cmake -S "$jpeg_src" -B "$work/jpeg" "${configure[@]}" -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
  step "$log" cmake --build "$work/jpeg" --target jpeg-static
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$work/jpeg/libjpeg.a" "$prefix/lib/"
  cp "$work/jpeg/jconfig.h" "$jpeg_src"/{jpeglib.h,jmorecfg.h,jerror.h} "$prefix/include/"
  step "$log" cmake -S "$png_src" -B "$work/png" "${configure[@]}" -DPNG_SHARED=OFF \
    -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF
  step "$log" cmake --build "$work/png"
  step "$log" cmake --install "$work/png"
  rm -rf "$work"
}

for preset in "$@"; do
  case $preset in
    mingw32) triple=i686-w64-mingw32 ;;
    mingw64) triple=x86_64-w64-mingw32 ;;
    *) echo "windows-deps.sh: unknown preset $preset" >&2; exit 2 ;;
  esac
  prefix=$root/build/$preset-deps
  recipe=$(cat scripts/windows-deps.sh cmake/toolchains/{mingw-w64-common,$triple}.cmake | sha256sum)
  key="${versions[*]} $("$triple-gcc-posix" -dumpfullversion) ${recipe:0:16}"
  if [ "$(cat "$prefix/.key" 2>/dev/null)" = "$key" ]; then
    echo "$preset: ${versions[*]} already built in build/$preset-deps"
    continue
  fi
  echo "$preset: building ${versions[*]} into build/$preset-deps"
  build "$triple" "$prefix"
  echo "$key" >"$prefix/.key"
done
