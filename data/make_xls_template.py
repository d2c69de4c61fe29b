#!/usr/bin/python3
"""Makes export.xls, the template the exports are written into: one worksheet, 宋体 12 pt, wide columns A and B;
and tasks.xls, the same with columns for the task table.

Run with the system python (python3-xlwt): /usr/bin/python3 data/make_xls_template.py
"""
import os

import xlwt

# Every font xlwt makes, the workbook's default font 0 among them, is 宋体 12 pt.
plain_font = xlwt.Formatting.Font.__init__


def songti_font(self):
    plain_font(self)
    self.name = "宋体"
    self.height = 12 * 20
    self.charset = xlwt.Formatting.Font.CHARSET_ANSI_CHINESE_GBK


xlwt.Formatting.Font.__init__ = songti_font



def make_xls(name, widths):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    for column, width in enumerate(widths):
        sheet.col(column).width = 256 * width
    book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), name))


make_xls("export.xls", [18, 40])
make_xls("tasks.xls", [8, 12, 12, 30, 50])
