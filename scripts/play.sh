#!/usr/bin/env bash
# Builds Zumbrik and starts it in this terminal, saying what it does on the way.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
log=$build/play-build.log
say() { printf 'zumbrik: %s\n' "$*"; }

source "$root/scripts/packages.sh"
say "checking the Debian packages the build needs (${BUILD_PACKAGES[*]})"
bash "$root/scripts/setup.sh" "${BUILD_PACKAGES[@]}"

mkdir -p "$build"
if [[ -x $build/app/zumbrik ]]; then
  say "building the game in $build (only what changed)"
else
  say "building the game in $build; the first build takes a minute or two"
fi
if ! { cmake -S "$root" -B "$build" -DZUMBRIK_TESTS=OFF &&
  cmake --build "$build" -j"$(nproc)" --target zumbrik; } >"$log" 2>&1; then
  say "the build failed; its output is in $log" >&2
  tail -n 20 "$log" >&2
  exit 1
fi
say "starting the game"
exec "$build/app/zumbrik" "$@"
