#!/usr/bin/python3
"""Makes the export templates beside this script: export.xlsx, one worksheet, 宋体 12 pt as the
workbook's default font, and columns wide enough for a heading and a name; tasks.xlsx, the same with
columns for the task table (组别, 组长, 副组长, 成员, 检查企业)."""
import os

import openpyxl
from openpyxl.styles import Font
from openpyxl.utils.indexed_list import IndexedList

HERE = os.path.dirname(os.path.abspath(__file__))


def make_xlsx(path, widths=None):
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
    for column, width in (widths or {"A": 18, "B": 30}).items():
        ws.column_dimensions[column].width = width
    wb.save(path)


if __name__ == "__main__":
    make_xlsx(os.path.join(HERE, "export.xlsx"))
    make_xlsx(os.path.join(HERE, "tasks.xlsx"), {"A": 8, "B": 12, "C": 12, "D": 30, "E": 50})
