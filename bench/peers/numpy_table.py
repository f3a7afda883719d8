#!/usr/bin/python3
"""NumPy peer of the data table structure benchmarks (bench/datatable_bench.cpp).

Times, on a float64 array of 50 columns x 100,000 rows stored column after
column as TMatrix stores its cells, the NumPy operations that match
TDataTable's InsertRow, RemoveRow, InsertColumn and Clone, and TMatrix's
Resize by one row. Run with the system interpreter: /usr/bin/python3
bench/peers/numpy_table.py. Prints milliseconds per call (best of 5 runs of
the mean over a few calls), as wall time and as the process's CPU time (the
figure to compare on a shared, loaded machine).
"""
import time
import timeit

import numpy as np

COLS, ROWS = 50, 100_000
# Fortran order: each column contiguous, like the matrix block.
cells = np.asfortranarray(np.arange(COLS * ROWS, dtype=np.float64).reshape(ROWS, COLS, order="F"))
mid_row, mid_col = ROWS // 2, COLS // 2


def resize_by_row():
    # a grown copy: new block, kept cells copied, the new row zeroed
    out = np.empty((ROWS + 1, COLS), order="F")
    out[:ROWS] = cells
    out[ROWS] = 0.0
    return out


CASES = {
    "InsertRow (np.insert, axis 0)": lambda: np.insert(cells, mid_row, 0.0, axis=0),
    "RemoveRow (np.delete, axis 0)": lambda: np.delete(cells, mid_row, axis=0),
    "InsertColumn (np.insert, axis 1)": lambda: np.insert(cells, mid_col, 0.0, axis=1),
    "Clone (ndarray.copy)": lambda: cells.copy(order="F"),
    "Resize by one row (empty + copy)": resize_by_row,
}

if __name__ == "__main__":
    print(f"NumPy {np.__version__}, {COLS} x {ROWS} float64, column-major")
    print(f"{'':36s} {'wall':>8s}    {'CPU':>8s}")
    for name, fn in CASES.items():
        number = 10
        wall = min(timeit.repeat(fn, number=number, repeat=5)) / number
        cpu = min(timeit.repeat(fn, timer=time.process_time, number=number, repeat=5)) / number
        print(f"{name:36s} {wall * 1e3:8.2f} ms {cpu * 1e3:8.2f} ms")
