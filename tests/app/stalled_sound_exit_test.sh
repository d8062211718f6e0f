#!/usr/bin/env bash
# A sound output that stops taking audio must not hold the programs up: the
# default ALSA device of a private HOME writes into a FIFO whose reader takes
# a little and then nothing (or goes away, or nobody opens it). The game is quit
# with Escape and SIGTERM, `zumbrik-xm play` with q, SIGTERM and SIGINT; each
# must be gone within a second. Prints the measured times.
# With --wine the Windows programs run under Wine (its environment set by the
# caller), quit by their keys only; Wine's console takes its time over the
# game's drawing, so they get two seconds instead of one.
# Usage: stalled_sound_exit_test.sh [--wine] PATH_TO_ZUMBRIK PATH_TO_ZUMBRIK_XM MODULE
# Exits 77 (skipped) without tmux or without ALSA's file output.
set -euo pipefail
export LC_ALL=C.UTF-8
unset TMUX

runner="" limit_ms=1000
if [[ $1 == --wine ]]; then
  runner="wine " limit_ms=2000
  shift
fi
game=$(realpath "$1")
tool=$(realpath "$2")
module=$(realpath "$3")

skip() {
  printf 'SKIP: %s\n' "$*"
  exit 77
}
command -v tmux >/dev/null || skip "tmux is not installed"
# The game opens ALSA when the music starts: built with it, it names the library.
[[ -n $runner ]] || grep -qa 'libasound\.so\.2' "$game" || skip "the game is built without ALSA"
grep -qs '^pcm\.file' "${ALSA_CONFIG_PATH:-/usr/share/alsa/alsa.conf}" || skip "ALSA's file output is not configured"

work=$(mktemp -d)
socket=zumbrik-stall-$$
holder=""
stop_holder() {
  [[ -z $holder ]] || kill "$holder" 2>/dev/null || true
  [[ -z $holder ]] || wait "$holder" 2>/dev/null || true
  holder=""
}
cleanup() {
  stop_holder
  end_tmux_and_work
}
trap cleanup EXIT

source "$(dirname "$0")/../support/tmux_pane.sh"

now_ms() { printf '%s' $(($(date +%s%N) / 1000000)); }
screen_has() { tm capture-pane -p -t play | grep -qE -- "$1"; }
screen_lacks() { ! screen_has "$1"; }
parent_of() { awk '/^PPid:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
child_of_pane() { # PROGRAM: the pid of the process running it under the pane's shell (in its subshell)
  local shell status pid
  shell=$(tm display -p -t play '#{pane_pid}')
  for status in /proc/[0-9]*/status; do
    pid=${status#/proc/}
    pid=${pid%/status}
    if [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == "$1" ]] &&
      [[ $(parent_of "$(parent_of "$pid")") == "$shell" ]]; then
      printf '%s' "$pid"
      return 0
    fi
  done
  return 1
}

fifo=$work/sound
printf 'pcm.!default { type file slave.pcm null file "%s" format raw }\n' "$fifo" >"$work/.asoundrc"

# A reader that takes the first 4 KiB, says so, and then holds the FIFO open
# without reading: the pipe fills within a fraction of a second and every
# write after that blocks.
stalling_reader() {
  stop_holder
  rm -f "$fifo" "$work/sound-flowed"
  mkfifo "$fifo"
  { head -c 4096 >/dev/null && touch "$work/sound-flowed" && exec sleep 600; } <"$fifo" &
  holder=$!
}
# The same reader going away after a while: writing then fails (SIGPIPE).
leaving_reader() { stalling_reader; }
no_reader() {
  stop_holder
  rm -f "$fifo" "$work/sound-flowed"
  mkfifo "$fifo"
}

tm new -d -s play -x 80 -y 30 "env PS1='$ ' HOME='$work' XDG_DATA_HOME='$work/data' bash --norc --noprofile"
poll 10 screen_has '\$' || fail "the shell in the pane did not start"

declare -a table
# run_case NAME COMMAND SCREEN_TEXT HOW(key:KEY | signal:SIG) FIFO_SETUP STATUSES(a regex)
run_case() {
  local name=$1 command=$2 shown=$3 how=$4 setup=$5 statuses=$6 started pid ended status
  $setup
  rm -f "$work/status"
  # The last program's screen must be gone before this one's is looked for.
  tm send-keys -t play "clear" Enter
  poll 5 screen_lacks "$shown" || fail "$name: the screen was not cleared"
  # In a subshell: an interactive shell drops the rest of a command line whose
  # program a SIGINT ended, and the status would never be written.
  tm send-keys -t play "($runner$command; echo status=\$? > $work/status)" Enter
  started=$(now_ms)
  # (Under Wine the game's first screen takes seconds to draw, its digits view last.)
  poll 30 screen_has "$shown" || fail "$name: the program did not start"
  local start_ms=$(($(now_ms) - started))
  if [[ $setup != no_reader ]]; then
    poll 10 test -e "$work/sound-flowed" || fail "$name: no sound reached the output"
    sleep 1 # long enough for the pipe to fill and the output to stall
    if [[ $setup == leaving_reader ]]; then
      stop_holder
      sleep 0.5
    fi
  else
    sleep 0.5
  fi
  [[ $how == key:* ]] || pid=$(child_of_pane "$(awk '{ print $1 }' <<<"$command" | tr -d "'")") ||
    fail "$name: no process found"
  local began
  began=$(now_ms)
  case $how in
    key:*) tm send-keys -t play "${how#key:}" ;;
    signal:*) kill -s "${how#signal:}" "$pid" ;;
  esac
  # The shell notes the status the moment the program is gone.
  while [[ ! -s $work/status ]] && (($(now_ms) - began < 15000)); do sleep 0.01; done
  ended=$(($(now_ms) - began))
  [[ -s $work/status ]] || fail "$name: still running after $ended ms"
  status=$(sed 's/status=//' "$work/status")
  table+=("$(printf '%-44s start %5d ms   exit %5d ms   status %s' "$name" "$start_ms" "$ended" "$status")")
  ((ended < limit_ms)) || fail "$name: took $ended ms to exit"
  [[ $status =~ ^($statuses)$ ]] || fail "$name: ended with status $status"
  pass "$name: gone after $ended ms"
}

game_cmd="'$game'"
game_ready="^ [0-9]{24} .*ESC - выход"  # the digits view's bottom row
play_cmd="'$tool' play '$module'"
play_ready="ord [0-9]+/[0-9]+ row"  # the status line
run_case "game, stalled output, Escape" "$game_cmd" "$game_ready" key:Escape stalling_reader 0
run_case "game, FIFO never opened, Escape" "$game_cmd" "$game_ready" key:Escape no_reader 0
run_case "game, FIFO reader gone, Escape" "$game_cmd" "$game_ready" key:Escape leaving_reader 0
run_case "zumbrik-xm play, stalled output, q" "$play_cmd" "$play_ready" key:q stalling_reader 0
if [[ -z $runner ]]; then
  run_case "game, stalled output, SIGTERM" "$game_cmd" "$game_ready" signal:TERM stalling_reader 143
  run_case "zumbrik-xm play, stalled output, SIGTERM" "$play_cmd" "$play_ready" signal:TERM stalling_reader 143
  run_case "zumbrik-xm play, stalled output, SIGINT" "$play_cmd" "$play_ready" signal:INT stalling_reader 130
fi

log "exit times with a sound output that takes nothing:"
printf '  %s\n' "${table[@]}"
log "all checks passed"
