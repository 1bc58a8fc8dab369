#!/usr/bin/env bash
# Builds the engine and runs the demo program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh libjpeg62-turbo-dev libpng-dev
cmake --preset default
cmake --build --preset default
build/default/bin/hello "$@"
