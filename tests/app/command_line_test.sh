#!/usr/bin/env bash
# The game's command line: --scores prints the table from the data folder (or
# says there is none) and exits 0 without making anything, 1 with one line
# when it cannot write the listing or the table is not one it can read
# (left as it is, never waited on); --help and
# --version print to stdout and exit 0; anything else (an unknown option, two
# commands, --no-music given twice or with a command) is a usage error, status
# 2 with one line on stderr.
# Usage: command_line_test.sh PATH_TO_ZUMBRIK VERSION
set -euo pipefail
export LC_ALL=C.UTF-8
game=$(realpath "$1")
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data
fail() { echo "FAIL: $*" >&2; exit 1; }

"$game" --scores >"$work/out" 2>"$work/err" || fail "--scores on no table: status $?"
[[ $(cat "$work/out") == "Рекордов пока нет." && ! -s $work/err ]] || fail "no-table output: $(cat "$work/out" "$work/err")"
[[ ! -e $work/data ]] || fail "--scores made the data folder"

mkdir -p "$work/data/zumbrik"
printf 'zumbrik-scores 1\n# columns\n4200\t5\t30\t2026-11-30T20:00:00\tanna maria\n90\t1\t2\t2026-12-01T08:05:00\tbo\n' \
  >"$work/data/zumbrik/scores"
"$game" --scores >"$work/out" 2>"$work/err" || fail "--scores: status $?"
[[ $(sed -n 2p "$work/out") =~ ^\ 1\ +4200\ +5\ +30\ +2026-11-30\ 20:00:00\ +anna\ maria$ ]] ||
  fail "first entry: $(sed -n 2p "$work/out")"
[[ $(sed -n 3p "$work/out") =~ ^\ 2\ +90\ +1\ +2 ]] || fail "second entry: $(sed -n 3p "$work/out")"
[[ $(wc -l <"$work/out") == 3 ]] || fail "listing length"

status=0
"$game" --scores >/dev/full 2>"$work/err" || status=$?
[[ $status == 1 && $(wc -l <"$work/err") == 1 ]] || fail "--scores >/dev/full: status $status, $(cat "$work/err")"

# Written on another system and edited there: CRLF line ends, a blank line after.
sed 's/$/\r/' "$work/data/zumbrik/scores" >"$work/crlf" && printf '\r\n' >>"$work/crlf"
mv "$work/crlf" "$work/data/zumbrik/scores"
"$game" --scores >"$work/out" 2>"$work/err" || fail "--scores on a CRLF table: status $?"
[[ $(wc -l <"$work/out") == 3 && ! -s $work/err ]] || fail "CRLF table: $(cat "$work/out" "$work/err")"

# Not ours to read: a later version's table, a named pipe. Neither is touched.
printf 'zumbrik-scores 2\nsomething new\n' >"$work/data/zumbrik/scores"
rm -f "$work/fifo" && mkfifo "$work/fifo"
for kind in later fifo; do
  [[ $kind == fifo ]] && mv "$work/fifo" "$work/data/zumbrik/scores"
  before=$(cd "$work/data/zumbrik" && find . -printf '%p %y %s %T@\n' | sort)
  status=0
  timeout 10 "$game" --scores >"$work/out" 2>"$work/err" || status=$?
  [[ $status == 1 && ! -s $work/out && $(wc -l <"$work/err") == 1 ]] ||
    fail "$kind table: status $status, $(cat "$work/out" "$work/err")"
  [[ $(cd "$work/data/zumbrik" && find . -printf '%p %y %s %T@\n' | sort) == "$before" ]] ||
    fail "$kind table: the folder changed"
done
rm -rf "$work/data"

status=0
"$game" --frobnicate >"$work/out" 2>"$work/err" || status=$?
[[ $status == 2 && ! -s $work/out && $(wc -l <"$work/err") == 1 ]] || fail "unknown option: status $status"
for line in "--scores --scores" "--help --version" "--no-music --no-music" "--no-music --scores" "--help --no-music"; do
  status=0
  # shellcheck disable=SC2086 # the words are the arguments
  "$game" $line >"$work/out" 2>"$work/err" || status=$?
  [[ $status == 2 && ! -s $work/out && $(wc -l <"$work/err") == 1 ]] || fail "$line: status $status"
done

"$game" --version >"$work/out" 2>"$work/err" || fail "--version: status $?"
[[ $(cat "$work/out") == "zumbrik $version" && ! -s $work/err ]] || fail "--version: $(cat "$work/out" "$work/err")"
"$game" --help >"$work/out" 2>"$work/err" || fail "--help: status $?"
for option in --no-music --scores --help --version; do
  grep -q -- "^  $option " "$work/out" || fail "--help does not list $option"
done
usage=$("$game" --bad 2>&1 >/dev/null || true)
[[ $(head -n1 "$work/out") == "$usage" ]] || fail "--help does not start with the usage line"
echo "command line checks passed"
