#!/usr/bin/env python3
"""Runs hashgrove_bench's comparison benchmarks and prints one table.

Usage: run_table.py [--bench PATH] [--repetitions N] [--filter REGEX] [--min-time S]

Each figure is the median over the repetitions: nanoseconds per key (per
lookup, per inserted or deleted key, per visited pair, per key of one input
for union and intersection), or heap bytes per entry for Memory. Ratios are
to std::unordered_map in the same run; at 10^6 random keys the targets are
shown beside them.
"""
import argparse
import json
import os
import platform
import subprocess
import sys
import time

MAPS = ["hashgrove_lazy", "hashgrove_strict", "unordered_map", "absl_flat"]
OPS = ["LookupPresent", "LookupAbsent", "Insert", "InsertMoved", "FromList", "Delete",
       "Iterate", "Union", "Intersection", "Memory"]
KEYS = ["random", "sequential", "string16"]
# Targets, as ratios to std::unordered_map (Memory: bytes per entry), for
# 10^6 random 64-bit keys; LookupPresent also for 16-byte strings.
TARGETS = {("random", "LookupPresent"): 1.0, ("random", "LookupAbsent"): 0.9,
           ("random", "Insert"): 2.8, ("random", "FromList"): 0.8,
           ("random", "Delete"): 4.0, ("random", "Iterate"): 0.3,
           ("random", "Memory"): 34.0, ("string16", "LookupPresent"): 1.1}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", default=os.path.join(here, "../../build/hashgrove/hashgrove_bench"))
    ap.add_argument("--repetitions", type=int, default=3)
    ap.add_argument("--filter", default="^(" + "|".join(OPS) + ")/")
    ap.add_argument("--min-time", default="0.3")
    ap.add_argument("--json", help="read this saved run instead of running")
    a = ap.parse_args()

    if a.json:
        with open(a.json) as f:
            data = json.load(f)
    else:
        cmd = [a.bench, "--benchmark_format=json", "--benchmark_filter=" + a.filter,
               "--benchmark_repetitions=%d" % a.repetitions,
               "--benchmark_min_time=" + a.min_time]
        out = subprocess.run(cmd, check=True, stdout=subprocess.PIPE, text=True).stdout
        data = json.loads(out)

    # figure[(op, map, keys, n)] = list of per-repetition values
    samples = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate":
            continue
        parts = b["run_name"].split("/")
        if len(parts) < 4 or parts[0] not in OPS:
            continue
        op, mp, ks, n = parts[0], parts[1], parts[2], int(parts[3])
        if op == "Memory":
            v = b.get("bytes_per_entry")
        else:
            ips = b.get("items_per_second")
            v = 1e9 / ips if ips else None
        if v is not None:
            samples.setdefault((op, mp, ks, n), []).append(v)

    def median(xs):
        xs = sorted(xs)
        m = len(xs) // 2
        return xs[m] if len(xs) % 2 else (xs[m - 1] + xs[m]) / 2

    fig = {k: median(v) for k, v in samples.items()}
    ctx = data.get("context", {})
    print("# hashgrove_bench, %s, %s, %d CPUs, load %s, %d repetitions (medians)" % (
        time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), platform.processor() or platform.machine(),
        ctx.get("num_cpus", 0), ctx.get("load_avg", "?"), a.repetitions))
    print("# figures: ns per key (Memory: heap bytes per entry); ratios: x / unordered_map")
    print()
    maps = [m for m in MAPS if any(k[1] == m for k in fig)]
    head = ["keys", "n", "operation"] + maps + ["lazy/um", "strict/um"]
    if "absl_flat" in maps:
        head.append("absl/um")
    head.append("target")
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    sizes = sorted({k[3] for k in fig})
    for ks in KEYS:
        for n in sizes:
            for op in OPS:
                row = [fig.get((op, m, ks, n)) for m in maps]
                if all(v is None for v in row):
                    continue
                um = fig.get((op, "unordered_map", ks, n))
                cells = [ks, "10^%d" % (len(str(n)) - 1), op]
                cells += ["-" if v is None else ("%.1f" % v if v < 100 else "%.0f" % v) for v in row]

                def ratio(m):
                    v = fig.get((op, m, ks, n))
                    return "-" if v is None or not um else "%.2fx" % (v / um)
                cells += [ratio("hashgrove_lazy"), ratio("hashgrove_strict")]
                if "absl_flat" in maps:
                    cells.append(ratio("absl_flat"))
                t = TARGETS.get((ks, op)) if n == 1000000 else None
                cells.append("" if t is None else ("<= %g B" % t if op == "Memory" else "<= %gx" % t))
                print("| " + " | ".join(cells) + " |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
