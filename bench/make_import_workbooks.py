#!/usr/bin/python3
"""Writes the workbooks the import benchmark reads, the way other programs write them.

  make_import_workbooks.py FOLDER

32,767 names in column B under a heading, with whole numbers in A, decimals in C and short texts in D:
  openpyxl-inline.xlsx     written by openpyxl (inline strings)
  openpyxl-shared.xlsx     the same, re-packed with a shared string table of its character references
  excel-shared.xlsx        the same, re-packed as Excel writes strings: shared, <si><t>, plain UTF-8
  libreoffice.xlsx         openpyxl-inline.xlsx saved again by LibreOffice
  xlwt.xls                 written by xlwt
  libreoffice.xls          xlwt.xls saved again by LibreOffice
Files already in FOLDER are kept. Exit code 77 when openpyxl, xlwt or soffice is missing.
"""
import html
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from xml.sax.saxutils import escape

try:
    import openpyxl
    import xlwt
except ImportError:
    sys.exit(77)

NAMES = 32767
HEADINGS = ["序号", "企业名称", "注册资本（万元）", "类别"]
KINDS = ["重点", "一般", "其它", "食品", "药品", "特种设备", "化妆品", "餐饮"]


def rows():
    rng = random.Random(20240305)
    for i in range(1, NAMES + 1):
        name = "第%05d号%s市%s有限公司" % (i, rng.choice(["东", "西", "南", "北", "中"]), rng.choice(KINDS))
        yield [100000 + i, name, round(rng.uniform(1, 100000), 2), rng.choice(KINDS) + "类"]


def write_openpyxl(path):
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("名单")
    ws.append(HEADINGS)
    for row in rows():
        ws.append(row)
    wb.save(path)


def repack_shared(source, path, plain=False):
    """Moves every inline string of the first sheet into a shared string table. openpyxl writes every character
    past ASCII as a character reference (&#20225;); plain writes them as Excel does, as UTF-8 with only the
    characters XML needs escaped."""
    with zipfile.ZipFile(source) as zin:
        parts = {name: zin.read(name) for name in zin.namelist()}
    sheet_name = "xl/worksheets/sheet1.xml"
    strings, index, references = [], {}, [0]

    def shared(match):
        references[0] += 1
        text = match.group(2)
        if text not in index:
            index[text] = len(strings)
            strings.append(text)
        return '<c r="%s" t="s"><v>%d</v></c>' % (match.group(1), index[text])

    sheet = parts[sheet_name].decode("utf-8")
    sheet = re.sub(r'<c r="([A-Z]+[0-9]+)" t="inlineStr"><is><t>([^<]*)</t></is></c>', shared, sheet)
    parts[sheet_name] = sheet.encode("utf-8")
    table = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
             '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">'
             % (references[0], len(strings))]
    if plain:
        strings = [escape(html.unescape(t)) for t in strings]
    table += ["<si><t>%s</t></si>" % t for t in strings]  # otherwise escaped as they stood in the sheet
    table.append("</sst>")
    parts["xl/sharedStrings.xml"] = "".join(table).encode("utf-8")
    types = parts["[Content_Types].xml"].decode("utf-8")
    types = types.replace("</Types>", '<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
                          'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
    parts["[Content_Types].xml"] = types.encode("utf-8")
    rels = parts["xl/_rels/workbook.xml.rels"].decode("utf-8")
    rels = rels.replace("</Relationships>", '<Relationship Id="rIdShared" Type="http://schemas.openxmlformats.org/'
                        'officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>'
                        "</Relationships>")
    parts["xl/_rels/workbook.xml.rels"] = rels.encode("utf-8")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zout:
        for name, data in parts.items():
            zout.writestr(name, data)


def write_xlwt(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("名单")
    for c, heading in enumerate(HEADINGS):
        ws.write(0, c, heading)
    for r, row in enumerate(rows(), start=1):
        for c, value in enumerate(row):
            ws.write(r, c, value)
    wb.save(path)


def libreoffice_copy(source, path, kind):
    soffice = shutil.which("soffice")
    if not soffice:
        sys.exit(77)
    with tempfile.TemporaryDirectory() as work:
        # A profile of its own, so a LibreOffice running elsewhere on the machine does not take the job.
        subprocess.run([soffice, "-env:UserInstallation=file://" + work + "/profile", "--headless",
                        "--convert-to", kind, "--outdir", work + "/out", source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
        made = os.path.join(work, "out", os.path.splitext(os.path.basename(source))[0] + "." + kind)
        shutil.move(made, path)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    at = lambda name: os.path.join(folder, name)
    steps = [
        ("openpyxl-inline.xlsx", lambda p: write_openpyxl(p)),
        ("openpyxl-shared.xlsx", lambda p: repack_shared(at("openpyxl-inline.xlsx"), p)),
        ("excel-shared.xlsx", lambda p: repack_shared(at("openpyxl-inline.xlsx"), p, plain=True)),
        ("libreoffice.xlsx", lambda p: libreoffice_copy(at("openpyxl-inline.xlsx"), p, "xlsx")),
        ("xlwt.xls", lambda p: write_xlwt(p)),
        ("libreoffice.xls", lambda p: libreoffice_copy(at("xlwt.xls"), p, "xls")),
    ]
    for name, make in steps:
        if not os.path.exists(at(name)):
            # Written under another name first, so an interrupted run leaves no half file to be taken as made.
            partial = at("partial-" + name)
            make(partial)
            os.replace(partial, at(name))


if __name__ == "__main__":
    main()
