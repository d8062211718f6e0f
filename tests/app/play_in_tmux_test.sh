#!/usr/bin/env bash
# Plays the real program in an 80x30 tmux pane: the layout and its colours, a
# piece moving, turning and changing style, the pause screen, music toggling,
# game over and a new game, then quitting with Escape, SIGTERM, SIGHUP and
# SIGINT — each time the shell must get its terminal back exactly as it was.
# The score table: a score left waiting by another game is merged at start,
# and a game without a point takes no place.
# Usage: play_in_tmux_test.sh PATH_TO_ZUMBRIK
set -euo pipefail
export LC_ALL=C.UTF-8
unset TMUX

game=$(realpath "$1")
work=$(mktemp -d)
socket=zumbrik-test-$$
failures=0
trap end_tmux_and_work EXIT

source "$(dirname "$0")/../support/tmux_pane.sh"

screen_text() { tm capture-pane -p -t play; }
screen_has() { screen_text | grep -qF -- "$1"; }
screen_lacks() { ! screen_has "$1"; }
mode() { tm display -p -t play "#{$1}"; }
file_has() { [[ -s $1 ]] && grep -qF -- "$2" "$1"; }

colours_at() { # ROW COLUMN -> "fg bg"
  parse_rows "$1" "$1"
  printf '%s %s' "${FG[$1 * 80 + $2]:-?}" "${BG[$1 * 80 + $2]:-?}"
}

