#!/usr/bin/env bash
# Renders every MOD and S3M of the reference corpus (scripts/fetch-tracker-corpus.sh)
# with zumbrik-xm and with the two peer players from Debian's packages (xmp,
# openmpt123), one pass each at 48 kHz, and prints per file: the lengths, the
# length difference from xmp's, and how closely the loudness envelopes (50 ms
# windows) correlate, ours with each peer's and the peers' with each other.
# A file passes when its length is within 1 % of xmp's and its envelope
# correlates at least 0.95 with either peer's, or as closely as the peers agree.
# The peers render at full stereo separation, as the player pans: by default
# xmp narrows every module to 70 % and openmpt123 puts MOD channels at a
# quarter and three quarters, where the Amiga (and this player) pans them hard.
# Usage: bench/compare-with-peers.sh ZUMBRIK_XM [CORPUS_DIR (default /work/extra)] [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$1
corpus=${2:-/work/extra}
out=${3:-$(mktemp -d)}
mkdir -p "$out"
command -v xmp >/dev/null && command -v openmpt123 >/dev/null || {
  echo "compare-with-peers: needs xmp and openmpt123 (apt-get install xmp openmpt123)" >&2; exit 2; }
printf '%-55s %8s %8s %8s %7s %7s %7s %7s  %s\n' file ours xmp openmpt len% r_xmp r_mpt r_peers verdict
pass=0 total=0
for module in "$corpus"/mod/* "$corpus"/s3m/*; do
  [ -f "$module" ] || continue
  name=$(basename "$module")
  work="$out/$name.d"
  mkdir -p "$work"
  cp "$module" "$work/in"
  [ -f "$work/ours.wav" ] || "$tool" render "$module" "$work/ours.wav" >/dev/null 2>"$work/ours.err" || rm -f "$work/ours.wav"
  [ -f "$work/xmp.wav" ] || xmp -q -P 100 -f 48000 -o "$work/xmp.wav" "$module" >/dev/null 2>&1 || rm -f "$work/xmp.wav"
  separation=100
  case "${module,,}" in *.mod) separation=200 ;; esac
  if [ ! -f "$work/mpt.wav" ]; then
    openmpt123 --quiet --render --stereo "$separation" --samplerate 48000 --no-float --force "$work/in" >/dev/null 2>&1 &&
      mv "$work/in.wav" "$work/mpt.wav" || true
  fi
  read -r ours xmp_s mpt_s r_xmp r_mpt r_peers < <(python3 "$here/peers/loudness_envelope.py" \
    "$work/ours.wav" "$work/xmp.wav" "$work/mpt.wav")
  verdict=$(python3 - "$ours" "$xmp_s" "$r_xmp" "$r_mpt" "$r_peers" <<'PY'
import math, sys
ours, xmp, rx, rm, rp = (float(v) for v in sys.argv[1:])
if math.isnan(ours): print("fail(no render) nan"); sys.exit()
diff = 100 * (ours - xmp) / xmp if xmp and not math.isnan(xmp) else math.nan
best = max((r for r in (rx, rm) if not math.isnan(r)), default=math.nan)
need = min(0.95, rp) if not math.isnan(rp) else 0.95
ok = (not math.isnan(diff)) and abs(diff) <= 1 and not math.isnan(best) and best >= need - 1e-9
print(("pass" if ok else "FAIL"), f"{diff:.2f}")
PY
)
  total=$((total + 1))
  [ "${verdict%% *}" = pass ] && pass=$((pass + 1))
  printf '%-55s %8s %8s %8s %7s %7s %7s %7s  %s\n' "${name:0:55}" "$ours" "$xmp_s" "$mpt_s" "${verdict##* }" \
    "$r_xmp" "$r_mpt" "$r_peers" "${verdict%% *}"
done
echo "$pass of $total files pass (renders kept in $out)"
