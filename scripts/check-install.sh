#!/usr/bin/env bash
# Installs the engine into a temporary prefix and builds outside programs
# against it: examples/first on its own, whose last frame must match the
# golden picture, and a consumer once through the CMake package and once
# through pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/default --prefix "$prefix/usr" >/dev/null
golden=$PWD/tests/install/cube_07.png

cmake -S examples/first -B "$prefix/first" -G Ninja -DCMAKE_PREFIX_PATH="$prefix/usr" >/dev/null
cmake --build "$prefix/first" >/dev/null
(cd "$prefix/first" && ./first)

cmake -S tests/install -B "$prefix/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix/usr" >/dev/null
cmake --build "$prefix/consumer" >/dev/null
"$prefix/consumer/consumer" "$prefix/first/cube_07.png" "$golden"

pc_dir=$(dirname "$(find "$prefix/usr" -name tolmak.pc)")
g++ tests/install/main.cpp -o "$prefix/consumer-pc" \
  $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs zunfert)
"$prefix/consumer-pc" "$prefix/first/cube_07.png" "$golden"

# The audio driver's own header, where the machine built it.
if [[ -f $pc_dir/zunfert_al.pc ]]; then
  printf '#include <zunfert_al.h>\nint main() { return cOpenALSoundSystem::Descriptor() == nullptr; }\n' |
    g++ -x c++ - -o "$prefix/consumer-al" $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs zunfert_al)
  "$prefix/consumer-al"
fi
echo "install check passed"
