#!/usr/bin/env python3
"""Writes default-record.txt: the non-zero bytes of the default measurement
configuration record (2848 bytes), one field per line as "offset hexbytes",
typed in from the record's tables of defaults (little-endian)."""
import struct

fields = [
    # header and hardware
    (0, '<i', 56), (8, '<I', 1), (16, '<H', 1), (24, '<d', 44100.0), (32, '<H', 16),
    (34, '<H', 2), (36, '<H', 2), (40, '<i', 9600), (44, '<H', 16), (48, '<h', -1),
    (50, '<h', -1), (52, '<h', 3), (56, '<d', 68.0), (64, '<d', 0.47), (72, '<d', 0.1),
    (80, '<d', 2.0), (88, '<d', 1.0), (104, '<i', 99999999),
    # microphone
    (464, '<d', 0.01),
    # generator (block at 600)
    (600 + 4, '<H', 2001), (600 + 8, '<d', 1.0), (600 + 16, '<d', 1.0), (600 + 24, '<I', 3),
    (600 + 288, '<d', 1000.0), (600 + 296, '<d', 20.0), (600 + 304, '<d', 20000.0),
    (600 + 312, '<i', 96), (600 + 316, '<i', 100),
]
# six output channel records at generator offset 320, 160 bytes each:
# five filter slots of type -2 at record offset 20
for ch in range(6):
    for slot in range(5):
        fields.append((600 + 320 + 160 * ch + 20 + 4 * slot, '<i', -2))
# analyzer (block at 2008)
fields += [
    (2008 + 0, '<I', 1), (2008 + 8, '<d', 10.0), (2008 + 16, '<h', 1), (2008 + 18, '<H', 2),
    (2008 + 282, '<h', -1), (2008 + 284, '<h', -1), (2008 + 546, '<h', -1), (2008 + 548, '<h', -1),
    (2008 + 552, '<d', 0.05), (2008 + 576, '<h', -1), (2008 + 578, '<h', 2), (2008 + 580, '<H', 1),
    (2008 + 584, '<i', 888),
]

with open('default-record.txt', 'w') as out:
    out.write('# offset hexbytes: non-zero fields of the default record (driver model 1)\n')
    for off, fmt, value in fields:
        out.write('%d %s\n' % (off, struct.pack(fmt, value).hex()))
