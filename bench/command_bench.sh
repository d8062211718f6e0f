#!/usr/bin/env bash
# The whole command against xmp's: CPU time (user + system) of
# `zumbrik-xm render FILE OUT.wav` and of `xmp -f 48000 -o OUT.wav FILE`, one
# pass each at 48 kHz, 16-bit stereo (the same bytes written; the lengths are
# checked to agree), per module, best of REPEATS (a short render repeated
# within each), with the medians.
# Usage: bench/command_bench.sh ZUMBRIK_XM [CORPUS_DIR [REPEATS]]
# The WAVs go to a folder beside the tool (a real disk, as a user's would),
# or to $ZUMBRIK_BENCH_OUT.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$(realpath "$1")
corpus=${2:-$root/.cache/corpus/xm-debian}
repeats=${3:-3}
bash "$root/scripts/setup.sh" xmp python3 >/dev/null
out=$(mktemp -d "${ZUMBRIK_BENCH_OUT:-$(dirname "$tool")}/command-bench.XXXXXX")
trap 'rm -rf "$out"' EXIT

python3 - "$tool" "$corpus" "$repeats" "$out" <<'PY'
import os, resource, statistics, subprocess, sys, time

tool, corpus, repeats, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]

def cpu(command, runs):
    """User and system seconds of one run of command (children only), over `runs` runs."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    for _ in range(runs):
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) / runs, (after.ru_stime - before.ru_stime) / runs

def best(command):
    # The system counts CPU time in ticks of a few milliseconds: a short
    # render is run often enough to take a quarter of a second.
    start = time.monotonic()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    runs = max(1, min(200, int(0.25 / max(time.monotonic() - start, 1e-4))))
    return min((cpu(command, runs) for _ in range(repeats)), key=sum)

modules = sorted(f for f in os.listdir(corpus) if f.lower().endswith(".xm"))
print(f"{'module':44} {'song s':>7} {'ours user':>9} {'sys':>6} {'xmp user':>9} {'sys':>6} {'xmp/ours':>8}")
ratios, rates = [], []
totals = [0.0, 0.0, 0.0, 0.0]
for name in modules:
    module = os.path.join(corpus, name)
    ours_wav, theirs_wav = os.path.join(out, "ours.wav"), os.path.join(out, "theirs.wav")
    try:
        ours = best([tool, "render", module, ours_wav])
        theirs = best(["xmp", "-q", "-f", "48000", "-o", theirs_wav, module])
    except subprocess.CalledProcessError:
        print(f"{name[:44]:44} failed")
        continue
    ours_bytes, theirs_bytes = os.path.getsize(ours_wav), os.path.getsize(theirs_wav)
    seconds = (ours_bytes - 44) / 4 / 48000
    # Both at one length: the other's CPU scaled to ours where they differ.
    theirs_scaled = [t * (ours_bytes - 44) / max(theirs_bytes - 44, 1) for t in theirs]
    ratio = sum(theirs_scaled) / max(sum(ours), 1e-6)
    ratios.append(ratio)
    for i, value in enumerate(list(ours) + theirs_scaled):
        totals[i] += value
    note = "" if abs(ours_bytes - theirs_bytes) <= 4 * 48000 // 100 else f"  (xmp {(theirs_bytes - 44) / 192000:.2f} s)"
    print(f"{name[:44]:44} {seconds:7.2f} {ours[0]:9.3f} {ours[1]:6.3f} {theirs_scaled[0]:9.3f} {theirs_scaled[1]:6.3f} "
          f"{ratio:8.2f}{note}")
    for path in (ours_wav, theirs_wav):
        os.remove(path)
print(f"\n{len(ratios)} modules: xmp's CPU over ours, median {statistics.median(ratios):.2f}, "
      f"lowest {min(ratios):.2f}; in all: ours {totals[0]:.2f} s user + {totals[1]:.2f} s system, "
      f"xmp {totals[2]:.2f} s user + {totals[3]:.2f} s system (best of {repeats} each)")
PY
