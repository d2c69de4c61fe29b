#!/usr/bin/python3
"""Makes the export template export.xlsx beside this script: one worksheet, 宋体 12 pt as the
workbook's default font, and columns wide enough for a heading and a name."""
import os

import openpyxl
from openpyxl.styles import Font
from openpyxl.utils.indexed_list import IndexedList

HERE = os.path.dirname(os.path.abspath(__file__))


def make_xlsx(path):
    wb = openpyxl.Workbook()
    default = Font(name="宋体", sz=12, family=3, charset=134)
    # Font 0 is the one every unstyled cell uses; the Normal style names it too.
    wb._fonts = IndexedList([default])
    wb._named_styles["Normal"].font = default
    ws = wb.active
    ws.title = "Sheet1"
    ws.sheet_format.defaultColWidth = 10
    ws.sheet_format.baseColWidth = 10
    ws.sheet_format.defaultRowHeight = 14.25
    ws.column_dimensions["A"].width = 18
    ws.column_dimensions["B"].width = 30
    wb.save(path)


if __name__ == "__main__":
    make_xlsx(os.path.join(HERE, "export.xlsx"))
