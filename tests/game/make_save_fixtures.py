#!/usr/bin/env python3
"""Writes the persistence fixtures of tests/fixtures from the file layouts alone,
independently of the game's own writers, so that the golden tests compare the
game's reader and writer with a second encoding of the same format."""
import os
import struct
import sys

COUNTER_MASK = 0x6B2E91D4
FIELD_MASK = 0x3C8F07A5
SHOP_MASK = 0xD15A4E63
STAR_MASK = 0x9E0B72C8
TABLE_KEY = 0xA7


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def f32_bits(f):
    return struct.unpack('<I', struct.pack('<f', f))[0]


def block(words):
    return b''.join(u32(w ^ COUNTER_MASK) for w in words)


def quest(mode, resume, level):
    first = [3 * i for i in range(10)]
    third = [12345, f32_bits(61.5), 40, 12, 0, 3, 25, 2, 7, 5]
    second = [98765, f32_bits(3600.25), 400, 120, 0, 30, 250, 20, 9, 6]
    out = b'PSAV' + u32(2) + u32(mode) + bytes(range(0x10, 0x20)) + u32(1) + u32(resume)
    out += block(first) + block(third) + block(second)
    out += u32(level) + struct.pack('<f', 47.5) + struct.pack('<f', 30.0) + u32(3 ^ FIELD_MASK)
    out += struct.pack('<f', 0.75) + struct.pack('<d', 0.125) + u32(2)
    out += u32(4 ^ FIELD_MASK) + u32(10 ^ FIELD_MASK) + struct.pack('<f', 0.0) + u32(3) + u32(0)
    if resume == 1:
        cells = [[(r * 8 + c) % 7 + 1 for c in range(8)] for r in range(8)]
        cells[2][5] = -4
        cells[6][1] = 101
        locks = [[0] * 8 for _ in range(8)]
        locks[0][0] = 1
        locks[3][3] = 2
        kinds = [[0] * 8 for _ in range(8)]
        kinds[4][4] = 2
        levels = [[0] * 8 for _ in range(8)]
        levels[4][4] = 1
        fixed = [[1 if r == 7 else 0 for _ in range(8)] for r in range(8)]
        for grid in (cells, locks, kinds, levels, fixed):
            for row in grid:
                out += b''.join(u32(v) for v in row)
    if mode == 0:
        shop = [-1, -1, 0, 1, 2, 3, 0, 1, 0, -1, 2, 1, 0, 3, -1, 4]
        out += b''.join(u32(v ^ SHOP_MASK) for v in shop)
        out += u32(7 ^ STAR_MASK) + u32(4)
        for pair in ((1, 100), (5, 2), (7, 3), (13, 1)):
            out += u32(pair[0]) + u32(pair[1])
    return out


def hiscores():
    names = ['Wren', 'Ottoline', 'Bram', 'Isolde', 'Fenwick', 'Marigold', 'Tobias', 'Elowen', 'Caspar', 'Juniper']
    out = b''
    for e, name in enumerate(names):
        field = name.ljust(12).encode('ascii')
        out += bytes(b ^ TABLE_KEY for b in field)
        out += u32((900000 - 80000 * e) ^ (TABLE_KEY * 0x01010101))
        out += bytes(((e * 16 + i) & 0xFF) ^ TABLE_KEY for i in range(16))
    out += u32((sum(out) & 0xFFFFFFFF) ^ (TABLE_KEY * 0x01010101))
    return out


def best_scores():
    out = b''
    for i in range(41):
        name = ('Keeper' + str(i)) if i % 3 else 'x' * (i % 40 + 1)
        out += u32(len(name)) + name.encode('ascii') + u32(20000 + 1000 * i)
    return out


def trophies():
    return b''.join(u32(v) for v in (2, 3, 3, 3, 3, 3, 3, 1, 3))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'fixtures')
    files = {
        'quest_in_level.sav': quest(0, 1, 12),
        'quest_in_shop.sav': quest(0, 8, 13),
        'quest_side_mode_no_tail.sav': quest(2, 6, 12),
        'hiscores_ten_players.tbl': hiscores(),
        'best_scores_varied_names.bst': best_scores(),
        'trophies_all_top.dat': trophies(),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
