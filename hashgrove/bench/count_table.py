#!/usr/bin/env python3
"""Instructions per operation of hashgrove_bench's --count mode, by callgrind.

Usage: count_table.py [--bench PATH] [--n N] [--ops OP,OP,...]

Each operation runs twice under `valgrind --tool=callgrind`, once with its
units and once with none; the difference of the two instruction totals over
the number of units is the figure (see bench/count.cpp for the units).
Instruction counts do not depend on the machine's load.
"""
import argparse
import os
import re
import subprocess
import sys

# operation: (repeats, units per repeat as a function of n)
OPS = {
    "probe-only": (100000, lambda n: 1),
    "lookup-present": (100000, lambda n: 1),
    "lookup-absent": (100000, lambda n: 1),
    "member-present": (100000, lambda n: 1),
    "member-absent": (100000, lambda n: 1),
    "insert-lazy": (None, lambda n: 1),
    "insert-strict": (None, lambda n: 1),
    "insert-moved-lazy": (None, lambda n: 1),
    "insert-moved-strict": (None, lambda n: 1),
    "delete": (None, lambda n: 1),
    "fromlist": (3, lambda n: n),
    "iterate": (10, lambda n: n),
    "union": (3, lambda n: n),
}


def instructions(bench, op, n, repeats):
    cmd = ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
           bench, "--count", op, str(n), str(repeats)]
    r = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True)
    m = re.search(r"Collected : (\d+)", r.stderr)
    if not m:
        sys.exit("no instruction total in callgrind's output:\n" + r.stderr)
    return int(m.group(1))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", default=os.path.join(here, "../../build/hashgrove/hashgrove_bench"))
    ap.add_argument("--n", type=int, default=100000)
    ap.add_argument("--ops", default=",".join(OPS))
    a = ap.parse_args()
    print("| operation (%d random int64 keys) | instructions per unit |" % a.n)
    print("|---|---|")
    for op in a.ops.split(","):
        repeats, units = OPS[op]
        if repeats is None:  # one unit per key, at most n of them
            repeats = a.n
        total = instructions(a.bench, op, a.n, repeats) - instructions(a.bench, op, a.n, 0)
        print("| %s | %.1f |" % (op, total / (repeats * units(a.n))), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
