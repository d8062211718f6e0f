#!/usr/bin/env bash
# `zumbrik-xm play` in an 80x30 tmux pane, sound into ALSA's null output: the
# heading and the status line, keys that act at once after Ctrl+Z and fg, n
# through the files, a piped module with the keys from the terminal, playing
# in the background, and the statuses of q, Ctrl+C and SIGTERM. Each time the
# shell must get its terminal back as it was, and a shell loop must stop at
# Ctrl+C.
# Usage: xm_play_in_tmux_test.sh PATH_TO_ZUMBRIK_XM MODULE
set -euo pipefail
export LC_ALL=C.UTF-8
unset TMUX

tool=$(realpath "$1")
song=$(realpath "$2")
work=$(mktemp -d)
socket=zumbrik-xm-test-$$
trap end_tmux_and_work EXIT

source "$(dirname "$0")/../support/tmux_pane.sh"

screen_has() { tm capture-pane -p -t play | grep -qF -- "$1"; }
screen_lacks() { ! screen_has "$1"; }
status_line() { tm capture-pane -p -t play | grep -F "theme.xm  ord" | tail -n 1; }
status_lines_are() { [[ $(tm capture-pane -p -t play | grep -cF "theme.xm  ord") == "$1" ]]; }
status_has() { status_line | grep -qF -- "$1"; }
status_lacks() { ! status_has "$1"; }
mode() { tm display -p -t play "#{$1}"; }
file_has() { [[ -s $1 ]] && grep -qF -- "$2" "$1"; }

run() { # starts a command line in the pane; its status lands in $work/status
  rm -f "$work/status"
  tm send-keys -t play "$1; echo status=\$? > $work/status" Enter
}
expect_status() {
  poll 20 file_has "$work/status" "status=$1" || fail "ended with $(cat "$work/status" 2>/dev/null), not $1"
}
expect_terminal_restored() {
  [[ $(mode cursor_flag) == 1 ]] || fail "cursor still hidden"
  [[ $(mode wrap_flag) == 1 ]] || fail "autowrap still off"
  rm -f "$work/after"
  tm send-keys -t play "stty -a > $work/after" Enter
  poll 10 test -s "$work/after" || fail "stty did not run"
  sleep 0.2
  diff "$work/before" "$work/after" || fail "terminal modes differ after play"
}
tool_gone() { ! tool_pid >/dev/null; }
tool_pid() {
  local pid
  for pid in $(pgrep -f -- "$tool play" || true); do
    # Only this test's own (its pane's HOME): other tests may run the tool at the same time.
    [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == "$tool" ]] &&
      tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "HOME=$work" && { printf '%s' "$pid"; return 0; }
  done
  return 1
}

command -v tmux >/dev/null || fail "tmux is not installed"
tm new -d -s play -x 80 -y 30 "env PS1='$ ' HOME='$work' ZUMBRIK_ALSA_DEVICE=null bash --norc --noprofile"
tm send-keys -t play "cd $work && ln -s '$song' theme.xm && stty -a > $work/before" Enter
poll 10 test -s "$work/before" || fail "the shell in the pane did not start"
sleep 0.2

# --- the status line, keys, Ctrl+Z and fg ------------------------------------------
run "'$tool' play theme.xm"
poll 10 status_has "theme.xm  ord 0/" || fail "no status line"
[[ $(mode alternate_on) == 0 ]] || fail "play took the alternate screen"
[[ $(mode cursor_flag) == 0 ]] || fail "cursor shown on the status line"
status_has "vol 25  L " || fail "no volume or meters: $(status_line)"
screen_has 'file 1 of 1  theme.xm  "Zumbrik theme"' || fail "no heading with the title"
tm send-keys -t play -- -
poll 5 status_has "vol 24" || fail "- did not lower the volume"
pass "heading and status line on the normal screen; keys act"

tm send-keys -t play C-z
poll 10 screen_has "Stopped" || fail "Ctrl+Z did not stop play"
expect_terminal_restored
pass "Ctrl+Z gives the terminal back"
# The shell ran the rest of the line when play stopped; fg waits for it and hands on its status.
rm -f "$work/status"
tm send-keys -t play "fg; echo status=\$? > $work/status" Enter
poll 10 screen_has "fg;" || fail "fg was not typed"
sleep 0.5
tm send-keys -t play Space
poll 3 status_has "paused" || fail "a key after fg needed Enter to act"
[[ $(mode cursor_flag) == 0 ]] || fail "cursor shown after fg"
tm send-keys -t play Space
poll 3 status_lacks "paused" || fail "space did not resume"
pass "after fg keys act at once"

# Ended by SIGINT itself, play takes the rest of the command line with it,
# as an interrupted program should: its status is asked for afterwards.
tm send-keys -t play C-c
poll 10 tool_gone || fail "Ctrl+C did not end play"
tm send-keys -t play "echo status=\$? > $work/status" Enter
expect_status 130
expect_terminal_restored
pass "Ctrl+C ends play with 130 and gives the terminal back"

# --- a shell loop stops at Ctrl+C -------------------------------------------------
# The loop's echo prints "round-42"; only its command line shows the sum.
tm send-keys -t play "for f in theme.xm theme.xm; do '$tool' play \"\$f\"; echo round-\$((40 + 2)); done" Enter
poll 10 status_has "theme.xm  ord 0/" || fail "the loop did not start play"
tm send-keys -t play C-c
poll 10 tool_gone || fail "Ctrl+C did not end play"
sleep 1
tool_gone || fail "the loop started its next round after Ctrl+C"
screen_lacks "round-42" || fail "the loop went on after Ctrl+C"
pass "Ctrl+C stops a shell loop"
tm send-keys -t play "clear" Enter
sleep 0.3

# --- files in turn, a bad one, q and SIGTERM ----------------------------------------
run "'$tool' play theme.xm missing.xm theme.xm"
poll 10 status_has "theme.xm  ord 0/" || fail "play did not start"
tm send-keys -t play n
poll 10 screen_has "zumbrik-xm: missing.xm: no such file" || fail "the missing file was not reported"
poll 10 status_lines_are 2 || fail "n did not start the next file"
tm send-keys -t play n
expect_status 1
expect_terminal_restored
pass "n steps through the files, a missing one is skipped and the status is 1"

# A module on standard input plays, and the keys come from the terminal.
run "cat theme.xm | '$tool' play -"
poll 10 screen_has "standard input  ord 0/" || fail "play - from a pipe did not start"
tm send-keys -t play q
expect_status 0
expect_terminal_restored
pass "play - plays a piped module and takes its keys from the terminal"

# Started in the background it plays on, leaving the terminal to the shell, until fg.
tm send-keys -t play "'$tool' play theme.xm &" Enter
sleep 1
rm -f "$work/jobs"
tm send-keys -t play "jobs > $work/jobs" Enter
poll 10 file_has "$work/jobs" "Running" || fail "play in the background: $(cat "$work/jobs" 2>/dev/null)"
rm -f "$work/status"
tm send-keys -t play "fg; echo status=\$? > $work/status" Enter
sleep 0.5
tm send-keys -t play q
expect_status 0
expect_terminal_restored
pass "play runs in the background, and q after fg ends it with 0"

run "'$tool' play theme.xm"
poll 10 status_has "theme.xm  ord 0/" || fail "play did not start"
pid=$(tool_pid) || fail "cannot find play's process"
kill -TERM "$pid"
expect_status 143
expect_terminal_restored
pass "SIGTERM ends play with 143 and gives the terminal back"

log "all checks passed"
