#!/usr/bin/python3
# Reference tables for the analysis tests, computed once with numpy/scipy.
# Run from this folder: /usr/bin/python3 make_analysis_tables.py
import numpy as np
from scipy import signal


def log_axis(f1, f2, ppo):
    """The logarithmic axis of YFreqVec::Create: f1·2^(k/ppo) up to exactly f2."""
    out, k = [], 0
    while True:
        f = f1 * 2.0 ** (k / ppo)
        if f >= f2 * (1 - 1e-12):
            out.append(f2)
            return np.array(out)
        out.append(f)
        k += 1


# numpy.unwrap of wrapped phases: linear phases of fixed steps, and the phase
# of a 2nd-order high-pass at 50 Hz behind a 0.5 ms delay on a 24 ppo axis.
with open("unwrap_cases.txt", "w") as t:
    t.write("# case index wrapped unwrapped (radians); numpy.unwrap\n")
    for step in (0.3, -0.3, 0.6, -0.6, 0.9, -0.9):
        p = 0.25 + step * np.pi * np.arange(48)
        w = np.angle(np.exp(1j * p))
        u = np.unwrap(w)
        for i in range(len(p)):
            t.write("step%+.1fpi %d %.17g %.17g\n" % (step, i, w[i], u[i]))
    f = log_axis(20.0, 20000.0, 24)
    b, a = signal.butter(2, 2 * np.pi * 50, "highpass", analog=True)
    _, h = signal.freqs(b, a, 2 * np.pi * f)
    w = np.angle(h * np.exp(-2j * np.pi * f * 0.0005))
    u = np.unwrap(w)
    for i in range(len(f)):
        t.write("hp50delay %d %.17g %.17g\n" % (i, w[i], u[i]))

# Minimum phase of a 2nd-order Butterworth high-pass at 50 Hz (analog, so the
# true minimum phase) on the 48 points-per-octave axis from 20 Hz to 20 kHz.
f = log_axis(20.0, 20000.0, 48)
b, a = signal.butter(2, 2 * np.pi * 50, "highpass", analog=True)
_, h = signal.freqs(b, a, 2 * np.pi * f)
with open("butterworth_hp50.txt", "w") as t:
    t.write("# frequency_Hz magnitude_dB phase_deg; scipy.signal.butter(2, 50 Hz, highpass, analog)\n")
    for fi, hi in zip(f, h):
        t.write("%.17g %.17g %.17g\n" % (fi, 20 * np.log10(abs(hi)), np.degrees(np.angle(hi))))

# 1st-order low-pass at 1 kHz on 48 points per octave through 1 kHz: unwrapped
# phase and the group delay -dphi/domega, from scipy's response and an
# analytic derivative.
f = log_axis(1000.0 / 64, 16000.0, 48)
b, a = signal.butter(1, 2 * np.pi * 1000, "lowpass", analog=True)
_, h = signal.freqs(b, a, 2 * np.pi * f)
wc = 2 * np.pi * 1000
gd = (1 / wc) / (1 + (f / 1000) ** 2)
with open("lowpass1k_groupdelay.txt", "w") as t:
    t.write("# frequency_Hz phase_rad group_delay_s; scipy.signal.butter(1, 1 kHz, lowpass, analog)\n")
    for fi, hi, gi in zip(f, np.unwrap(np.angle(h)), gd):
        t.write("%.17g %.17g %.17g\n" % (fi, hi, gi))

# The weighting tables are published, not computed: IEC 61672-1 (A, C),
# IEC 60651 (B), IEC 60537 (D), at the exact frequencies 1000·10^(n/10) Hz,
# rounded to 0.1 dB. They live in iec_weighting.txt, typed from the standards;
# this prints how far the analog transfer functions are from them.
rows = [l.split() for l in open("iec_weighting.txt") if not l.startswith("#")]


def weight(f, kind):
    s = 2j * np.pi * f
    p = (s + 129.4) ** 2 * (s + 76655) ** 2
    return abs([s ** 4 / (p * (s + 676.7) * (s + 4636)),
                s ** 3 / (p * (s + 995.9)),
                s ** 2 / p,
                s * (s * s + 6532 * s + 4.0975e7)
                / ((s * s + 21514 * s + 3.8836e8) * (s + 1776.3) * (s + 7288.5))][kind])


worst = 0.0
for r in rows:
    fe = 1000 * 10 ** (int(r[1]) / 10)
    for kind in range(4):
        d = 20 * np.log10(weight(fe, kind) / weight(1000, kind)) - float(r[2 + kind])
        worst = max(worst, abs(d))
print("largest difference of |H(i omega)| from the published rows: %.3f dB" % worst)
