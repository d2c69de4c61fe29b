#!/usr/bin/python3
"""Writes the sample workbooks the demo imports: 200 enterprise names and last year's drawn names.

Run with Debian's python3 (openpyxl): /usr/bin/python3 data/samples/make_samples.py
"""
import os

import openpyxl

PLACES = ["东城", "西城", "南岗", "北辰", "青山", "江岸", "河西", "金水", "龙华", "高新"]
TRADES = ["食品", "建材", "机械", "化工", "纺织", "电子", "物流", "医药", "印刷", "环保",
          "五金", "塑料", "家具", "服装", "照明", "包装", "餐饮", "汽修", "酒店", "粮油"]
FORMS = ["有限公司", "股份有限公司"]


def names():
    result = []
    for i in range(200):
        place = PLACES[i % len(PLACES)]
        trade = TRADES[(i * 7) % len(TRADES)]
        form = FORMS[(i // 3) % len(FORMS)]
        result.append(f"{place}{trade}{form}{i // len(PLACES) + 1:02d}")
    return result


def write(path, heading, rows):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "名单"
    sheet["A1"] = "序号"
    sheet["B1"] = heading
    for row, name in enumerate(rows, start=2):
        sheet.cell(row=row, column=1, value=row - 1)
        sheet.cell(row=row, column=2, value=name)
    sheet.column_dimensions["B"].width = 36
    book.save(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    all_names = names()
    write(os.path.join(here, "重点企业名单.xlsx"), "企业名称", all_names)
    # Drawn last year: every twentieth enterprise.
    write(os.path.join(here, "历史摇中名单.xlsx"), "企业名称", all_names[::20])


if __name__ == "__main__":
    main()
