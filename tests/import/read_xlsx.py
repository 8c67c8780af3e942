#!/usr/bin/python3
"""Reads a spreadsheet with an independent reader and prints JSON.
  read_xlsx.py openpyxl FILE.xlsx  {"sheets": [names], "cells": [[row, col, value, type, number_format, bold]],
                                    "freeze": "A4" or null, "widths": {column letter: width}}
                                   (rows and columns counted from 0; type "n" number, "s" text)
  read_xlsx.py gnumeric FILE       {"sheets": [names], "cells": [[row, col, value, type]]} of a Gnumeric XML file
                                   (as ssconvert writes it, gzip-compressed or not)
  read_xlsx.py csv FILE.csv        {"rows": [[cell texts], ...]} read with Python's csv module, UTF-8
Exits non-zero when python3-openpyxl is missing or the file cannot be read, so a missing reader fails the test.
"""
import csv
import json
import sys


def read_openpyxl(path):
    import openpyxl
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    cells = []
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            kind = "n" if isinstance(cell.value, (int, float)) else "s"
            cells.append([cell.row - 1, cell.column - 1, cell.value, kind, cell.number_format, bool(cell.font.b)])
    widths = {k: v.width for k, v in sheet.column_dimensions.items() if v.customWidth}
    return {"sheets": book.sheetnames, "cells": cells, "freeze": sheet.freeze_panes, "widths": widths}


def read_gnumeric(path):
    import gzip
    import xml.etree.ElementTree as ET
    data = open(path, "rb").read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    gnm = "{http://www.gnumeric.org/v10.dtd}"
    root = ET.fromstring(data)
    sheets = root.findall(f"{gnm}Sheets/{gnm}Sheet")
    cells = []
    for cell in sheets[0].iter(f"{gnm}Cell"):
        kind = int(cell.get("ValueType", "0"))  # 30/40 numbers, 60 text
        text = cell.text or ""
        if kind in (30, 40):
            cells.append([int(cell.get("Row")), int(cell.get("Col")), float(text), "n"])
        elif kind == 60:
            cells.append([int(cell.get("Row")), int(cell.get("Col")), text, "s"])
        else:
            cells.append([int(cell.get("Row")), int(cell.get("Col")), text, "other %d" % kind])
    return {"sheets": [s.findtext(f"{gnm}Name") for s in sheets], "cells": cells}


def read_csv(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        return {"rows": [row for row in csv.reader(f)]}


def main():
    mode, path = sys.argv[1], sys.argv[2]
    readers = {"openpyxl": read_openpyxl, "gnumeric": read_gnumeric, "csv": read_csv}
    result = readers[mode](path)
    sys.stdout.reconfigure(encoding="utf-8")
    print(json.dumps(result, ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main())
