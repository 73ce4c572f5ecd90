#!/usr/bin/env python3
# Made butterworth2.txt once with SciPy: coefficients of digital second-order
# Butterworth low-passes (bilinear transform, corner pre-warped), normalised
# to a0 = 1. Columns: sample rate, corner, b0, b1, b2, a1, a2.
from scipy.signal import butter

cases = [(44100, 20), (44100, 1000), (44100, 10000), (48000, 100), (48000, 15000),
         (96000, 50), (96000, 40000), (8000, 3500)]
with open("butterworth2.txt", "w") as f:
    f.write("# fs f0 b0 b1 b2 a1 a2 (scipy.signal.butter(2, f0, fs=fs))\n")
    for fs, f0 in cases:
        b, a = butter(2, f0, btype="low", fs=fs)
        f.write(" ".join(["%d %d" % (fs, f0)] + ["%.17g" % v for v in (*b, a[1], a[2])]) + "\n")
