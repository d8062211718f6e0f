#!/usr/bin/env bash
# Builds the music player's threading tests with ThreadSanitizer and runs them.
# ZUMBRIK_TSAN_DIR picks the build folder (default: build-tsan).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/setup.sh" "${TEST_PACKAGES[@]}"
build=${ZUMBRIK_TSAN_DIR:-$root/build-tsan}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZUMBRIK_SANITIZE=thread >/dev/null
# The programs whose cases start and stop the music's output thread (their suites are Music*).
targets="module_player_test capture_wave_device_test compose_theme_test play_command_test alsa_wave_device_test
  game_music_test"
cmake --build "$build" -j"$(nproc)" --target $targets
cd "$build"
# halt_on_error turns a reported race into a failed test.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
  ctest --output-on-failure -j"$(nproc)" -R '^Music'
