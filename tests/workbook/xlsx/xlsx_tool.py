#!/usr/bin/python3
"""Independent .xlsx maker and reader for the workbook tests (openpyxl).

  xlsx_tool.py fixture PATH     writes a workbook of assorted values
  xlsx_tool.py template PATH    writes a template with formatting, formulas, merged cells, other sheets
  xlsx_tool.py dump PATH        prints every sheet's cells as the spreadsheet shows them, as JSON
Exit code 77 when openpyxl is missing.
"""
import datetime
import json
import sys

try:
    import openpyxl
    from openpyxl.chart import BarChart, Reference
    from openpyxl.styles import Alignment, Font, PatternFill
except ImportError:
    sys.exit(77)


def number_text(v):
    if isinstance(v, int) or (isinstance(v, float) and v.is_integer() and abs(v) < 1e15):
        return str(int(v))
    for p in range(1, 16):
        s = "%.*g" % (p, v)
        if float(s) == v:
            break
    return s.replace("e", "E")


def cell_text(v):
    if v is None:
        return ""
    if isinstance(v, bool):
        return "TRUE" if v else "FALSE"
    if isinstance(v, (int, float)):
        return number_text(v)
    if isinstance(v, datetime.datetime):
        s = "%d/%d/%d" % (v.year, v.month, v.day)
        if v.hour or v.minute:
            s += " %d:%02d" % (v.hour, v.minute)
        return s
    if isinstance(v, datetime.date):
        return "%d/%d/%d" % (v.year, v.month, v.day)
    return str(v)


def fixture(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "名单"
    ws["A1"] = "名称"
    ws["B1"] = "企业"
    values = ["  前后空格  ", "甲公司", "   ", 12, 12.5, 0.1, -3, 1e20, 1234567.891, True, False,
              datetime.date(2024, 3, 5), datetime.datetime(2024, 3, 5, 14, 7), "#N/A", "#DIV/0!",
              "line1\nline2", "tab\there", "😀 emoji", "x" * 300]
    for i, v in enumerate(values, start=2):
        ws.cell(row=i, column=2, value=v)
    ws["D7"] = "far away"
    ws["C2"] = 3.14159265358979
    other = wb.create_sheet("第二页")
    other["A1"] = "second"
    other["B3"] = 42
    chart = BarChart()
    chart.add_data(Reference(other, min_col=2, min_row=3, max_row=3))
    wb.create_chartsheet("图表", 0).add_chart(chart)
    wb.save(path)


def template(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "导出"
    ws["A1"] = "旧标题"
    ws["A1"].font = Font(name="黑体", bold=True, size=14)
    ws["B2"] = "will be overwritten"
    ws["B2"].fill = PatternFill("solid", fgColor="FFFF00")
    ws["C1"] = 5
    ws["C2"] = 7
    ws["C3"] = "=C1+C2"
    ws["D1"] = "merged"
    ws.merge_cells("D1:E2")
    ws["F10"] = "keep"
    ws["F10"].alignment = Alignment(horizontal="center")
    ws["B8"] = "=SUM(C1:C2)"
    ws.column_dimensions["B"].width = 20
    ws.column_dimensions["C"].width = 9
    other = wb.create_sheet("其它")
    other["A1"] = "other sheet"
    other["B2"] = 3.5
    other["C3"] = "=A1"
    wb.save(path)


def dump(path):
    wb = openpyxl.load_workbook(path)
    out = []
    for ws in wb.worksheets:
        cells = {}
        styles = {}
        for row in ws.iter_rows():
            for c in row:
                if c.value is not None and c.value != "":
                    cells[c.coordinate] = cell_text(c.value)
                if c.has_style:
                    styles[c.coordinate] = [c.font.name, bool(c.font.b), c.fill.fgColor.rgb if c.fill else None,
                                            c.alignment.horizontal]
        widths = {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth}
        out.append({"name": ws.title, "cells": cells, "styles": styles,
                    "merged": sorted(str(r) for r in ws.merged_cells.ranges), "widths": widths})
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    {"fixture": fixture, "template": template, "dump": dump}[sys.argv[1]](sys.argv[2])
