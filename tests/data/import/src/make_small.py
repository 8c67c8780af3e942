#!/usr/bin/python3
"""Writes the small hand-made fixtures of the import tests into the folder given:
  inline.xlsx       a minimal package: workbook found through _rels/.rels at an absolute target, a chart sheet
                    before the worksheet, inline strings, a formula text result, numbers in exponent form, an
                    escaped character (_x0009_), cells without r attributes, and a phonetic run to leave out
  no_workbook.xlsx  a zip archive that holds no workbook
  gbk_semicolon.csv GBK text, Chinese headers, semicolons, CR LF line ends, a quoted field holding a semicolon
"""
import sys
import zipfile

out = sys.argv[1]

CT = ('<?xml version="1.0" encoding="UTF-8"?>'
      '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
      '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
      '<Default Extension="xml" ContentType="application/xml"/></Types>')
RELS = ('<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        'officeDocument" Target="/book/main.xml"/></Relationships>')
WB = ('<?xml version="1.0" encoding="UTF-8"?>'
      '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>'
      '<sheet name="图表" sheetId="1" r:id="rC"/><sheet name="化验" sheetId="2" r:id="rW"/>'
      '</sheets></workbook>')
WB_RELS = ('<?xml version="1.0" encoding="UTF-8"?>'
           '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
           '<Relationship Id="rC" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
           'chartsheet" Target="charts/c1.xml"/>'
           '<Relationship Id="rW" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
           'worksheet" Target="sheets/../sheets/s1.xml"/></Relationships>')
SHEET = ('<?xml version="1.0" encoding="UTF-8"?>'
         '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
         '<row r="2"><c r="A2" t="inlineStr"><is><t>名称</t></is></c>'
         '<c t="inlineStr"><is><r><t>硫</t></r><r><t>分</t></r><rPh><t>liu</t></rPh></is></c>'
         '<c t="inlineStr"><is><t>价格</t></is></c></row>'
         '<row r="3"><c r="A3" t="str"><f>"甲"&amp;"焦"</f><v>甲焦</v></c>'
         '<c r="B3"><v>5.5E-1</v></c><c r="C3" t="n"><v>1.2345E3</v></c></row>'
         '<row><c r="A4" t="inlineStr"><is><t>乙_x0009_焦</t></is></c><c r="C4"><v>900</v></c></row>'
         '</sheetData></worksheet>')

with zipfile.ZipFile(f"{out}/inline.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("[Content_Types].xml", CT)
    z.writestr("_rels/.rels", RELS)
    z.writestr("book/main.xml", WB)
    z.writestr("book/_rels/main.xml.rels", WB_RELS)
    z.writestr("book/charts/c1.xml", "<chartsheet/>")
    z.writestr("book/sheets/s1.xml", SHEET)

with zipfile.ZipFile(f"{out}/no_workbook.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("readme.txt", "not a workbook")

rows = ["焦炭名称;硫分(%);灰分(%);挥发分(%);单价(元/吨);库存吨",
        '阳泉焦;0.65;12.1;1.3;1780;300',
        '"晋城;无烟焦";0.45;10.5;1.1;1900;',
        "平顶山焦;0.8;13.2;1.4;1650;120"]
with open(f"{out}/gbk_semicolon.csv", "wb") as f:
    f.write("\r\n".join(rows).encode("gbk") + b"\r\n")
