#!/usr/bin/env python3
"""Two-pass kernel resampling of a qk24RGB image, written independently from the description:
contributor lists with mirrored edges, weights round(kernel * 256) (half to even), sums divided by
the weights' total truncating toward zero and limited to 0..255.

Usage: resample_reference.py SOURCE_W SOURCE_H FILTER:DEST_W:DEST_H ...
The source pixel (x, y) channel c is (x * 37 + y * 91 + c * 53) % 256 (memory order b, g, r).
Prints one line per case: the destination bytes, rows from the top, separated by blanks.
"""
import math
import sys


def sinc(x):
    return 1.0 if x == 0 else math.sin(math.pi * x) / (math.pi * x)


def triangle(x):
    t = abs(x)
    return 1 - t if t < 1 else 0.0


def hermite(x):
    t = abs(x)
    return (2 * t - 3) * t * t + 1 if t < 1 else 0.0


def bell(x):
    t = abs(x)
    if t < 0.5:
        return 0.75 - t * t
    if t < 1.5:
        return 0.5 * (t - 1.5) ** 2
    return 0.0


def bspline(x):
    t = abs(x)
    if t < 1:
        return 0.5 * t ** 3 - t * t + 2 / 3
    if t < 2:
        return (2 - t) ** 3 / 6
    return 0.0


def lanczos3(x):
    t = abs(x)
    return sinc(t) * sinc(t / 3) if t < 3 else 0.0


def mitchell(x):
    t = abs(x)
    if t < 1:
        return (7 * t ** 3 - 12 * t * t + 16 / 3) / 6
    if t < 2:
        return (-(7 / 3) * t ** 3 + 12 * t * t - 20 * t + 32 / 3) / 6
    return 0.0


def box(x):
    return 1.0 if -0.5 < x <= 0.5 else 0.0


def linear(x):
    if -1 <= x < 0:
        return x + 1
    if 0 <= x < 1:
        return 1 - x
    return 0.0


KERNELS = {1: (triangle, 1.0), 2: (hermite, 1.0), 3: (bell, 1.5), 4: (bspline, 2.0),
           5: (lanczos3, 3.0), 6: (mitchell, 2.0), 7: (box, 1.0), 8: (linear, 1.0)}


def contributors(src, dst, f, support):
    scale = dst / src if src == 1 or dst == 1 else (dst - 1) / (src - 1)
    lists = []
    for i in range(dst):
        centre = i / scale
        width = support if scale >= 1 else support / scale
        pairs = []
        for j in range(math.floor(centre - width), math.ceil(centre + width) + 1):
            if scale >= 1:
                w = round(f(centre - j) * 256)
            else:
                w = round(f((centre - j) * scale) * 256 * scale)
            if w == 0:
                continue
            n = -j if j < 0 else (2 * src - j - 1 if j >= src else j)
            pairs.append((min(max(n, 0), src - 1), w))
        lists.append(pairs)
    return lists


def weigh(pairs, sample):
    total = sum(w for _, w in pairs) or 256
    value = int(sum(w * sample(n) for n, w in pairs) / total)  # exact for these small integers
    return min(max(value, 0), 255)


def resample(src, sw, sh, kernel, dw, dh):
    f, support = KERNELS[kernel]
    columns = contributors(sw, dw, f, support)
    work = [[[weigh(columns[i], lambda n: src[y][n][c]) for c in range(3)] for i in range(dw)] for y in range(sh)]
    rows = contributors(sh, dh, f, support)
    out = []
    for k in range(dh):
        for i in range(dw):
            for c in range(3):
                out.append(weigh(rows[k], lambda n: work[n][i][c]))
    return out


def main():
    sw, sh = int(sys.argv[1]), int(sys.argv[2])
    src = [[[(x * 37 + y * 91 + c * 53) % 256 for c in range(3)] for x in range(sw)] for y in range(sh)]
    for case in sys.argv[3:]:
        kernel, dw, dh = (int(v) for v in case.split(":"))
        print(" ".join(str(v) for v in resample(src, sw, sh, kernel, dw, dh)))


main()
