#!/usr/bin/env python3
"""Maximum-entropy threshold of a 256-bin gray histogram, written independently.

Usage: entropy_reference.py COUNT0 COUNT1 ... COUNT255   prints the threshold (-2 when none scores)
"""
import math
import sys

counts = [int(v) for v in sys.argv[1:]]
total = sum(counts)
p = [v / total for v in counts]
whole = -sum(q * math.log(q) for q in p if q > 0)
best, threshold = 0.0, -2
for t in range(1, 256):
    below = sum(p[:t])
    below_entropy = -sum(q * math.log(q) for q in p[:t] if q > 0)
    if 0 < below < 1:
        score = math.log(below - below * below) + below_entropy / below + (whole - below_entropy) / (1 - below)
        if score > best:
            best, threshold = score, t
print(threshold)
