#!/usr/bin/python3
"""The import's work done with the Python readers a user could pick instead, timed inside Python after a warm-up:
open the workbook, take the first worksheet and copy column B from row 2 down to the first empty cell.

  peer_readers.py RUNS FILE...    prints "<file> <reader> <median ms> <names read>" for each reader that fits

openpyxl reads .xlsx (read-only mode, its fast one); xlrd 1.2 reads .xls and .xlsx. A missing reader is left out.
"""
import os
import statistics
import sys
import time


def with_openpyxl(path):
    import openpyxl
    wb = openpyxl.load_workbook(path, read_only=True)
    names = []
    for (value,) in wb.worksheets[0].iter_rows(min_row=2, min_col=2, max_col=2, values_only=True):
        if value is None or value == "":
            break
        names.append(str(value))
    wb.close()
    return names


def with_xlrd(path):
    import xlrd
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    names = []
    for row in range(1, sheet.nrows):
        value = sheet.cell_value(row, 1) if sheet.ncols > 1 else ""
        if value == "":
            break
        names.append(str(value))
    return names


def readers(path):
    extension = os.path.splitext(path)[1].lower()
    found = []
    try:
        import openpyxl  # noqa: F401
        if extension == ".xlsx":
            found.append(("openpyxl", with_openpyxl))
    except ImportError:
        pass
    try:
        import xlrd  # noqa: F401
        found.append(("xlrd", with_xlrd))
    except ImportError:
        pass
    return found


def main():
    runs = int(sys.argv[1])
    for path in sys.argv[2:]:
        for name, read in readers(path):
            count = len(read(path))  # the warm-up: modules imported, caches filled
            times = []
            for _ in range(runs):
                start = time.perf_counter()
                read(path)
                times.append((time.perf_counter() - start) * 1000)
            print("%s %s %.1f %d" % (path, name, statistics.median(times), count), flush=True)


if __name__ == "__main__":
    main()
