#!/usr/bin/env python3
"""Gain factors n / sum(window) of the symmetric n-point Bartlett and Tukey
(alpha 0.4, the "Ext. Cosine Bell") windows, written as window_gain.txt.
Run once; the table is committed and the tests read it."""
import math

def bartlett(n):
    return [1.0 - abs(2.0 * k / (n - 1) - 1.0) for k in range(n)]

def tukey(n, alpha=0.4):
    width = alpha * (n - 1) / 2.0
    out = []
    for k in range(n):
        if k < width:
            out.append(0.5 * (1.0 - math.cos(math.pi * k / width)))
        elif k <= (n - 1) - width:
            out.append(1.0)
        else:
            out.append(0.5 * (1.0 - math.cos(math.pi * ((n - 1) - k) / width)))
    return out

with open("window_gain.txt", "w") as f:
    f.write("# type n gain  (1 Bartlett, 6 Ext. Cosine Bell)\n")
    for n in (3, 4, 8, 11, 100, 1024, 4097):
        f.write("1 %d %.17g\n" % (n, n / math.fsum(bartlett(n))))
        f.write("6 %d %.17g\n" % (n, n / math.fsum(tukey(n))))
