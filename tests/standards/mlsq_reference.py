#!/usr/bin/env python3
"""An independent MLSQ fit for the tests: the top-hat filter written from its description
(centre weight 1 over 16 channels, side weight -1 over 8 channels each side; the variance the
plain sum of 32 channels one channel later), and the weighted least squares solved by Gaussian
elimination with partial pivoting on the normal equations.

Input on stdin, one item per line:
  channels N
  sample c0 c1 ...
  standard LOW HIGH c0 c1 ...      (one line per standard, counts of its spectrum file)
Output: one line per standard, "k_ratio error" (per cent).
"""
import math
import sys

W, C = 8, 16
LENGTH, HALF = C + 2 * W, (2 * W + C) // 2
SIDE = (C * -0.5) / W


def padded(counts):
    return counts + [0] * (4096 - len(counts))


def top_hat(counts, n, shift, squared):
    c = padded(counts)
    out = [0.0] * 4096
    for i in range(n):
        first = i - HALF - shift
        if first + LENGTH - 1 >= 4096:
            break
        total = 0.0
        for j in range(LENGTH):
            at = first + j
            if at < 0:
                continue
            wgt = SIDE if (j < W or j >= W + C) else 1.0
            total += (wgt * wgt if squared else wgt) * c[at]
        out[i] = total
    return out


def solve(a, b):
    n = len(b)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for col in range(n):
        p = max(range(col, n), key=lambda r: abs(m[r][col]))
        m[col], m[p] = m[p], m[col]
        for r in range(n):
            if r != col:
                f = m[r][col] / m[col][col]
                m[r] = [x - f * y for x, y in zip(m[r], m[col])]
    return [m[i][n] / m[i][i] for i in range(n)]


def inverse_diagonal(a):
    n = len(a)
    diag = []
    for k in range(n):
        e = [1.0 if i == k else 0.0 for i in range(n)]
        diag.append(solve(a, e)[k])
    return diag


def main():
    channels, sample, standards = 0, [], []
    for line in sys.stdin:
        parts = line.split()
        if not parts:
            continue
        if parts[0] == "channels":
            channels = int(parts[1])
        elif parts[0] == "sample":
            sample = [int(x) for x in parts[1:]]
        elif parts[0] == "standard":
            standards.append((int(parts[1]), int(parts[2]), [int(x) for x in parts[3:]]))
    f = top_hat(sample, channels, 1, False)
    v = top_hat(sample, channels, 0, True)
    v = [x if x != 0 else 1.0 for x in v]
    # Each standard's filtered spectrum cut to its own range.
    cut = []
    for lo, hi, counts in standards:
        n = len(counts) // 512 * 512 or len(counts)
        r = top_hat(counts[:n], n, 1, False)
        cut.append([r[j] if lo <= j < hi else 0.0 for j in range(4096)])
    m = len(cut)
    a = [[sum(cut[k][j] * cut[l][j] / v[j] for j in range(channels)) for l in range(m)]
         for k in range(m)]
    b = [sum(cut[k][j] * f[j] / v[j] for j in range(channels)) for k in range(m)]
    x = solve(a, b)
    d = inverse_diagonal(a)
    q = (W * C * 2) // (C + 2 * W)
    for k in range(m):
        e = q * d[k]
        err = math.sqrt(e) * 300 if e > 0 else 100.0
        print("%.9g %.9g" % (x[k] * 100, err))


main()
