#!/usr/bin/python3
"""Writes a small seed corpus for the .xlsx fuzz harnesses into this folder (openpyxl and zipfile)."""
import datetime
import os
import zipfile

import openpyxl
from openpyxl.styles import Font

HERE = os.path.dirname(os.path.abspath(__file__))
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def plain():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws["A1"] = "名称"
    for i, v in enumerate(["甲", "  乙  ", 12, 0.5, True, datetime.date(2024, 3, 5), "#N/A"], start=2):
        ws.cell(row=i, column=2, value=v)
    ws["A1"].font = Font(bold=True)
    ws.merge_cells("C1:D2")
    ws["E1"] = "=SUM(B4:B5)"
    wb.create_sheet("二")["A1"] = "x"
    wb.save(os.path.join(HERE, "openpyxl.xlsx"))


def hand_built():
    parts = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="xml" ContentType="application/xml"/></Types>',
        "_rels/.rels": '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="r1" Type="%s/officeDocument" Target="/xl/workbook.xml"/></Relationships>' % REL,
        "xl/workbook.xml": '<workbook xmlns:r="%s"><workbookPr date1904="1"/><sheets>'
        '<sheet name="S" sheetId="1" r:id="a"/></sheets><calcPr calcId="1"/></workbook>' % REL,
        "xl/_rels/workbook.xml.rels": '<Relationships>'
        '<Relationship Id="a" Type="%s/worksheet" Target="worksheets/data.xml"/>'
        '<Relationship Id="b" Type="%s/sharedStrings" Target="strings.xml"/>'
        '<Relationship Id="c" Type="%s/styles" Target="styles.xml"/>'
        '<Relationship Id="d" Type="%s/calcChain" Target="calcChain.xml"/></Relationships>' % (REL, REL, REL, REL),
        "xl/worksheets/data.xml": '<worksheet><dimension ref="A1"/><cols><col min="1" max="3" width="9"/></cols>'
        '<sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c t="s"><v>1</v></c></row>'
        '<row><c s="1"><v>45356</v></c><c r="C2" t="inlineStr"><is><r><t>a_x000D_</t></r></is></c>'
        '<c r="D2"><f t="shared" ref="D2:D3" si="0">A1</f><v>1</v></c></row>'
        '<row r="3"><c r="D3"><f t="shared" si="0"/><v>2</v></c></row></sheetData></worksheet>',
        "xl/strings.xml": '<sst><si><r><t>東</t></r><rPh><t>ト</t></rPh></si><si/></sst>',
        "xl/styles.xml": '<styleSheet><numFmts><numFmt numFmtId="164" formatCode="yyyy/m/d"/></numFmts>'
        '<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>',
        "xl/calcChain.xml": '<calcChain><c r="D2"/></calcChain>',
    }
    with zipfile.ZipFile(os.path.join(HERE, "handbuilt.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text)


if __name__ == "__main__":
    plain()
    hand_built()
