#!/usr/bin/env bash
# Builds the module-loading fuzzer with clang and runs it for SECONDS on seeds
# written by our own XM writer. Exits non-zero on any crash, leak or sanitizer report.
# Usage: scripts/fuzz-smoke.sh SECONDS
set -euo pipefail

seconds="${1:?usage: scripts/fuzz-smoke.sh SECONDS}"
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build-fuzz"
work="$repo/.cache/fuzz"

CXX=clang++ CC=clang cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZUMBRIK_FUZZ=ON -DZUMBRIK_SANITIZE=address,undefined -DZUMBRIK_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target xm_load_fuzzer xm_fuzz_seeds >/dev/null

mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$build/fuzz/xm_fuzz_seeds" "$work/seeds"

# New inputs go to corpus/; seeds stay as written. Crashes land in artifacts/.
"$build/fuzz/xm_load_fuzzer" "$work/corpus" "$work/seeds" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1
