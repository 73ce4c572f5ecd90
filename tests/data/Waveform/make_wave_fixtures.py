#!/usr/bin/env python3
"""Writes the tiny wave files of the wave-file stimulus tests.

Every file holds two channels; channel 0 carries the codes of the value list
0, 0.5, -0.5, the largest and the smallest code, channel 1 a constant the
stimulus must never read. Run once from this folder: python3 make_wave_fixtures.py
"""
import struct

PCM, FLOAT, EXTENSIBLE = 1, 3, 0xFFFE
GUID_TAIL = bytes.fromhex("000000001000800000aa00389b71")
SUB_PCM = struct.pack("<H", 1) + GUID_TAIL
SUB_FLOAT = struct.pack("<H", 3) + GUID_TAIL


def fmt_chunk(tag, channels, rate, bits, block_align=None, sub=None):
    block_align = block_align if block_align is not None else channels * ((bits + 7) // 8)
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * block_align, block_align, bits)
    if tag == EXTENSIBLE:
        body += struct.pack("<HHI", 22, bits, 3) + sub
    else:
        body += struct.pack("<H", 0)
    return b"fmt " + struct.pack("<I", len(body)) + body


def wave(name, fmt, data, declared=None):
    declared = len(data) if declared is None else declared
    chunks = fmt + b"data" + struct.pack("<I", declared) + data
    with open(name, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks)


def frames(pack, codes, other):
    return b"".join(pack(c) + pack(other) for c in codes)


def int24(v):
    return struct.pack("<i", v)[:3]


wave("int8.wav", fmt_chunk(PCM, 2, 48000, 8),
     frames(lambda c: struct.pack("<B", c), [128, 192, 64, 255, 0], 200))
wave("int16.wav", fmt_chunk(PCM, 2, 48000, 16),
     frames(lambda c: struct.pack("<h", c), [0, 16384, -16384, 32767, -32768], 4096))
wave("int24.wav", fmt_chunk(EXTENSIBLE, 2, 48000, 24, sub=SUB_PCM),
     frames(int24, [0, 1 << 22, -(1 << 22), (1 << 23) - 1, -(1 << 23)], 1 << 20))
wave("int32.wav", fmt_chunk(PCM, 2, 48000, 32),
     frames(lambda c: struct.pack("<i", c), [0, 1 << 30, -(1 << 30), (1 << 31) - 1, -(1 << 31)], 1 << 28))
wave("float32.wav", fmt_chunk(FLOAT, 2, 44100, 32),
     frames(lambda c: struct.pack("<f", c), [0.0, 0.5, -0.5, 0.75, -1.0], 0.125))
wave("float32_ext.wav", fmt_chunk(EXTENSIBLE, 2, 48000, 32, sub=SUB_FLOAT),
     frames(lambda c: struct.pack("<f", c), [0.0, 0.5, -0.5, 0.75, -1.0], 0.125))
# Faults: a block alignment that is not channels x bytes, and a data chunk
# that claims more than the file holds (three whole frames are present).
wave("bad_align.wav", fmt_chunk(PCM, 2, 48000, 16, block_align=6),
     frames(lambda c: struct.pack("<h", c), [0, 16384, -16384, 32767], 4096))
wave("truncated.wav", fmt_chunk(PCM, 1, 48000, 16),
     b"".join(struct.pack("<h", c) for c in [0, 16384, -16384]) + b"\x01", declared=1000)
