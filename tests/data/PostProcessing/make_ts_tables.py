#!/usr/bin/env python3
# Impedance tables of a driver model for the ts verb's tests:
#   Z = Re + j w Le + Bl^2 / (Rms + j w M + K / (j w))
# Re 6 ohm, fs 50 Hz, Qms 5, Qes 0.4, Mms 20 g, Le 0.2 mH, 24 points per octave
# from 10 Hz to 20 kHz. model_free.txt in free air, model_10g.txt with 10 g
# added, model_box20l.txt in a closed 20 l box (Sd 200 cm^2: stiffness
# 142000 Sd^2 / Vt, the rear air load 0.85 A instead of A, A = 0.575 Sd^1.5).
import cmath, math

Re, fs, Qms, Qes, Mms, Le = 6.0, 50.0, 5.0, 0.4, 0.020, 0.2e-3
w0 = 2 * math.pi * fs
K0 = w0 * w0 * Mms
Rms = w0 * Mms / Qms
Bl2 = w0 * Mms * Re / Qes

def table(name, comment, mass=0.0, stiffness=0.0):
    with open(name, "w") as out:
        out.write("* %s\n* Hz  ohms  degrees\n" % comment)
        i = 0
        while True:
            f = 10 * 2 ** (i / 24)
            if f > 20000:
                break
            w = 2 * math.pi * f
            z = complex(Re, w * Le) + Bl2 / complex(Rms, w * (Mms + mass) - (K0 + stiffness) / w)
            out.write("%10.4f %10.5f %9.4f\n" % (f, abs(z), math.degrees(cmath.phase(z))))
            i += 1

sd, vt = 0.02, 0.020
a = 0.575 * sd ** 1.5
table("model_free.txt", "driver model in free air")
table("model_10g.txt", "driver model with 10 g added", mass=0.010)
table("model_box20l.txt", "driver model in a closed 20 l box", mass=-0.15 * a, stiffness=142000 * sd * sd / vt)
