#!/usr/bin/python3
"""Peer timings for the order statistics of 10**7 doubles: numpy.percentile
for the three quartiles in one call and for one percentile (95), best of
several runs, in milliseconds. Run with Debian's /usr/bin/python3."""
import timeit

import numpy as np

N = 10_000_000
a = np.random.default_rng(1).random(N)
for label, q in (("quartiles [25, 50, 75]", [25, 50, 75]), ("percentile 95", 95)):
    runs = timeit.repeat(lambda: np.percentile(a, q), number=1, repeat=7)
    print(f"numpy.percentile {label}: {min(runs) * 1e3:.1f} ms (numpy {np.__version__})")
