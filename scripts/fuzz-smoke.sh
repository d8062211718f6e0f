#!/usr/bin/env bash
# Builds the two module fuzzers with clang (ASan + UBSan) and runs each for
# SECONDS: the loader alone (xm_load_fuzzer), then loader, song scan and a
# slice of every order (xm_render_fuzzer). They start from seeds written by our
# own XM writer plus the corpus kept from earlier runs, and the inputs a run
# finds that add coverage are merged into that kept corpus. Prints executions
# per second and coverage per target; exits non-zero on any crash, leak,
# timeout, memory limit or sanitizer report.
# Usage: scripts/fuzz-smoke.sh SECONDS   (per target)
#   ZUMBRIK_FUZZ_BUILD_DIR  build folder (default: build-fuzz in the repo)
#   ZUMBRIK_FUZZ_CACHE      kept corpus, one folder per target (default: ~/.cache/zumbrik/fuzz)
set -euo pipefail

seconds="${1:?usage: scripts/fuzz-smoke.sh SECONDS (per target)}"
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZUMBRIK_FUZZ_BUILD_DIR:-$repo/build-fuzz}"
cache="${ZUMBRIK_FUZZ_CACHE:-$HOME/.cache/zumbrik/fuzz}"
work="$build/fuzz-run"
targets=(xm_load_fuzzer xm_render_fuzzer)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CXX=clang++ CC=clang cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DZUMBRIK_FUZZ=ON -DZUMBRIK_SANITIZE=address,undefined -DZUMBRIK_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}" xm_fuzz_seeds >/dev/null

rm -rf "$work"
mkdir -p "$work/seeds"
"$build/fuzz/xm_fuzz_seeds" "$work/seeds"

failed=0
for target in "${targets[@]}"; do
  kept="$cache/$target"
  found="$work/$target/found"
  artifacts="$work/$target/artifacts"
  log="$work/$target/log"
  mkdir -p "$kept" "$found" "$artifacts"
  # New inputs land in found/; the kept corpus and the seeds are only read.
  status=0
  "$build/fuzz/$target" "$found" "$kept" "$work/seeds" -dict="$repo/fuzz/xm.dict" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n1 || true)
  printf '%s: %s executions, %s exec/s, %s\n' "$target" "${execs:-?}" "${rate:-?}" "${coverage:-no coverage line}"
  # UBSan aborts on its first report here, so a report also ends the run with a failure.
  if ((status != 0)) || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    printf '%s FAILED (status %d); the end of its log (%s):\n' "$target" "$status" "$log"
    tail -n 40 "$log"
    ls -l "$artifacts"
    failed=1
    continue
  fi
  # Keep only what adds coverage to what was kept before.
  before=$(find "$kept" -type f | wc -l)
  "$build/fuzz/$target" -merge=1 "$kept" "$found" -timeout=10 -rss_limit_mb=2048 >"$log.merge" 2>&1 || {
    printf '%s: merging into %s failed:\n' "$target" "$kept"
    tail -n 20 "$log.merge"
    failed=1
    continue
  }
  printf '%s: kept corpus %d -> %d inputs (%s)\n' "$target" "$before" "$(find "$kept" -type f | wc -l)" "$kept"
done
exit "$failed"
