#!/usr/bin/env bash
# costruisci.sh BUILD_DIR GENERATOR: builds the browser page in BUILD_DIR
# with Emscripten, the surface's tables made by GENERATOR (the native
# genera_superficie), and prints the page's path as its last line.
set -euo pipefail
WEB="$(cd "$(dirname "$0")" && pwd)"
dir="$1" generatore="$(realpath "$2")"
# Debian's emcc finds its JavaScript modules (acorn) only here.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S "$WEB" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
  -DGENERA_SUPERFICIE="$generatore" >/dev/null
cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" >&2
realpath "$dir/superficie.html"
