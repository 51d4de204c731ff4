#!/usr/bin/env python3
"""Independent reference for the 16.16 maths, written from the rules alone.

Python integers never overflow and their >> is a floor shift, so each rule
is stated directly: a 16.16 product is (a*b) >> 16 with the low 32 bits
kept; a row times a column adds three products in 64 bits (wrapping) before
the one shift. Floats are rounded to single precision with struct.

  fixed_math_oracle.py tables OUT   sine, cosine and degree tables
  fixed_math_oracle.py cases OUT    random and extreme cases with answers
"""
import math
import random
import struct
import sys


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def wrap(x, bits):
    x &= (1 << bits) - 1
    return x - (1 << bits) if x >= 1 << (bits - 1) else x


def w32(x):
    return wrap(x, 32)


def mul(a, b):
    return w32((a * b) >> 16)


def dot3(a, b):
    return w32(wrap(sum(x * y for x, y in zip(a, b)), 64) >> 16)


def build_tables():
    two_pi = f32(6.2831855)
    sine, cosine = [], []
    for i in range(65536):
        angle = i * (1 / 65536) * two_pi
        sine.append(round(f32(math.sin(angle) * 65536)))
        cosine.append(round(f32(math.cos(f32(angle)) * 65536)))
    degrees = []
    for k in range(256):
        if 90 < k < 166:
            degrees.append((0, 0))
            continue
        d = f32(-k if k <= 90 else 256 - k)
        radians = f32(f32(d * f32(math.pi)) * f32(1 / 180))
        degrees.append((round(math.cos(radians) * 65536), round(math.sin(radians) * 65536)))
    return sine, cosine, degrees


def matmul(a, b):
    return [dot3(a[r * 3:r * 3 + 3], [b[c], b[3 + c], b[6 + c]]) for r in range(3) for c in range(3)]


def rotate(m, v):
    return [dot3(m[r * 3:r * 3 + 3], v) for r in range(3)]


def transpose(m):
    return [m[c * 3 + r] for r in range(3) for c in range(3)]


def add(a, b):
    return [w32(x + y) for x, y in zip(a, b)]


def sub(a, b):
    return [w32(x - y) for x, y in zip(a, b)]


def int_length(*c):
    total = 0.0
    for x in c:
        total += float(x) * float(x)
    return round(f32(math.sqrt(total)))


def normalise(v):
    length = int_length(*v)
    if length == 0:
        return 0, v
    out = []
    for c in v:
        q = abs(c) * 65536 // length
        out.append(w32(-q if c < 0 else q))
    return 1, out


def write_cases(path):
    sine, cosine, _ = build_tables()
    rng = random.Random(20261210)
    extremes = [0, 1, -1, 65535, 65536, -65536, 32768, 2**31 - 1, -2**31, 2**30, -2**30 - 7]

    def value():
        kind = rng.randrange(4)
        if kind == 0:
            return rng.choice(extremes)
        if kind == 1:
            return rng.randint(-2**31, 2**31 - 1)
        if kind == 2:
            return rng.randint(-65536 * 4, 65536 * 4)
        return rng.randint(-65536 * 3000, 65536 * 3000)

    def values(n):
        return [value() for _ in range(n)]

    def rot_x(a):
        c, s = cosine[a & 0xFFFF], sine[a & 0xFFFF]
        return [65536, 0, 0, 0, c, w32(-s), 0, s, c]

    def rot_z(a):
        c, s = cosine[a & 0xFFFF], sine[a & 0xFFFF]
        return [c, w32(-s), 0, s, c, 0, 0, 0, 65536]

    def rot_y(a):
        c, s = cosine[a & 0xFFFF], sine[a & 0xFFFF]
        return [c, 0, s, 0, 65536, 0, w32(-s), 0, c]

    lines = []
    for a in extremes:
        for b in extremes:
            lines.append(['mul', a, b, mul(a, b)])
    for _ in range(2000):
        a, b = value(), value()
        lines.append(['mul', a, b, mul(a, b)])
    for _ in range(500):
        a, b = values(9), values(9)
        lines.append(['matmul'] + a + b + matmul(a, b))
        m, v = values(9), values(3)
        lines.append(['rotate'] + m + v + rotate(m, v))
        m, t, p = values(9), values(3), values(3)
        lines.append(['transform'] + m + t + p + add(rotate(m, p), t))
        lines.append(['inverse'] + m + t + p + rotate(transpose(m), sub(p, t)))
        m2, t2 = values(9), values(3)
        lines.append(['compose'] + m + t + m2 + t2 + matmul(m, m2) + add(rotate(m, t2), t))
    # The largest sums: three products of -2^31 squared pass 2^63 and wrap.
    big = [-2**31] * 9
    lines.append(['matmul'] + big + big + matmul(big, big))
    for _ in range(300):
        a, b, c = rng.randint(-2**31, 2**31 - 1), rng.randint(-70000, 70000), rng.randint(0, 65535)
        ca, sa, cb, sb = cosine[a & 0xFFFF], sine[a & 0xFFFF], cosine[b & 0xFFFF], sine[b & 0xFFFF]
        xy = [cb, 0, sb, mul(sa, sb), ca, w32(-mul(sa, cb)), w32(-mul(ca, sb)), sa, mul(ca, cb)]
        lines.append(['rotxy', a, b] + xy)
        lines.append(['rotzx', a, b] + matmul(rot_z(a), rot_x(b)))
        lines.append(['rotzxy', c, a, b] + matmul(rot_z(c), xy))
        lines.append(['roty', a] + rot_y(a))
    for _ in range(1000):
        v = values(3) if rng.randrange(2) else [rng.randint(-300, 300) for _ in range(3)]
        ok, out = normalise(v)
        lines.append(['normalise'] + v + [ok] + out)
    with open(path, 'w') as f:
        for line in lines:
            f.write(' '.join(str(x) for x in line) + '\n')


def write_tables(path):
    sine, cosine, degrees = build_tables()
    with open(path, 'w') as f:
        f.write(' '.join(map(str, sine)) + '\n')
        f.write(' '.join(map(str, cosine)) + '\n')
        f.write(' '.join('%d %d' % pair for pair in degrees) + '\n')


if __name__ == '__main__':
    {'tables': write_tables, 'cases': write_cases}[sys.argv[1]](sys.argv[2])
