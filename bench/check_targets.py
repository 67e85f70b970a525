#!/usr/bin/env python3
"""Prints the benchmark targets, each with its figure and PASS or FAIL, from the figures that
run_bench.sh kept (one "KEY VALUE" a line). A target whose corpus was not run says so."""
import sys

MIB = 1024 * 1024
HEADER_BYTES = len("id   price   thumbnail   name\r\n")


def load(path):
    figures = {}
    with open(path) as lines:
        for line in lines:
            key, value = line.split()
            figures[key] = float(value)
    return figures


def targets(f):
    """(what, needed keys, figure text, holds) for each target."""
    yield ("100,000 x 2 KB: at most 1.15 times the io_uring floor that writes the listing too",
           ["floor.cli", "floor.uring"],
           lambda: (f["floor.cli"] / f["floor.uring"], 1.15), "{:.2f} times")
    yield ("100,000 x 2 KB: at most 0.18 times cat", ["floor.cli", "floor.cat"],
           lambda: (f["floor.cli"] / f["floor.cat"], 0.18), "{:.2f} times")
    yield ("100,000 x 2 KB: faster than rg -l", ["floor.cli", "floor.rg"],
           lambda: (f["floor.cli"] / f["floor.rg"], 1.0), "{:.2f} times")
    yield ("100,000 x 2 KB: the window, from the click to the rows painted, at most 1.2 times the "
           "batch command", ["window.clicked", "window.batch"],
           lambda: (f["window.clicked"] / f["window.batch"], 1.2), "{:.2f} times")
    yield ("1 MB pages: at most 0.45 times cat", ["size-1m.ours", "size-1m.cat"],
           lambda: (f["size-1m.ours"] / f["size-1m.cat"], 0.45), "{:.2f} times")
    yield ("2 GiB of random bytes, no record: at most 64 MiB", ["random-2gb.peak"],
           lambda: (f["random-2gb.peak"], 64), "{:.1f} MiB")
    yield ("2 GiB of random bytes, no record: at most 1.3 times cat",
           ["random-2gb.ours", "random-2gb.cat"],
           lambda: (f["random-2gb.ours"] / f["random-2gb.cat"], 1.3), "{:.2f} times")
    yield ("4 GiB file, record at its end: at most 128 MiB", ["recordend-4gb.peak"],
           lambda: (f["recordend-4gb.peak"], 128), "{:.1f} MiB")
    yield ("one 200 MB record: at most twice its row's size",
           ["record-200mb.peak", "record-200mb.listing"],
           lambda: (f["record-200mb.peak"] * MIB / (f["record-200mb.listing"] - HEADER_BYTES), 2.0),
           "{:.2f} times")


def main():
    figures = load(sys.argv[1])
    print("## Targets")
    print()
    for what, keys, measure, form in targets(figures):
        if not all(key in figures for key in keys):
            print(f"- {what}: not run")
            continue
        value, limit = measure()
        holds = value <= limit if "faster" not in what else value < limit
        print(f"- {what}: {form.format(value)}: {'PASS' if holds else 'FAIL'}")
    print()


if __name__ == "__main__":
    main()
