#!/usr/bin/env python3
"""Compares renders of one module: their lengths and the correlation of their
loudness envelopes (RMS over 50 ms windows of both channels).

Usage: loudness_envelope.py OURS.wav XMP.wav OPENMPT.wav
Prints one line: seconds of each, and the correlations ours~xmp, ours~openmpt,
xmp~openmpt (Pearson, over the windows all renders have). A missing render
(an empty path or no file) prints as nan.
"""
import array
import math
import os
import sys
import wave

WINDOW_SECONDS = 0.05


def read(path):
    """(seconds, envelope) of a 16-bit WAV, or (nan, None)."""
    if not path or not os.path.exists(path):
        return math.nan, None
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            raise SystemExit(f"{path}: not 16-bit")
        rate, channels, frames = w.getframerate(), w.getnchannels(), w.getnframes()
        data = array.array("h", w.readframes(frames))
    if sys.byteorder != "little":
        data.byteswap()
    window = int(rate * WINDOW_SECONDS) * channels
    envelope = []
    for start in range(0, len(data) - window + 1, window):
        chunk = data[start:start + window]
        envelope.append(math.sqrt(sum(x * x for x in chunk) / window))
    return frames / rate, envelope


def correlation(a, b):
    if a is None or b is None:
        return math.nan
    n = min(len(a), len(b))
    if n < 2:
        return math.nan
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a)
    vb = sum((y - mb) ** 2 for y in b)
    if va == 0 or vb == 0:
        return 1.0 if va == vb else 0.0
    return cov / math.sqrt(va * vb)


def main():
    ours, xmp, mpt = (read(p) for p in sys.argv[1:4])
    print(f"{ours[0]:.3f} {xmp[0]:.3f} {mpt[0]:.3f} "
          f"{correlation(ours[1], xmp[1]):.4f} {correlation(ours[1], mpt[1]):.4f} {correlation(xmp[1], mpt[1]):.4f}")


if __name__ == "__main__":
    main()
