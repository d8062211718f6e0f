#!/usr/bin/env bash
# Builds the web page: the game and the module player in WebAssembly, with
# the pages, their scripts and xterm.js, into build-web/site/. The folder is
# printed on the last line; any static host serves it, e.g.
#   python3 -m http.server -d build-web/site
# ZUMBRIK_WEB_BUILD_DIR picks the build folder (default: build-web).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${WEB_PACKAGES[@]}"
command -v npm >/dev/null || bash "$root/scripts/setup.sh" npm
build=${ZUMBRIK_WEB_BUILD_DIR:-$root/build-web}

# Debian's Emscripten runs its JavaScript tools with the node on the path,
# which finds Debian's node modules (acorn) only when told where they are.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

(cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2

# What a visitor downloads, each file and in all, as a server compressing
# with gzip sends it.
site=$build/site
total=0
for file in "$site"/*; do
  size=$(gzip -9 -c "$file" | wc -c)
  total=$((total + size))
  printf '  %-22s %8d bytes, %8d compressed\n' "$(basename "$file")" "$(stat -c %s "$file")" "$size"
done
printf 'site: %d bytes compressed in all\n' "$total"
echo "$site"
