#!/usr/bin/env python3
"""Monte Carlo check of ShapiroWilkIntegral against the null distribution of W.

Draws N normal samples of size n, computes W with the coefficients of
Royston's approximation (AS R94; for n = 5 the 1965 table's coefficients
0.6646, 0.2413) and prints the fraction of W at or below w0 with its
standard error. Reproducible: the generator is seeded.

    /usr/bin/python3 tools/shapiro_wilk_simulation.py   (needs NumPy)
"""
from statistics import NormalDist

import numpy as np

ND = NormalDist()
N = 400_000


def royston_coefficients(n):
    m = np.array([ND.inv_cdf((i - 0.375) / (n + 0.25)) for i in range(1, n + 1)])
    mm = m @ m
    u = 1 / np.sqrt(n)
    c = m / np.sqrt(mm)
    an = c[-1] + 0.221157 * u - 0.147981 * u**2 - 2.071190 * u**3 + 4.434685 * u**4 - 2.706056 * u**5
    an1 = c[-2] + 0.042981 * u - 0.293762 * u**2 - 1.752461 * u**3 + 5.682633 * u**4 - 3.582633 * u**5
    phi = (mm - 2 * m[-1] ** 2 - 2 * m[-2] ** 2) / (1 - 2 * an**2 - 2 * an1**2)
    a = m / np.sqrt(phi)
    a[-1], a[-2], a[0], a[1] = an, an1, -an, -an1
    return a


def main():
    rng = np.random.default_rng(12345)
    for n, w0 in [(5, 0.762), (10, 0.842), (20, 0.905), (50, 0.947)]:
        a = np.array([-0.6646, -0.2413, 0.0, 0.2413, 0.6646]) if n == 5 else royston_coefficients(n)
        x = np.sort(rng.standard_normal((N, n)), axis=1)
        w = (x @ a) ** 2 / ((x - x.mean(axis=1, keepdims=True)) ** 2).sum(axis=1)
        p = (w <= w0).mean()
        print(f"n = {n:2d}  P(W <= {w0}) = {p:.4f}  (standard error {np.sqrt(p * (1 - p) / N):.4f})")


if __name__ == "__main__":
    main()
