#!/usr/bin/env python3
"""Writes a folder of generated catalog pages for timing runs.

Each page is about SIZE bytes of HTML with a product record near the top; every tenth page has
no record. The pages depend only on their index, so two corpora of the same size are identical.
With --long-name, the page's bulk goes inside the record's NAME value instead: one record as
large as the page. With --no-record, no page has a record; such pages are written a megabyte at
a time, so that they can be far larger than memory would hold twice. With --random, each file is
random bytes without a record, as an image or an archive would be (seeded by the index, so again
the same every time). With --record-at-end, each file is a sparse file whose only data is a page
with a record at its very end: the holes before it read as zero bytes, and the file takes no more
disk than the page.
"""
import argparse
import os
import random

HEAD = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{name} | Generated Shop</title>
<link rel="stylesheet" href="/css/shop.css">
</head>
<body>
"""
RECORD = (
    "<!-- product dump\narray ( 'REFERENCE' => 'GS-{index:07d}', 'NAME' => '{name}', "
    "'PRICE' => {price}, 'MIN_QUANTITY_ORDERABLE' => {minimum}, 'WEIGHT' => 0.{weight}, "
    "'CATEGORY' => 'Generated', 'THUMBNAIL' => 'img/gs-{index:07d}-small.jpg',  }}, \n-->\n"
)
FILLER = (
    '<div class="row"><p>Item {index} line {line}: sturdy, reliable and made to last; '
    "see the data sheet for sizes.</p></div>\n"
)
WORDS = ["Anchor", "Bolt", "Clamp", "Drill", "Eyelet", "Fitting", "Gasket", "Hinge", "Insert"]


def filler(index: int, size: int) -> str:
    parts = []
    length = 0
    line = 0
    while length < size:
        parts.append(FILLER.format(index=index, line=line))
        length += len(parts[-1])
        line += 1
    return "".join(parts)[:size]


def record(index: int, name: str) -> str:
    return RECORD.format(index=index, name=name, price=f"{index % 997}.{index % 100:02d}",
                         minimum=1 + index % 12, weight=index % 1000)


def page(index: int, size: int) -> str:
    name = f"{WORDS[index % len(WORDS)]} {WORDS[(index // 9) % len(WORDS)].lower()} {index}"
    text = HEAD.format(name=name)
    if index % 10 != 9:
        text += record(index, name)
    text += filler(index, size - 16 - len(text))
    return text + "\n</body></html>\n"


def long_name_page(index: int, size: int) -> str:
    text = HEAD.format(name="Catalogue") + record(index, "{name}") + "\n</body></html>\n"
    return text.replace("{name}", filler(index, size - len(text) + len("{name}")))


def write_page_without_record(path: str, index: int, size: int) -> None:
    block = filler(index, 1 << 20)
    with open(path, "w") as out:
        out.write(HEAD.format(name="Catalogue"))
        left = size - len(HEAD.format(name="Catalogue"))
        while left > 0:
            out.write(block[:left])
            left -= len(block)


def write_random_bytes(path: str, index: int, size: int) -> None:
    generator = random.Random(index)
    with open(path, "wb") as out:
        left = size
        while left > 0:
            out.write(generator.randbytes(min(left, 1 << 20)))
            left -= 1 << 20


def write_record_at_end(path: str, index: int, size: int) -> None:
    tail = page(index if index % 10 != 9 else index + 1, 2048).encode()
    with open(path, "wb") as out:
        out.truncate(size - len(tail))
        out.seek(size - len(tail))
        out.write(tail)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder")
    parser.add_argument("count", type=int)
    parser.add_argument("--size", type=int, default=2048, help="bytes per page (default 2048)")
    parser.add_argument("--long-name", action="store_true", help="one record as large as the page")
    parser.add_argument("--no-record", action="store_true", help="pages without any record")
    parser.add_argument("--random", action="store_true", help="random bytes, no record")
    parser.add_argument("--record-at-end", action="store_true",
                        help="sparse files with a page holding a record at the end")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    make = long_name_page if args.long_name else page
    for index in range(args.count):
        path = os.path.join(args.folder, f"page-{index:07d}.html")
        if args.no_record:
            write_page_without_record(path, index, args.size)
            continue
        if args.random:
            write_random_bytes(path, index, args.size)
            continue
        if args.record_at_end:
            write_record_at_end(path, index, args.size)
            continue
        with open(path, "w") as out:
            out.write(make(index, args.size))


if __name__ == "__main__":
    main()
