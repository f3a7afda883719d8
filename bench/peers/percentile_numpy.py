#!/usr/bin/python3
"""Peer timings for the order statistics of 10**7 doubles: numpy.percentile
for the three quartiles in one call and for one percentile (95), best of
several runs, in milliseconds of wall-clock time and of process CPU time
(the figure to compare on a loaded machine, beside Google Benchmark's CPU
column). Run with Debian's /usr/bin/python3."""
import time
import timeit

import numpy as np

N = 10_000_000
a = np.random.default_rng(1).random(N)
for label, q in (("quartiles [25, 50, 75]", [25, 50, 75]), ("percentile 95", 95)):
    wall = timeit.repeat(lambda: np.percentile(a, q), number=1, repeat=7)
    cpu = timeit.repeat(lambda: np.percentile(a, q), number=1, repeat=7, timer=time.process_time)
    print(f"numpy.percentile {label}: wall {min(wall) * 1e3:.1f} ms, CPU {min(cpu) * 1e3:.1f} ms "
          f"(numpy {np.__version__})")
