#!/usr/bin/python3
"""NumPy and scikit-learn peers of the kNN estimate (bench/cluster_knn_bench.cpp).

20000 training objects of 8 variables (uniform in [-1, 1)), k = 10, one
probe per call, Gaussian weights exp(-(d/m)^2) with m the mean neighbour
distance: NumPy brute force (all distances, argpartition, weights) and
scikit-learn's KNeighborsRegressor (brute and KD-tree, uniform weights; the
fit is outside the timing). Run with the system interpreter:
/usr/bin/python3 bench/peers/knn_numpy.py. Prints microseconds per probe
(best of 5 runs of the mean over 200 probes), wall and process CPU time.
"""
import time

import numpy as np

ROWS, VARS, K = 20000, 8, 10
rng = np.random.default_rng(5)
data = np.asfortranarray(rng.uniform(-1, 1, (ROWS, VARS)))
target = np.sin((data**2).sum(axis=1))
probes = rng.uniform(-1, 1, (200, VARS))


def numpy_gauss(p):
    d = np.sqrt(((data - p) ** 2).sum(axis=1))
    idx = np.argpartition(d, K)[:K]
    dk = d[idx]
    m = dk.mean()
    w = np.exp(-((dk / m) ** 2))
    return (w * target[idx]).sum() / w.sum()


def best_per_probe(fn):
    wall, cpu = [], []
    for _ in range(5):
        t0, c0 = time.perf_counter(), time.process_time()
        for p in probes:
            fn(p)
        wall.append((time.perf_counter() - t0) / len(probes))
        cpu.append((time.process_time() - c0) / len(probes))
    return min(wall) * 1e6, min(cpu) * 1e6


rows = [("NumPy brute force, Gaussian weights", numpy_gauss)]
try:
    from sklearn.neighbors import KNeighborsRegressor

    for algo in ("brute", "kd_tree"):
        model = KNeighborsRegressor(n_neighbors=K, algorithm=algo).fit(data, target)
        rows.append((f"scikit-learn KNeighborsRegressor ({algo})", lambda p, m=model: m.predict(p.reshape(1, -1))))
except ImportError:
    print("scikit-learn not installed: its rows are skipped")

for name, fn in rows:
    wall, cpu = best_per_probe(fn)
    print(f"{name:48s} {wall:9.1f} us wall {cpu:9.1f} us CPU")
