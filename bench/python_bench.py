"""Times the Python module on the 1M-facet torus: trimora.write of its triangles from a numpy
array, and trimora.read of its ASCII STL file. Prints "write_seconds read_seconds", the medians.

    python3 bench/python_bench.py BINARY_STL ASCII_STL RUNS
"""

import os
import statistics
import sys
import tempfile
import time

import numpy as np

import trimora

RECORD = np.dtype([("normal", "<f4", (3,)), ("vertices", "<f4", (3, 3)), ("attribute", "<u2")])


def median_seconds(runs, action):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    binary, ascii_stl, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
    # The binary twin's triangles and normals as doubles, outside the timing: the file written is
    # the tool's conversion of the twin.
    records = np.fromfile(binary, dtype=RECORD, offset=84)
    triangles = records["vertices"].astype(np.float64)
    normals = records["normal"].astype(np.float64)
    with tempfile.TemporaryDirectory() as folder:
        output = os.path.join(folder, "torus.kpf")
        write = median_seconds(runs, lambda: trimora.write(output, triangles, normals=normals, name="twin.stl"))
    read = median_seconds(runs, lambda: trimora.read(ascii_stl))
    print(f"{write:.3f} {read:.3f}")


if __name__ == "__main__":
    main()
