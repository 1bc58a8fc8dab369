#!/usr/bin/env bash
# Installs the engine into a temporary prefix and builds and runs an outside
# program against it, once through the CMake package and once through
# pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/default --prefix "$prefix/usr" >/dev/null

cmake -S tests/install -B "$prefix/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix/usr" >/dev/null
cmake --build "$prefix/consumer" 
"$prefix/consumer/consumer"

pc_dir=$(dirname "$(find "$prefix/usr" -name tolmak.pc)")
g++ tests/install/main.cpp -o "$prefix/consumer-pc" $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs tolmak)
"$prefix/consumer-pc"
echo "install check passed"
