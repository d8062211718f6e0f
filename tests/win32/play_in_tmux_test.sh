#!/usr/bin/env bash
# Plays zumbrik.exe under Wine in an 80x30 tmux pane: the start screen and its
# texts, the piece moved by the arrow keys and dropped, the pause screen on
# the second buffer and back, Escape ending the program with status 0 and
# leaving the terminal blank with its cursor shown.
# ctest runs it twice: with a sound device that cannot be opened (the game
# plays on without music) and with one that plays into nothing.
# Usage: play_in_tmux_test.sh PATH_TO_ZUMBRIK_EXE   (Wine's environment set by the caller)
set -euo pipefail
export LC_ALL=C.UTF-8

game=$(realpath "$1")
work=$(mktemp -d)
socket=zumbrik-win-test-$$
trap end_tmux_and_work EXIT

source "$(dirname "$0")/../support/tmux_pane.sh"

expect_at() { shows_at "$1" "$2" "$3" || fail "\"$3\" is not at column $2, row $1"; }
key() {
  tm send-keys -t play "$1"
  sleep 0.3
}

# The cells of the well with a coloured background, as "column,row" words:
# with nothing settled yet, that is the falling piece alone (40/49 are black
# and default).
piece_cells() {
  local row column bg
  parse_rows 1 28
  for ((row = 1; row <= 28; row++)); do
    for ((column = 26; column <= 49; column++)); do
      bg=${BG[row * 80 + column]:-49}
      if [[ $bg != 40 && $bg != 49 ]]; then printf '%d,%d ' "$column" "$row"; fi
    done
  done
}
piece_left() { # the leftmost column of the falling piece
  local cell left=99
  for cell in $(piece_cells); do
    ((${cell%,*} < left)) && left=${cell%,*}
  done
  printf '%d' "$left"
}
piece_left_is() { [[ $(piece_left) == "$1" ]]; }
has_piece() { [[ -n $(piece_cells) ]]; }
bottom_row_settled() { [[ $(row_text 28 1 24) == *1* ]]; }
frame_is_dark_yellow() { tm capture-pane -p -e -t play -S 0 -E 0 | grep -qE $'\e\\[([0-9;]*;)?43(;[0-9;]*)?m'; }

tm new-session -d -s play -x 80 -y 30 "wine '$game'; echo \$? > '$work/status'; sleep 60"

# --- the start screen -------------------------------------------------------
poll 30 shows_at 20 52 "Далее:" || fail "the game screen did not appear"
# The digits view is the last thing drawn before the loop starts.
poll 30 shows_at 28 1 "000000000000000000000000" || fail "the well digits view was not drawn"
expect_at 2 56 "ЗУМБРИК 1.0"
expect_at 6 52 "СЧЁТ: 0"
expect_at 8 52 "СЛОЖНОСТЬ: 1"
expect_at 10 52 "До следующей: 100"
expect_at 25 52 "F   - сменить рисование"
expect_at 26 52 "P   - пауза"
expect_at 27 52 "M   - музыка вкл/выкл"
expect_at 28 52 "ESC - выход"
expect_at 1 1 "000000000000000000000000"
frame_is_dark_yellow || fail "the frame is not drawn in dark yellow"
pass "start screen: texts at their places, empty well digits, frame colour"

# --- keys ----------------------------------------------------------------------
poll 10 has_piece || fail "no piece appeared in the well"
start=$(piece_left)
key Left
key Left
poll 3 piece_left_is $((start - 2)) || fail "two Left presses did not move the piece from column $start to $((start - 2))"
key Right
poll 3 piece_left_is $((start - 1)) || fail "Right did not move the piece back one column"
pass "arrow keys move the piece (column $start -> $((start - 2)) -> $((start - 1)))"
key Up
poll 3 has_piece || fail "the piece vanished after Up"
key M
key Down
poll 10 bottom_row_settled || fail "Down did not drop the piece to the bottom"
pass "Down drops the piece and the digits view shows it settled"

# --- the pause screen and back -------------------------------------------------
key p
poll 5 shows_at 0 37 "ПАУЗА" || fail "P did not show the pause screen"
expect_at 29 27 "Для продолжения нажмите P"
shows_at 20 52 "Далее:" && fail "the game screen still shows while paused"
pass "P shows the pause screen"
key p
poll 5 shows_at 20 52 "Далее:" || fail "P on the pause screen did not bring the game back"
shows_at 0 37 "ПАУЗА" && fail "the pause title is left on the game screen"
expect_at 6 52 "СЧЁТ:"
pass "P again returns to the game screen as it was"

# --- Escape ----------------------------------------------------------------------
key Escape
poll 15 test -s "$work/status" || fail "Escape did not end the program"
[[ $(cat "$work/status") == 0 ]] || fail "the program ended with status $(cat "$work/status")"
pass "Escape ends the program with status 0"
# The shell gets its terminal back: cursor shown, the game's picture gone.
[[ $(tm display-message -p -t play '#{cursor_flag}') == 1 ]] || fail "the cursor is hidden after exit"
shows_at 20 52 "Далее:" && fail "the game's picture is left on the terminal after exit"
pass "after exit the cursor is visible and the game's picture is gone"
