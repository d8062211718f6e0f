#!/usr/bin/env bash
# Prints the SHA-256 of `zumbrik-xm render` (one pass) of the theme and of every
# corpus module, one line each; comparing two runs shows whether a change moved
# a single rendered sample.
# Usage: scripts/render-digests.sh ZUMBRIK_XM [CORPUS_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$1
corpus=${2:-$root/.cache/corpus/xm}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for module in "$root/resources/theme.xm" "$corpus"/*.xm "$corpus"/*.XM; do
  [ -f "$module" ] || continue
  "$tool" render "$module" "$work/out.wav" >/dev/null 2>&1 || { echo "FAILED  $(basename "$module")"; continue; }
  printf '%s  %s\n' "$(sha256sum < "$work/out.wav" | cut -d' ' -f1)" "$(basename "$module")"
done
