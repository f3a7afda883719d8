#!/usr/bin/python3
"""SciPy and scikit-learn peer of the clustering benchmarks (bench/cluster_bench.cpp).

Rebuilds the bench's objects bit for bit (a splitmix64 counter stream in
NumPy's uint64 arithmetic) and times, on one thread:

- scipy.cluster.hierarchy.linkage of 5000 (or --large: 20000) uniform
  objects x 10 variables, the condensed distances (pdist) included, for
  single, complete, average (UPGMA) and Ward; Ward gets the raw data since
  SciPy squares the Euclidean distances itself. "check" is the sum of the
  merge distances (Ward: of their squares, which are our merge distances).
- sklearn.cluster.KMeans(algorithm="lloyd", n_init=1, tol=0) on 10^6 blob
  objects x 10 variables, 20 clusters, the first 20 objects as initial
  centres (ours: RandSeed 0); tol=0 runs until no label changes, as ours.
  "passes" is n_iter_, "check" the inertia.

Run with the system interpreter: /usr/bin/python3 bench/peers/cluster_peer.py
[--large] [--skip-kmeans]. Prints best-of-3 CPU and wall time (one run for
--large and for k-means).
"""
import os

os.environ["OMP_NUM_THREADS"] = "1"
os.environ["OPENBLAS_NUM_THREADS"] = "1"

import resource  # noqa: E402
import sys  # noqa: E402
import time  # noqa: E402

import numpy as np  # noqa: E402
import scipy  # noqa: E402
from scipy.cluster.hierarchy import linkage  # noqa: E402
from scipy.spatial.distance import pdist  # noqa: E402

VARIABLES = 10
CENTRE_STREAM = np.uint64(1 << 40)
BLOB_STREAM = np.uint64(1 << 41)


def uniform(k):
    """splitmix64 of the counters k (uint64), top 53 bits in [0, 1)."""
    z = (k + np.uint64(1)) * np.uint64(0x9E3779B97F4A7C15)
    z = (z ^ (z >> np.uint64(30))) * np.uint64(0xBF58476D1CE4E5B9)
    z = (z ^ (z >> np.uint64(27))) * np.uint64(0x94D049BB133111EB)
    z ^= z >> np.uint64(31)
    return (z >> np.uint64(11)).astype(np.float64) * 2.0**-53


def uniform_objects(n, p):
    return uniform(np.arange(n * p, dtype=np.uint64)).reshape(n, p)


def blob_objects(n, p, k):
    x = uniform_objects(n, p)
    blob = (uniform(BLOB_STREAM + np.arange(n, dtype=np.uint64)) * k).astype(np.uint64)
    cols = np.arange(p, dtype=np.uint64)
    centre = 10.0 * uniform(CENTRE_STREAM + blob[:, None] * np.uint64(p) + cols[None, :])
    return centre + 8.0 * (x - 0.5)


def timed(f, runs):
    best_cpu = best_wall = float("inf")
    for _ in range(runs):
        c0, w0 = time.process_time(), time.perf_counter()
        out = f()
        best_cpu = min(best_cpu, time.process_time() - c0)
        best_wall = min(best_wall, time.perf_counter() - w0)
    return best_cpu, best_wall, out


def agglom(n):
    x = uniform_objects(n, VARIABLES)
    runs = 1 if n > 5000 else 3
    for method in ("single", "complete", "average", "ward"):
        if method == "ward":
            f = lambda: linkage(x, method="ward", metric="euclidean")  # noqa: E731
        else:
            f = lambda: linkage(pdist(x), method=method)  # noqa: E731
        cpu, wall, z = timed(f, runs)
        check = float(np.sum(z[:, 2] ** 2 if method == "ward" else z[:, 2]))
        print(f"linkage {method:9s} n={n}: CPU {cpu * 1e3:9.1f} ms  wall {wall * 1e3:9.1f} ms  check={check:.6g}")


def kmeans(n, k=20):
    from threadpoolctl import threadpool_limits
    import sklearn
    from sklearn.cluster import KMeans

    x = blob_objects(n, VARIABLES, k)
    init = x[:k].copy()
    with threadpool_limits(limits=1):
        km = KMeans(n_clusters=k, init=init, n_init=1, algorithm="lloyd", tol=0.0, max_iter=1001)
        cpu, wall, km = timed(lambda: km.fit(x), 1)
    print(f"scikit-learn {sklearn.__version__} KMeans lloyd n={n} k={k}: CPU {cpu * 1e3:.0f} ms  "
          f"wall {wall * 1e3:.0f} ms  passes={km.n_iter_}  CPU per pass {cpu * 1e3 / km.n_iter_:.1f} ms  "
          f"check={km.inertia_:.6g}")


if __name__ == "__main__":
    print(f"NumPy {np.__version__}, SciPy {scipy.__version__}")
    agglom(20000 if "--large" in sys.argv else 5000)
    if "--skip-kmeans" not in sys.argv:
        kmeans(1_000_000)
    print(f"peak RSS {resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024:.0f} MiB")