# The falling piece: the topmost coloured cells of the well (settled cells lie
# below it while it falls). Sets PIECE (its shape, relative to its box),
# PIECE_LEFT, PIECE_TOP, PIECE_COUNT and PIECE_DOTS.
find_piece() {
  local row column cells=() left=99 top=99 cell
  parse_rows 1 28
  PIECE_DOTS=0
  for ((row = 1; row <= 28; row++)); do
    for ((column = 26; column <= 49; column++)); do
      case ${BG[row * 80 + column]:-49} in 40 | 49) continue ;; esac
      ((top == 99)) && top=$row
      ((row > top + 3)) && break 2
      cells+=("$column $row")
      ((column < left)) && left=$column
      [[ ${CH[row * 80 + column]} == . ]] && PIECE_DOTS=$((PIECE_DOTS + 1))
    done
  done
  ((${#cells[@]} > 0)) || return 1
  PIECE=""
  for cell in "${cells[@]}"; do
    set -- $cell
    PIECE+="$(($1 - left)),$(($2 - top)) "
  done
  PIECE_LEFT=$left PIECE_TOP=$top PIECE_COUNT=${#cells[@]}
}
well_digits() { tm capture-pane -p -t play -S 1 -E 28 | while IFS= read -r l; do printf '%s\n' "${l:1:24}"; done; }
digits_differ() { [[ $(well_digits) != "$1" ]]; }
piece_left_is() { find_piece && ((PIECE_LEFT == $1)); }
piece_shape_differs() { find_piece && [[ $PIECE != "$1" ]]; }
piece_dots_are() { find_piece && { (($1 == 0 && PIECE_DOTS == 0)) || (($1 > 0 && PIECE_DOTS == PIECE_COUNT)); }; }

start_game() { # starts the game from the pane's shell; its status lands in $work/status
  rm -f "$work/status"
  tm send-keys -t play "'$game'; echo status=\$? > $work/status" Enter
  poll 20 shows_at 28 52 "ESC - выход" || fail "the game screen did not appear"
}
game_pid() { # the pane shell's child running the game (or the child of $1's child)
  local shell status pid
  shell=$(tm display -p -t play '#{pane_pid}')
  [[ -z ${1:-} ]] || shell=$(grep -l "^PPid:[[:space:]]*$shell\$" /proc/[0-9]*/status 2>/dev/null | head -n 1 | cut -d/ -f3)
  for status in /proc/[0-9]*/status; do
    pid=${status#/proc/}
    pid=${pid%/status}
    if grep -q "^PPid:[[:space:]]*$shell\$" "$status" 2>/dev/null &&
      [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == "$game" ]]; then
      printf '%s' "$pid"
      return 0
    fi
  done
  return 1
}

expect_terminal_restored() { # $1: the status expected
  poll 20 file_has "$work/status" "status=$1" || fail "the game did not end with status $1 ($(cat "$work/status" 2>/dev/null))"
  [[ $(mode alternate_on) == 0 ]] || fail "still on the alternate screen"
  [[ $(mode cursor_flag) == 1 ]] || fail "cursor still hidden"
  [[ $(mode wrap_flag) == 1 ]] || fail "autowrap still off"
  poll 10 screen_has "status=" || fail "the shell's own screen did not come back"
  rm -f "$work/after"
  tm send-keys -t play "stty -a > $work/after" Enter
  poll 10 test -s "$work/after" || fail "stty did not run"
  sleep 0.2
  diff "$work/before" "$work/after" || fail "terminal modes differ after the game"
}

# Without a terminal on both sides: one line on stderr, status 2, nothing else.
status=0
output=$("$game" </dev/null 2>"$work/error") || status=$?
[[ $status == 2 && -z $output && $(wc -l <"$work/error") == 1 ]] ||
  fail "without a terminal: status $status, output '$output', error '$(cat "$work/error")'"
pass "refuses to run without a terminal"

command -v tmux >/dev/null || fail "tmux is not installed"
tm new -d -s play -x 80 -y 30 "env PS1='$ ' HOME='$work' XDG_DATA_HOME='$work/data' bash --norc --noprofile"
tm send-keys -t play "stty -a > $work/before" Enter
poll 10 test -s "$work/before" || fail "the shell in the pane did not start"
sleep 0.2

# Standard output redirected: the terminal is left as it was.
tm send-keys -t play "'$game' > $work/output; echo status=\$? > $work/status" Enter
poll 10 file_has "$work/status" "status=2" || fail "a redirected output was not refused"
[[ ! -s $work/output && $(mode alternate_on) == 0 ]] || fail "the terminal was touched"
rm -f "$work/after"
tm send-keys -t play "stty -a > $work/after" Enter
poll 10 test -s "$work/after" && sleep 0.2
diff "$work/before" "$work/after" || fail "terminal modes changed by a refused start"
pass "refuses a redirected output"

# --- the layout ---------------------------------------------------------------
mkdir -p "$work/data/zumbrik"
printf 'zumbrik-scores 1\n4200\t5\t30\t2026-11-30T20:00:00\tanna\n' >"$work/data/zumbrik/scores.waiting-20261130-200000"
start_game
[[ $(mode alternate_on) == 1 ]] || fail "not on the alternate screen"
[[ $(mode cursor_flag) == 0 ]] || fail "cursor shown during the game"
[[ $(mode pane_title) == "Console Zumbrik 1.0" ]] || fail "title is '$(mode pane_title)'"
for check in "2 56 ЗУМБРИК 1.0" "6 52 СЧЁТ: 0" "8 52 СЛОЖНОСТЬ: 1" "10 52 До следующей: 100" \
  "20 52 Далее:" "25 52 F   - сменить рисование" "26 52 P   - пауза" "27 52 M   - музыка вкл/выкл" \
  "28 52 ESC - выход" "28 1 000000000000000000000000"; do
  read -r row column text <<<"$check"
  poll 5 shows_at "$row" "$column" "$text" || fail "expected '$text' at row $row, column $column"
done
pass "layout texts in place"

[[ $(colours_at 0 0) == "30 43" ]] || fail "frame corner colours: $(colours_at 0 0)"
[[ $(colours_at 14 25) == "30 43" ]] || fail "well wall colours: $(colours_at 14 25)"
[[ $(colours_at 4 60) == "30 43" ]] || fail "divider colours: $(colours_at 4 60)"
[[ $(colours_at 2 56) == "93 40" ]] || fail "header colours: $(colours_at 2 56)"
[[ $(colours_at 6 52) == "96 40" ]] || fail "score colours: $(colours_at 6 52)"
[[ $(colours_at 10 52) == "94 40" ]] || fail "threshold line colours: $(colours_at 10 52)"
[[ $(colours_at 28 1) == "37 40" ]] || fail "digits view colours: $(colours_at 28 1)"
pass "frame and text colours"

# --- a piece: colour, moving, turning, drawing style ------------------------------
# A square looks the same turned, so drop squares until another shape comes.
turned=no
for attempt in 1 2 3 4 5 6; do
  poll 10 find_piece || fail "no falling piece in the well"
  bg=${BG[PIECE_TOP * 80 + PIECE_LEFT + ${PIECE%%,*}]}
  case $bg in 41 | 42 | 45 | 46 | 47 | 10[0-7]) ;; *) fail "piece background colour $bg" ;; esac
  if [[ $PIECE == "0,0 1,0 0,1 1,1 " ]]; then
    digits=$(well_digits)
    tm send-keys -t play Down
    poll 10 digits_differ "$digits" || fail "a dropped piece did not lock"
    continue
  fi
  before_left=$PIECE_LEFT
  tm send-keys -t play Left
  poll 5 piece_left_is $((before_left - 1)) || fail "Left did not move the piece (was at $before_left, now $PIECE_LEFT)"
  tm send-keys -t play Right
  poll 5 piece_left_is "$before_left" || fail "Right did not move the piece back"
  pass "piece moves left and right"
  shape=$PIECE
  tm send-keys -t play Up
  poll 5 piece_shape_differs "$shape" || fail "Up did not turn the piece ($shape)"
  pass "piece turns"
  turned=yes
  break
done
[[ $turned == yes ]] || fail "only squares came"

tm send-keys -t play f
poll 5 piece_dots_are 1 || fail "F did not switch to the dotted style"
tm send-keys -t play F
poll 5 piece_dots_are 0 || fail "F did not switch back to plain blocks"
pass "F changes the drawing style"

# M has nothing to show; the game must simply go on.
tm send-keys -t play m
sleep 0.2
tm send-keys -t play M
poll 5 find_piece || fail "the game stopped after M"
shows_at 28 52 "ESC - выход" || fail "the screen changed after M"
pass "M leaves the game running"

# --- pause --------------------------------------------------------------------
tm send-keys -t play p
poll 10 shows_at 0 37 "ПАУЗА" || fail "no pause screen"
poll 5 shows_at 29 27 "Для продолжения нажмите P" || fail "no pause hint"
# The top strip of the blinking patch stays closed for ten frames of each
# cycle; text and colour come from one capture so they belong to one frame.
blink_closed() {
  parse_rows 13 13
  local column
  for ((column = 54; column <= 58; column++)); do
    [[ ${CH[13 * 80 + column]:-} == "~" && ${FG[13 * 80 + column]:-} == 90 ]] || return 1
  done
}
poll 15 blink_closed || fail "the pause animation did not run"
[[ $(colours_at 29 27) == "93 40" ]] || fail "pause hint colours: $(colours_at 29 27)"
pass "pause screen with its animation"
tm send-keys -t play P
poll 10 shows_at 28 52 "ESC - выход" || fail "P did not leave the pause"
poll 5 find_piece || fail "the piece is gone after the pause"
pass "back from the pause"

# --- game over and a new game ------------------------------------------------------
deadline=$((SECONDS + 45))
until shows_at 15 52 "ИГРА ОКОНЧЕНА!"; do
  ((SECONDS < deadline)) || fail "game over never came"
  tm send-keys -t play Down
  sleep 0.25
done
poll 5 shows_at 16 52 "ENTER - заново" || fail "no restart hint"
[[ $(colours_at 15 52) == "94 40" ]] || fail "game-over colours: $(colours_at 15 52)"
# The first game of an empty table takes its first place, kept in the test's own data folder.
pass "pieces stack up to game over"
# The score waiting at start is in the table; the game without a point is not.
shows_at 12 52 "РЕКОРД: 4200" || fail "the waiting score is not the best on the panel"
shows_at 17 52 "                   " || fail "a game without a point took a place"
[[ $(grep -c . "$work/data/zumbrik/scores") == 3 && ! -e $work/data/zumbrik/scores.waiting-20261130-200000 ]] ||
  fail "the waiting score was not merged: $(ls "$work/data/zumbrik"; cat "$work/data/zumbrik/scores")"
pass "a waiting score merged at start, a game without a point left out"
tm send-keys -t play Enter
poll 10 shows_at 15 52 "              " || fail "Enter did not start a new game"
shows_at 17 52 "                   " || fail "the table place stayed after the restart"
poll 5 shows_at 6 52 "СЧЁТ: 0" || fail "score not reset"
poll 10 find_piece || fail "no piece in the new game"
pass "Enter starts a new game"

# --- Ctrl+Z and fg ---------------------------------------------------------------
tm send-keys -t play C-z
poll 10 screen_has "Stopped" || fail "Ctrl+Z did not stop the game"
[[ $(mode alternate_on) == 0 && $(mode cursor_flag) == 1 ]] || fail "terminal not restored while stopped"
# fg waits for the game and hands on its status.
rm -f "$work/status"
tm send-keys -t play "fg; echo status=\$? > $work/status" Enter
poll 10 shows_at 28 52 "ESC - выход" || fail "fg did not bring the game screen back"
[[ $(mode alternate_on) == 1 && $(mode cursor_flag) == 0 ]] || fail "game modes not set again after fg"
poll 10 find_piece || fail "no piece after fg"
pass "Ctrl+Z gives the terminal back and fg resumes the game"

# --- leaving ---------------------------------------------------------------------
tm send-keys -t play Escape
expect_terminal_restored 0
pass "Escape gives the terminal back"

start_game
pid=$(game_pid) || fail "cannot find the game's process"
kill -TERM "$pid"
expect_terminal_restored 143
pass "SIGTERM gives the terminal back"

start_game
pid=$(game_pid) || fail "cannot find the game's process"
kill -HUP "$pid"
expect_terminal_restored 129
pass "SIGHUP gives the terminal back"

# As Ctrl+C sends it; an interactive shell would not go on to the status line
# after a job that SIGINT ended, so a shell of its own runs the game.
rm -f "$work/status"
tm send-keys -t play "bash -c \"'$game'; echo status=\\\$? > $work/status\"" Enter
poll 20 shows_at 28 52 "ESC - выход" || fail "the game screen did not appear"
pid=$(game_pid inner) || fail "cannot find the game's process"
kill -INT "$pid"
expect_terminal_restored 130
pass "SIGINT gives the terminal back"

log "all checks passed"
