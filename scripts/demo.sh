#!/usr/bin/env bash
# Builds the engine with its plug-in library and plays the demo game. The
# pictures go to build/demo; arguments are passed on to the demo
# (for example --frames 300).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --parallel "$(nproc)" --target demo
build/default/bin/demo --output build/demo "$@"
