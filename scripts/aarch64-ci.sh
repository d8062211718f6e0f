#!/usr/bin/env bash
# The AArch64 stage: cross-builds the test programs that need neither a
# terminal nor a sound card for 64-bit ARM Linux and runs them under the
# user-mode emulator. The golden renders there prove that the player renders
# the same bytes on ARM as on x86-64. Speed under the emulator means nothing:
# no benchmark runs here.
# ZUMBRIK_AARCH64_BUILD_DIR picks the build folder (default: build-aarch64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS

# GoogleTest is built for the target from Debian's source package.
packages=(cmake ninja-build ccache googletest g++-aarch64-linux-gnu qemu-user)
bash "$root/scripts/setup.sh" "${packages[@]}"

build=${ZUMBRIK_AARCH64_BUILD_DIR:-$root/build-aarch64}
# Ninja, so that the test programs build side by side and not one after another.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null

# Every test program under tests/, new ones too, but for those that need a
# terminal (a pseudo-terminal) or the ALSA device, and the layer probes (their
# tests rebuild the tree). Benchmarks live under bench/ and are not built.
mapfile -t test_programs < <(ninja -C "$build" -t targets all |
  sed -nE 's#^tests/.*/([^/:]+): CXX_EXECUTABLE_LINKER.*#\1#p' |
  grep -vxE 'posix_terminal_test|alsa_wave_device_test|layer_probe_.*' | sort -u)
[ ${#test_programs[@]} -gt 0 ] || { echo "aarch64-ci: no test program found in $build" >&2; exit 1; }
printf 'Test programs: %s\n' "${test_programs[*]}"
cmake --build "$build" -j"$(nproc)" --target "${test_programs[@]}"
printf 'Built after %d s\n' $((SECONDS - started))

cd "$build"
# Every other program's tests are registered too: ctest names each program
# that was not built <program>_NOT_BUILT. Left out besides: the scripts that
# start the built programs themselves (label programs_run_directly), the tests
# that rebuild the tree or load the shared library (the golden renders prove
# the same samples), and the one death test that starts its program anew (the
# emulator cannot start another ARM program without the kernel's binfmt_misc,
# which a container lacks).
left_out=(
  '_NOT_BUILT$' '^layer_probe_' '^library_'
  '^MusicExitTest\.TheProcessExitsCleanlyWhileTheMusicPlays$'
)
ctest --output-on-failure -j"$(nproc)" -LE programs_run_directly -E "$(IFS='|'; echo "${left_out[*]}")"
printf 'AArch64 stage took %d s\n' $((SECONDS - started))
