#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh libjpeg62-turbo-dev libpng-dev zlib1g-dev libassimp-dev libsdl2-dev \
  libopenal-dev libsndfile1-dev
cmake --preset default
cmake --build --preset default --parallel "$(nproc)"
ctest --preset default
