#!/usr/bin/env bash
# Builds Zumbrik with its tests and runs every test.
# Extra arguments go to CMake (the CI uses them for the sanitizer builds).
# ZUMBRIK_BUILD_DIR picks the build folder (default: build-tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${TEST_PACKAGES[@]}"
build=${ZUMBRIK_BUILD_DIR:-$root/build-tests}
cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
