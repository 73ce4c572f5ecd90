#!/usr/bin/env python3
"""Writes the tiny native curve files the Curves tests compare against.

Written from the file layouts alone (little-endian, no padding, float32
values, fixed zero-filled text fields), independently of the C++ code.
The tests build the same content in C++ and expect the writer to produce
these bytes exactly, and the readers to give these fields back.

Run from this folder: python3 make_curve_fixtures.py
"""
import struct

def f32vec(values):
    return struct.pack('<i', len(values)) + b''.join(struct.pack('<f', v) for v in values)

def text(s, size):
    b = s.encode('cp1252')
    assert len(b) < size
    return b + b'\0' * (size - len(b))

def date(y, mo, d, h, mi, s):
    return struct.pack('<6H', y, mo, d, h, mi, s)

def settings(size, marker):
    """A settings block with the fields the curve code reads set, and some
    marker bytes that show what a conversion keeps and what it overwrites."""
    b = bytearray(size)
    struct.pack_into('<d', b, 24, 48000.0)       # sample rate
    struct.pack_into('<H', b, 32, 24)            # bits per sample
    struct.pack_into('<H', b, 604, 3)            # stimulus module id
    struct.pack_into('<I', b, 2008, 8)           # analyzer flags (bit 3)
    struct.pack_into('<H', b, 2012, 0)           # analysis kind
    struct.pack_into('<H', b, 2588, 1)           # minimum-phase accuracy
    struct.pack_into('<d', b, 2560, 0.004)       # time window
    for i in range(2720, 2848):                  # extension area
        b[i] = (i + marker) & 0xFF
    for i in range(2848, size):                  # the 112 bytes after the record
        b[i] = (i * 7 + marker) & 0xFF
    b[100] = marker
    return bytes(b)

def older_form(record):
    """The conversion of a first-version 2848-byte record into a 2960-byte block."""
    b = bytearray(2960)
    b[:2848] = record[:2848]
    b[2720:2832] = bytes(2832 - 2720)
    for off, v in ((2728, 8.0), (2776, 40.0), (2784, 40.0), (2800, -10.0), (2808, 10.0)):
        struct.pack_into('<d', b, off, v)
    return bytes(b)

FREQ = [100.0, 200.0, 400.0, 800.0, 1600.0]
WOOFER = {
    1: [80.0, 85.5, 86.25, 84.0, 79.125],
    2: [-0.5, -0.25, 0.0, 0.3, 0.6],
    4: [-0.4, -0.2, 0.05, 0.25, 0.5],
    16: [0.001, 0.0005, 0.00025, 0.000125, 0.0000625],
    32: [0.0009, 0.0004, 0.0002, 0.0001, 0.00005],
}
TWEETER = {
    1: [70.0, 71.0, 72.0, 73.0, 74.0],
    2: [0.1, 0.2, 0.3, 0.4, 0.5],
    4: [0.05, 0.1, 0.15, 0.2, 0.25],
    16: [0.0002, 0.0002, 0.0002, 0.0002, 0.0002],
    32: [0.0001, 0.0001, 0.0001, 0.0001, 0.0001],
    128: [1.0, 0.5, 0.25, 0.125, 0.0625],
    1024: [0.1, 0.05, 0.025, 0.0125, 0.00625],
}

def sxf_record(title, dt, block, curves):
    out = text(title, 256) + dt + block + f32vec(FREQ) + struct.pack('<i', len(curves))
    for kind in sorted(curves):
        out += struct.pack('<i', kind) + f32vec(curves[kind])
    return out

def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)

S3 = settings(2960, 0x11)
S2 = settings(2848, 0x22)
D = date(2024, 3, 7, 14, 5, 9)

write('tiny_v3.sxf', b'@SXSPLCV003' + struct.pack('<i', 2) +
      sxf_record('Woofer', D, S3, WOOFER) + sxf_record('Tweeter', date(0, 0, 0, 0, 0, 0), S3, TWEETER))
write('tiny_v2.sxf', b'@SXSPLCV002' + struct.pack('<i', 1) + sxf_record('Woofer', D, S2, WOOFER))
# What writing the version-2 file back gives.
write('tiny_v2_as_v3.sxf', b'@SXSPLCV003' + struct.pack('<i', 1) + sxf_record('Woofer', D, older_form(S2), WOOFER))
write('mag_phase_only.sxf', b'@SXSPLCV003' + struct.pack('<i', 1) +
      sxf_record('Mid', D, S3, {1: WOOFER[1], 2: WOOFER[2]}))

