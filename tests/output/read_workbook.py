#!/usr/bin/python3
"""Prints the non-empty cells of a workbook's first sheet as JSON {"A1": text}, read by openpyxl or xlrd."""
import json
import sys


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rem = divmod(index - 1, 26)
        name = chr(65 + rem) + name
    return name


def main(path):
    cells = {}
    if path.lower().endswith(".xlsx"):
        import openpyxl
        sheet = openpyxl.load_workbook(path).worksheets[0]
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is not None and cell.value != "":
                    cells[cell.coordinate] = str(cell.value)
    else:
        import xlrd
        sheet = xlrd.open_workbook(path).sheet_by_index(0)
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                value = sheet.cell_value(r, c)
                if value != "":
                    cells[column_name(c) + str(r + 1)] = str(value)
    json.dump(cells, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
