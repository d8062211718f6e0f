#!/usr/bin/env bash
# The Windows stage: cross-builds Zumbrik with MinGW-w64 and runs, under Wine,
# every unit test, the game in an 80x30 tmux pane and the music on a sound
# device that plays into nothing.
# ZUMBRIK_WINDOWS_BUILD_DIR picks the build folder (default: build-windows);
# everything the stage makes, the Wine prefix included, stays inside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS

# tmux gives the tests a terminal (and plays the game in one).
packages=(cmake make googletest g++-mingw-w64-x86-64-posix wine wine64 tmux)
bash "$root/scripts/setup.sh" "${packages[@]}"

build=${ZUMBRIK_WINDOWS_BUILD_DIR:-$root/build-windows}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
printf 'Built after %d s\n' $((SECONDS - started))
for exe in app/zumbrik.exe app/xm_tool/zumbrik-xm.exe; do
  [[ -f $build/$exe ]] && printf '%-28s %9d bytes\n' "$exe" "$(stat -c %s "$build/$exe")"
done

export WINEPREFIX=$build/wine/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

# One persistent server for the whole run, started here and not by a test:
# every Wine process then attaches to it instead of paying for a start of its
# own. Its output goes nowhere, or ctest would wait on the inherited pipe.
wineserver -k </dev/null >/dev/null 2>&1 || true  # one left over from an earlier run
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
wineboot -i </dev/null >/dev/null 2>&1
printf 'Wine ready after %d s\n' $((SECONDS - started))

cd "$build"
# ctest runs in a detached tmux pane, so that the console tests have a
# terminal: Wine makes a console only on one. (A terminal from `script` would
# hand the tests an end-of-file keystroke once its own input runs dry.)
log=$build/ctest.log
status_file=$build/ctest.status
socket=zumbrik-windows-ci-$$
rm -f "$status_file"
: >"$log"
tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 30 \
  "env -u TMUX ctest --output-on-failure -j$(nproc) >'$log' 2>&1; echo \$? >'$status_file'"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
until [[ -s $status_file ]]; do sleep 1; done &
waiter=$!
tail -n +1 -f --pid="$waiter" "$log"
wait "$waiter"
status=$(cat "$status_file")
printf 'Windows stage took %d s\n' $((SECONDS - started))
exit "$status"
