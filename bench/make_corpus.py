#!/usr/bin/env python3
"""Writes a folder of generated catalog pages for timing runs.

Each page is about SIZE bytes of HTML with a product record near the top; every tenth page has
no record. The pages depend only on their index, so two corpora of the same size are identical.
"""
import argparse
import os

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


def page(index: int, size: int) -> str:
    name = f"{WORDS[index % len(WORDS)]} {WORDS[(index // 9) % len(WORDS)].lower()} {index}"
    text = HEAD.format(name=name)
    if index % 10 != 9:
        text += RECORD.format(index=index, name=name, price=f"{index % 997}.{index % 100:02d}",
                              minimum=1 + index % 12, weight=index % 1000)
    parts = [text]
    length = len(text)
    line = 0
    while length < size - 20:
        parts.append(FILLER.format(index=index, line=line))
        length += len(parts[-1])
        line += 1
    return "".join(parts)[: size - 16] + "\n</body></html>\n"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder")
    parser.add_argument("count", type=int)
    parser.add_argument("--size", type=int, default=2048, help="bytes per page (default 2048)")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    for index in range(args.count):
        with open(os.path.join(args.folder, f"page-{index:07d}.html"), "w") as out:
            out.write(page(index, args.size))


if __name__ == "__main__":
    main()
