#!/usr/bin/env python3
"""Compares two commands in paired runs: each round runs both, in a random order, once each.

    bench/pairs.py [--pairs N] [--warmup N] 'COMMAND A' 'COMMAND B'

The machine drifts by a tenth within minutes; a pair puts the drift on both commands alike, so
the medians of the paired differences (B minus A) of wall, user and system time say more than
the difference of two medians. Times come from wait4, outputs go to /dev/null, and a command
that fails stops the comparison. Prints one line for each measure and how often B was faster.
"""
import argparse
import os
import random
import shlex
import statistics
import subprocess
import sys
import time


def run_once(argv):
    started = time.perf_counter()
    process = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - started
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit(f"pairs: '{shlex.join(argv)}' exited with {process.returncode}")
    return {"wall": wall * 1000, "user": usage.ru_utime * 1000, "system": usage.ru_stime * 1000}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pairs", type=int, default=30)
    parser.add_argument("--warmup", type=int, default=2)
    parser.add_argument("a")
    parser.add_argument("b")
    args = parser.parse_args()
    commands = [shlex.split(args.a), shlex.split(args.b)]
    for _ in range(args.warmup):
        for argv in commands:
            run_once(argv)
    rounds = []
    for _ in range(args.pairs):
        order = [0, 1]
        random.shuffle(order)
        taken = {}
        for index in order:
            taken[index] = run_once(commands[index])
        rounds.append(taken)
    print(f"A: {args.a}\nB: {args.b}\n{args.pairs} pairs")
    for measure in ("wall", "user", "system"):
        a = [r[0][measure] for r in rounds]
        b = [r[1][measure] for r in rounds]
        differences = [y - x for x, y in zip(a, b)]
        faster = sum(1 for d in differences if d < 0)
        print(f"{measure:6}: A {statistics.median(a):8.1f} ms, B {statistics.median(b):8.1f} ms, "
              f"B - A median {statistics.median(differences):+7.1f} ms "
              f"({statistics.median(differences) / statistics.median(a):+.1%}), "
              f"B faster in {faster} of {args.pairs}")


if __name__ == "__main__":
    main()