ZF = [10.0, 20.0, 40.0, 80.0]
ZM = [6.5, 12.0, 30.0, 9.0]
ZP = [0.1, 0.6, 0.0, -0.5]
ZLM = [6.4, 10.0, 25.0, 8.5]
ZLP = [0.05, 0.5, 0.1, -0.4]
TS = bytes((i * 3) & 0xFF for i in range(824))
def sxz(magic, block, loaded):
    out = magic + D + block + TS + text('Driver A', 256) + text('/data/driver_a.sxz', 260)
    out += f32vec(ZF) + f32vec(ZM) + f32vec(ZP)
    out += (f32vec(ZLM) + f32vec(ZLP)) if loaded else struct.pack('<ii', 0, 0)
    return out
write('imp_loaded.sxz', sxz(b'@SXZCURV002', S3, True))
write('imp_free.sxz', sxz(b'@SXZCURV002', S3, False))
write('imp_v1.sxz', sxz(b'@SXZCURV001', S2, True))

IR = [0.0, 1.0, -0.5, 0.25, -0.125, 0.0625]
write('impulse.sxp', b'@SXPIRCV002' + D + S3 + text('Impulse', 256) + text('/data/ir.sxp', 260) + f32vec(IR))

ANG = [-30.0, 0.0, 30.0]
PF = [500.0, 1000.0, 2000.0]
PM = [[80.0, 81.0, 82.0], [84.0, 85.0, 86.0], [79.0, 80.5, 81.5]]
PP = [[0.1, 0.2, 0.3], [0.0, 0.0, 0.0], [-0.1, -0.2, -0.3]]
SLOTS = [1, 2, -1, -1, -1, -1, -1, 0]
def spp(slots, active):
    out = b'@SXPPLOT002' + D + S3 + struct.pack('<ii', active, 1) + text('Polar', 256) + text('/data/p.spp', 260)
    out += f32vec(ANG) + f32vec(PF) + struct.pack('<i', len(ANG))
    for m, p in zip(PM, PP):
        out += struct.pack('<i', len(m)) + b''.join(struct.pack('<ff', a, b) for a, b in zip(m, p))
    return out + struct.pack('<8i', *slots)
write('polar.spp', spp(SLOTS, SLOTS[0]))
write('polar_empty.spp', spp([-1] * 8, -1))

CF = [200.0, 400.0, 800.0, 1600.0]
CL = [[90.0, 91.0, 92.0, 93.0], [80.0, 81.0, 82.0, 83.0], [70.0, 71.0, 72.0, 73.0]]
def csd_f0(param):
    out = b'@SXCSDGRAPH002' + D + S3 + text('Waterfall', 256) + text('/data/w.csd', 260)
    out += struct.pack('<ii', 0, len(CL)) + f32vec(CF)
    for levels in CL:
        out += b''.join(struct.pack('<f', v) for v in levels)
    return out + (struct.pack('<d', param) if param is not None else b'')
write('csd_f0.csd', csd_f0(0.003))
write('csd_noparam.csd', csd_f0(None))
# Slices on their own axes: the last one shorter.
CF1 = [[200.0, 400.0, 800.0], [210.0, 420.0, 840.0], [220.0, 440.0]]
CL1 = [[90.0, 91.0, 92.0], [80.0, 81.0, 82.0], [70.0, 71.0]]
out = b'@SXCSDGRAPH002' + D + S3 + text('Waterfall 2', 256) + text('/data/w2.csd', 260)
out += struct.pack('<ii', 1, len(CL1))
for fr, lv in zip(CF1, CL1):
    out += struct.pack('<i', len(fr)) + b''.join(struct.pack('<ff', a, b) for a, b in zip(fr, lv))
write('csd_f1.csd', out + struct.pack('<d', 0.005))

write('multi.smg', b'Sonbex Analyzer 3 Multi-Graph v1\r\nTwo-way box\r\n\r\n'
      b'"/data/woofer.sxf", 0.0000, 0\r\n"/data/tweeter.sxf", -3.5000, 1\r\n"/data/driver_a.sxz", 0, 1\r\n; EOF\r\n')
