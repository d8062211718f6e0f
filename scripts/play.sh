#!/usr/bin/env bash
# Builds Zumbrik and starts it in this terminal.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${BUILD_PACKAGES[@]}"
cmake -S "$root" -B "$root/build" -DZUMBRIK_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target zumbrik >/dev/null
exec "$root/build/app/zumbrik"
