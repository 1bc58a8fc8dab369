#!/usr/bin/env bash
# Installs the Debian packages the build needs and the machine lacks.
# Usage: scripts/install-deps.sh [extra packages...]
set -euo pipefail

# The build tools, then the libraries the engine, the plug-in and its
# drivers build on (image codecs; SDL2, OpenGL and Mesa's drivers for the
# window and for drawing offscreen; OpenAL Soft and libsndfile for sound;
# Assimp for the model compiler).
packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl-mesa0 libegl1
  libopenal-dev libsndfile1-dev libassimp-dev
  "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
