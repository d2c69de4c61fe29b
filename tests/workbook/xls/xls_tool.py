#!/usr/bin/python3
"""Independent side of the .xls tests: builds fixtures with xlwt and reads workbooks with xlrd.

  xls_tool.py fixtures DIR                 write the fixture workbooks into DIR
  xls_tool.py dump FILE                    the cells of every sheet as JSON, texts as a spreadsheet shows them
  xls_tool.py compare TEMPLATE OUT EDITS   check that OUT is TEMPLATE with the edits (JSON) written in
"""
import datetime
import json
import sys

import xlrd
import xlwt

ERRORS = {0x00: "#NULL!", 0x07: "#DIV/0!", 0x0F: "#VALUE!", 0x17: "#REF!", 0x1D: "#NAME?", 0x24: "#NUM!",
          0x2A: "#N/A"}


def number_text(v):
    if v == 0:
        return "0"
    if abs(v) < 1e15 and v == int(v):
        return str(int(v))
    for p in range(1, 16):
        s = "%.*g" % (p, v)
        if float(s) == v:
            break
    return s.replace("e", "E")


def date_text(v, datemode):
    if datemode == 0 and int(v) == 60:
        return "1900/2/29"
    base = datetime.datetime(1904, 1, 1) if datemode else (
        datetime.datetime(1899, 12, 31) if v < 60 else datetime.datetime(1899, 12, 30))
    days = int(v // 1)
    minutes = round((v - days) * 24 * 60)
    d = base + datetime.timedelta(days=days)
    text = "%d/%d/%d" % (d.year, d.month, d.day)
    if 0 < minutes < 24 * 60:
        text += " %d:%02d" % (minutes // 60, minutes % 60)
    return text


def cell_text(book, cell):
    t = cell.ctype
    if t == xlrd.XL_CELL_TEXT:
        return cell.value
    if t == xlrd.XL_CELL_NUMBER:
        return number_text(cell.value)
    if t == xlrd.XL_CELL_DATE:
        return date_text(cell.value, book.datemode)
    if t == xlrd.XL_CELL_BOOLEAN:
        return "TRUE" if cell.value else "FALSE"
    if t == xlrd.XL_CELL_ERROR:
        return ERRORS.get(cell.value, "#N/A")
    return ""


def dump(path):
    try:
        book = xlrd.open_workbook(path, formatting_info=True)
    except Exception:  # hand-made workbooks carry no fonts or styles
        book = xlrd.open_workbook(path)
    sheets = []
    for sheet in book.sheets():
        cells = {}
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                text = cell_text(book, sheet.cell(r, c))
                if text != "":
                    cells["%d,%d" % (r, c)] = text
        widths = {str(c): info.width / 256 for c, info in sheet.colinfo_map.items()}
        sheets.append({"name": sheet.name, "cells": cells, "widths": widths})
    json.dump(sheets, sys.stdout, ensure_ascii=False, sort_keys=True)


def compare(template_path, out_path, edits_path):
    with open(edits_path, encoding="utf-8") as f:
        edits = {tuple(int(x) for x in k.split(",")): v for k, v in json.load(f).items()}
    t = xlrd.open_workbook(template_path, formatting_info=True)
    o = xlrd.open_workbook(out_path, formatting_info=True)
    problems = []
    if t.sheet_names() != o.sheet_names():
        problems.append("sheet names %r != %r" % (t.sheet_names(), o.sheet_names()))
    for i, (ts, os_) in enumerate(zip(t.sheets(), o.sheets())):
        rows = max(ts.nrows, os_.nrows)
        cols = max(ts.ncols, os_.ncols)
        for r in range(rows):
            for c in range(cols):
                tc = ts.cell(r, c) if r < ts.nrows and c < ts.ncols else None
                oc = os_.cell(r, c) if r < os_.nrows and c < os_.ncols else None
                if i == 0 and (r, c) in edits:
                    if oc is None or oc.ctype != xlrd.XL_CELL_TEXT or oc.value != edits[(r, c)]:
                        problems.append("written %d,%d: %r" % (r, c, oc))
                    elif tc is not None and tc.xf_index != oc.xf_index:
                        problems.append("format of %d,%d: %s != %s" % (r, c, tc.xf_index, oc.xf_index))
                    continue
                tv = (tc.ctype, tc.value, tc.xf_index) if tc is not None and tc.ctype != xlrd.XL_CELL_EMPTY else None
                ov = (oc.ctype, oc.value, oc.xf_index) if oc is not None and oc.ctype != xlrd.XL_CELL_EMPTY else None
                if tv != ov:
                    problems.append("sheet %d cell %d,%d: %r != %r" % (i, r, c, tv, ov))
        if i > 0 and ts.merged_cells != os_.merged_cells:
            problems.append("merged cells of sheet %d" % i)
        if i == 0 and sorted(ts.merged_cells) != sorted(os_.merged_cells):
            problems.append("merged cells of the first sheet")
    print("\n".join(problems[:20]) if problems else "OK")


def fixtures(folder):
    plain = xlwt.easyxf("")
    ymd = xlwt.easyxf(num_format_str="yyyy/m/d")
    stamp = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm")
    percent = xlwt.easyxf(num_format_str="0.00")

    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("名单")
    ws.write(0, 1, "企业名称")
    names = ["甲公司", " 前后空格 ", "ABC Ltd.", "Ünïcödé", "emoji 😀 名", "tab\there"]
    for i, n in enumerate(names):
        ws.write(i + 1, 1, n)
    values = [12, -3, 0.1 + 0.2, 1e20, 123456789012345678, 2.5, -0.000123, 1 / 3]
    for i, v in enumerate(values):
        ws.write(i + 1, 2, v)
    ws.write(1, 3, True)
    ws.write(2, 3, False)
    ws.write(1, 4, datetime.date(2024, 3, 5), ymd)
    ws.write(2, 4, datetime.datetime(2024, 3, 5, 14, 7), stamp)
    ws.write(3, 4, 45356.0, ymd)
    ws.write(4, 4, 3.14159, percent)
    ws.col(1).width = 256 * 30
    ws.col(2).width = 256 * 12
    other = wb.add_sheet("第二页")
    other.write(0, 0, "second")
    other.write(5, 3, 7)
    wb.save(folder + "/basic.xls")

    wb = xlwt.Workbook(encoding="utf-8")
    wb.dates_1904 = True
    ws = wb.add_sheet("Sheet1")
    ws.write(0, 0, datetime.date(2001, 2, 3), ymd)
    ws.write(1, 0, 1000.5, stamp)
    wb.save(folder + "/date1904.xls")

    # Enough long strings that the shared string table spans many CONTINUE records, cut inside strings.
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("long")
    for i in range(3000):
        if i % 3 == 0:
            text = ("名%d" % i) * (1 + i % 97)
        elif i % 3 == 1:
            text = ("name-%d " % i) * (1 + i % 53)
        else:
            text = "混合 mixed %d " % i * (1 + i % 41)
        ws.write(i, 1, text[:32767])
    wb.save(folder + "/sst_long.xls")

    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("f")
    for r in range(3):
        ws.write(r, 0, r + 1)
    ws.write(3, 0, xlwt.Formula("SUM(A1:A3)"))
    ws.write(4, 0, xlwt.Formula('"a"&"b"'))
    ws.write(0, 1, "after formulas")
    wb.save(folder + "/formulas.xls")

    # A template like the export one, with more on it: borders on B1:B50 stored as MULBLANK, a sum over the
    # written range, merged cells, numbers and other sheets.
    border = xlwt.easyxf("borders: left thin, right thin, top thin, bottom thin")
    bold = xlwt.easyxf("font: bold on")
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("导出", cell_overwrite_ok=True)
    ws.write(0, 0, "标题", bold)
    for r in range(50):
        ws.write(r, 1, None, border)
        ws.write(r, 2, None, border)
    ws.write(3, 2, "existing C4", border)
    ws.write(2, 1, "old B3", border)
    ws.write(5, 1, 99, border)
    ws.write(51, 1, xlwt.Formula("COUNTA(B1:B50)"))
    ws.write(51, 2, xlwt.Formula("SUM(C1:C50)"))
    ws.write_merge(60, 61, 0, 3, "合并单元格", bold)
    ws.write(70, 5, 1.5)
    ws.col(0).width = 256 * 10
    ws.col(1).width = 256 * 20
    s2 = wb.add_sheet("其它")
    for r in range(200):
        s2.write(r, 0, "row %d" % r)
        s2.write(r, 1, r * 1.25)
    s2.write_merge(0, 1, 3, 4, "m")
    s3 = wb.add_sheet("第三")
    s3.write(0, 0, "三")
    wb.save(folder + "/template.xls")


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "fixtures":
        fixtures(sys.argv[2])
    elif command == "dump":
        dump(sys.argv[2])
    elif command == "compare":
        compare(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit("unknown command")
