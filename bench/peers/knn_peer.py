#!/usr/bin/python3
"""scikit-learn peer of the memory-based learner benchmark (bench/membl_bench.cpp).

Times KNeighborsRegressor(n_neighbors=5, algorithm="brute", n_jobs=1) on
100,000 training objects of 20 variables uniform in [-1, 1), with one
thread for the BLAS (OMP_NUM_THREADS and OPENBLAS_NUM_THREADS set to 1
before NumPy loads). Two ways of asking: one probe per predict call, as
TMemBasedLearner.ApplyModel answers, and a batch of 1,000 probes per call,
where scikit-learn forms all distances by one matrix product. Prints probes
per second (best of 3 runs) as wall time and as the process's CPU time (the
figure to compare on a shared, loaded machine). Run with the system
interpreter: /usr/bin/python3 bench/peers/knn_peer.py
"""
import os

os.environ["OMP_NUM_THREADS"] = "1"
os.environ["OPENBLAS_NUM_THREADS"] = "1"

import time  # noqa: E402

import numpy as np  # noqa: E402
from sklearn.neighbors import KNeighborsRegressor  # noqa: E402

OBJECTS, VARS = 100_000, 20
rng = np.random.default_rng(1)
X = rng.uniform(-1.0, 1.0, size=(OBJECTS, VARS))
y = X @ np.arange(1, VARS + 1, dtype=np.float64)
probes = rng.uniform(-1.0, 1.0, size=(1000, VARS))


def rate(fn, n_probes):
    best_wall = best_cpu = 0.0
    for _ in range(3):
        w0, c0 = time.perf_counter(), time.process_time()
        fn()
        w, c = time.perf_counter() - w0, time.process_time() - c0
        best_wall = max(best_wall, n_probes / w)
        best_cpu = max(best_cpu, n_probes / c if c > 0 else 0.0)
    return best_wall, best_cpu


for metric in ("euclidean", "manhattan"):
    for k in (1, 5):
        model = KNeighborsRegressor(n_neighbors=k, algorithm="brute", n_jobs=1, metric=metric)
        model.fit(X, y)
        single = probes[:100]
        w1, c1 = rate(lambda: [model.predict(p.reshape(1, -1)) for p in single], len(single))
        wb, cb = rate(lambda: model.predict(probes), len(probes))
        print(f"{metric:9s} k={k}: one probe per call {w1:8.0f}/s wall {c1:8.0f}/s CPU;"
              f" batches of 1000 {wb:8.0f}/s wall {cb:8.0f}/s CPU")
