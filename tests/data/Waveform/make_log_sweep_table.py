#!/usr/bin/env python3
# Reference samples of the logarithmic sweep 20 Hz - 20 kHz, 0.1 s per octave,
# at 48 kHz: x[i] = sin(2*pi*(A*exp(K*i*dt) - 1)) with T = octaves * 0.1,
# K = ln(f2/f1) / T, A = f1 / K, dt = T / n, n = round(fs * T) + 1.
# Computed in 50-digit arithmetic; writes "index value" lines.
from mpmath import mp, mpf, log, exp, sin, pi, nint
mp.dps = 50
fs, f1, f2, d = mpf(48000), mpf(20), mpf(20000), mpf("0.1")
octaves = log(f2 / f1, 2)
n = int(nint(fs * d * octaves)) + 1
T = octaves * d
K = log(f2 / f1) / T
A = f1 / K
dt = T / n
print(f"# n {n}")
for i in [0, 1, 1000, 20000, 40000, n - 1]:
    print(i, mp.nstr(sin(2 * pi * (A * exp(K * i * dt) - 1)), 17))
