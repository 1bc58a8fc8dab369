#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh libjpeg62-turbo-dev libpng-dev \
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl-mesa0 libegl1 xvfb xauth
cmake --preset default
cmake --build --preset default
ctest --preset default
