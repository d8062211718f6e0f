#!/usr/bin/env bash
# Where the time of `zumbrik-xm render` (one pass) goes, over the theme and
# every corpus module, summed by part of the program: perf samples, or with
# --instructions callgrind's instruction counts (slower, but they do not move
# with the load of the machine; instructions are not time, though).
# Usage: scripts/profile-render.sh [--instructions] ZUMBRIK_XM [CORPUS_DIR]
# Give it a RelWithDebInfo build, so that the functions have names.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=perf
if [ "${1:-}" = --instructions ]; then mode=callgrind; shift; fi
tool=$(realpath "$1")
corpus=${2:-$root/.cache/corpus/xm}
if [ $mode = perf ]; then bash "$root/scripts/setup.sh" linux-perf python3; else bash "$root/scripts/setup.sh" valgrind python3; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
modules=()
for module in "$root/resources/theme.xm" "$corpus"/*.xm "$corpus"/*.XM; do [ -f "$module" ] && modules+=("$module"); done

if [ $mode = perf ]; then
  cat >"$work/render-all.sh" <<SH
for module in ${modules[*]@Q}; do "$tool" render "\$module" "$work/out.wav" >/dev/null 2>&1; done
SH
  perf record -q -F 4000 -o "$work/perf.data" bash "$work/render-all.sh" 2>/dev/null
  # One line a symbol: its share of all samples, then the symbol.
  perf report -i "$work/perf.data" --no-children --sort dso,symbol --stdio 2>/dev/null |
    sed -nE 's/^ *([0-9.]+)% +(.*)$/\1 \2/p' >"$work/shares.txt"
else
  for module in "${modules[@]}"; do
    valgrind --tool=callgrind --callgrind-out-file="$work/one.cg" "$tool" render "$module" "$work/out.wav" >/dev/null 2>&1
    callgrind_annotate --auto=no --threshold=100 --inclusive=no "$work/one.cg" |
      sed -nE 's/^ *([0-9,]+) \( *[0-9.]+%\) +(.*)$/\1 \2/p' | grep -v 'PROGRAM TOTALS' | tr -d , >>"$work/shares.txt" || true
  done
fi

python3 - "$work/shares.txt" <<'PY'
import collections, re, sys
# First match wins.
parts = [
    ("kernel (file writes, page faults, start)", r"\[k\]"),
    ("conversion", r"Convert"),
    ("mixer voice run", r"Mix"),
    ("segment grid and output", r"PlayRenderer|RenderedPlay|OfflinePlay"),
    ("song scan", r"ScanSong|LoopSets|FlowRuns|StepRow|RowFrames"),
    ("loading", r"LoadModule|LoadFromHeader|LoadInstrument|LoadPatterns|ReadSongHeader|ReadSampleHeader"
                r"|ReadInstrumentDetails|Decode|UnpackCells|ModuleSource|ModuleArena|CachedFileRead|ReadFileAt"
                r"|AllocateRecords|AllocateArray|SetGuardSample|BeginsLikeXm|LoadModuleFile"),
    ("WAV writer", r"RenderCommand|PutLittleEndian|LittleEndianSamples|filebuf|basic_file|ostream|codecvt|writev"
                   r"|malloc|free|operator new|operator delete"),
    ("program start (dynamic linking)", r"ld-linux|_dl_|dl_main|do_lookup|check_match"),
    ("sequencer per tick and row", r"exp2|zumbrik::"),  # the player's remaining functions
]
totals, functions = collections.Counter(), collections.Counter()
for text in open(sys.argv[1], errors="replace"):
    value, _, where = text.strip().partition(" ")
    part = next((name for name, pattern in parts if re.search(pattern, where)), "other")
    totals[part] += float(value)
    name = re.sub(r"\s+", " ", where.replace("(anonymous namespace)", "{anonymous}")).removesuffix(" - -")
    functions[re.sub(r"\(.*", "", name)] += float(value)
whole = sum(totals.values())
for part, value in totals.most_common():
    print(f"{100 * value / whole:6.2f}%  {part}")
print("top functions:")
for function, value in functions.most_common(25):
    print(f"{100 * value / whole:6.2f}%  {function}")
PY
