#!/usr/bin/env bash
# zumbrik-xm as a real process: help and version on stdout with status 0,
# usage errors with status 2, a module through a pipe and a WAV to standard
# output carrying nothing else, a failed write or an interrupt leaving the
# earlier file and no other behind.
# Usage: command_line_test.sh PATH_TO_ZUMBRIK_XM VERSION MODULE
set -euo pipefail
tool=$(realpath "$1")
version=$2
module=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs the tool; its status in $status, its streams in out and err.
run() { status=0; "$tool" "$@" >out 2>err || status=$?; }
# The files of the work folder besides the captured streams.
left_over() { find . -mindepth 1 ! -name out ! -name err ! -name help ! -name earlier.wav | sort | tr '\n' ' '; }

run --version
[[ $status == 0 && $(cat out) == "zumbrik-xm $version" && ! -s err ]] || fail "--version: $status $(cat out err)"
run --help
[[ $status == 0 && ! -s err ]] || fail "--help: status $status"
mv out help
for command in info render play; do
  grep -q "^  $command " help || fail "--help does not list $command"
  for help in --help -h; do
    run "$command" "$help"
    [[ $status == 0 && ! -s err && $(head -n1 out) == "usage: zumbrik-xm $command "* ]] ||
      fail "$command $help: status $status, $(head -n1 out)"
  done
done
grep -q -- "--seconds N" <("$tool" render x.xm --help) || fail "render's help does not describe --seconds"
for args in "" "frobnicate" "render" "info a b" "render a.xm b.wav --seconds 1e-9"; do
  # shellcheck disable=SC2086 # the words are the arguments
  run $args
  [[ $status == 2 && ! -s out && $(grep -c "usage: zumbrik-xm" err) == 1 ]] || fail "'$args': status $status"
done

# A module on standard input, the WAV on standard output: the same samples
# as from and to files, nothing else on standard output.
run render "$module" file.wav --seconds 3
[[ $status == 0 && ! -s out ]] || fail "render to a file: status $status $(cat err)"
status=0
cat "$module" | "$tool" render - - --seconds 3 2>err | cat >piped.wav || status=$?
[[ $status == 0 ]] || fail "render - -: status $status"
cmp -s file.wav piped.wav || fail "the piped WAV differs from the file"
[[ $(cat err) == "standard output: 3.00 s, 48000 Hz 16-bit stereo" ]] || fail "render - - said: $(cat err)"
"$tool" render "$module" /dev/stdout --seconds 3 >redirected.wav 2>err || fail "render to /dev/stdout"
cmp -s file.wav redirected.wav || fail "a WAV to /dev/stdout in a file differs"
"$tool" info - <"$module" >out 2>err || fail "info -"
[[ $(grep -c "^duration: " out) == 1 && ! -s err ]] || fail "info - said: $(cat out err)"
rm -f file.wav piped.wav redirected.wav

# A write that fails (the file-size limit stands in for a full disk) keeps
# the earlier WAV and leaves no partial file.
echo earlier >earlier.wav
status=0
(ulimit -f 64; trap '' XFSZ; exec "$tool" render "$module" earlier.wav >out 2>err) || status=$?
[[ $status == 1 && $(wc -l <err) == 1 ]] || fail "full disk: status $status, $(cat err)"
grep -q "earlier.wav: writing failed: " err || fail "full disk said: $(cat err)"
[[ $(cat earlier.wav) == earlier && -z $(left_over) ]] || fail "full disk left: $(left_over)"

# Ctrl+C stops a long render with status 130, removing its temporary file.
set -m  # a background job of a script ignores SIGINT otherwise
"$tool" render "$module" earlier.wav --seconds 1800 2>err &
pid=$!
for _ in $(seq 500); do
  [[ -n $(left_over) ]] && break
  sleep 0.01
done
[[ -n $(left_over) ]] || fail "no temporary file while rendering"
kill -INT "$pid"
status=0
wait "$pid" || status=$?
set +m
[[ $status == 130 ]] || fail "interrupted render: status $status"
[[ $(cat earlier.wav) == earlier && -z $(left_over) ]] || fail "interrupt left: $(left_over)"
grep -q "interrupted; nothing written to earlier.wav" err || fail "interrupted render said: $(cat err)"
echo "zumbrik-xm command line checks passed"
