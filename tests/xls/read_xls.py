#!/usr/bin/python3
"""Reads a .xls workbook with xlrd (an independent reader) and prints JSON:
  {"sheets": [...as the fixtures' dump_xls.py...], "problems": [...BIFF structure faults...],
   "streams": {name: sha256 of every stream}}
Usage: read_xls.py FIXTURES_DIR FILE.xls [--streams-only] [--grown SHEET] [--indexes]
  --grown SHEET  also check that sheet's INDEX and DBCELL records in full (the templates' own may not conform)
  --indexes      also check the INDEX of every other sheet that has one: its rows, DEFCOLWIDTH and DBCELLs
Exits non-zero when python3-xlrd is missing or the file cannot be read, so a missing reader fails the test.
"""
import hashlib
import json
import os
import struct
import sys
import types

import xlrd
import xlrd.compdoc

FIXTURES = sys.argv[1]
sys.dont_write_bytecode = True  # the fixtures folder is read-only
sys.path.insert(0, FIXTURES)
try:
    import olefile  # noqa: F401
except ImportError:
    # check_xls imports olefile at the top but its BIFF validator does not use it.
    sys.modules["olefile"] = types.ModuleType("olefile")
import check_xls  # noqa: E402
import dump_xls  # noqa: E402


def container(path):
    mem = open(path, "rb").read()
    shift, = struct.unpack_from("<H", mem, 0x1E)
    if shift == 12:
        # xlrd 1.2 places sector N at 512 + N*4096; dropping the rest of the 4096-byte header sector
        # makes that right without another reader.
        mem = mem[:512] + mem[4096:]
    return mem


def extsst_problems(data):
    """EXTSST must give, for every dsst-th string, its stream position and its offset in its record."""
    recs = list(check_xls.records(data))
    k = next((i for i, r in enumerate(recs) if r[1] == 0x00FC), None)
    if k is None:
        return []
    chunks, j = [], k
    while j == k or (j < len(recs) and recs[j][1] == 0x003C):
        chunks.append((recs[j][0] + 4, recs[j][2]))
        j += 1
    if j == len(recs) or recs[j][1] != 0x00FF:
        return ["SST is not followed by EXTSST"]
    unique, = struct.unpack_from("<I", chunks[0][1], 4)
    starts, ci, pos = [], 0, 8
    for _ in range(unique):
        if pos == len(chunks[ci][1]):
            ci, pos = ci + 1, 0
        starts.append((chunks[ci][0] + pos, pos + 4))
        cch, flags = struct.unpack_from("<HB", chunks[ci][1], pos)
        pos += 3
        extra = 0
        if flags & 8:
            extra += 4 * struct.unpack_from("<H", chunks[ci][1], pos)[0]
            pos += 2
        if flags & 4:
            extra += struct.unpack_from("<I", chunks[ci][1], pos)[0]
            pos += 4
        width = 2 if flags & 1 else 1
        while cch:
            if pos == len(chunks[ci][1]):
                ci, pos = ci + 1, 1
                width = 2 if chunks[ci][1][0] & 1 else 1
            n = min(cch, (len(chunks[ci][1]) - pos) // width)
            pos, cch = pos + n * width, cch - n
        while extra:
            if pos == len(chunks[ci][1]):
                ci, pos = ci + 1, 0
            n = min(extra, len(chunks[ci][1]) - pos)
            pos, extra = pos + n, extra - n
    ext = recs[j][2]
    dsst, = struct.unpack_from("<H", ext, 0)
    got = [struct.unpack_from("<IH", ext, 2 + 8 * b) for b in range((len(ext) - 2) // 8)]
    want = starts[::dsst] if dsst else []
    return [] if got == want else ["EXTSST does not locate the strings: %s, want %s" % (got[:3], want[:3])]


def sheet_offsets(recs):
    """{name: BOF offset} of the sheets listed in the globals."""
    found = {}
    for _, rt, p in recs:
        if rt == 0x000A:
            break
        if rt == 0x0085:
            wide = p[7] & 1
            name = p[8:8 + p[6] * (2 if wide else 1)].decode("utf-16-le" if wide else "latin-1")
            found[name], = struct.unpack_from("<I", p)
    return found


def index_problems(data, sheet, dbcells_too=True):
    """INDEX must give the used rows, DEFCOLWIDTH and every DBCELL; each DBCELL the first cell of each row."""
    recs = list(check_xls.records(data))
    offs = {off: i for i, (off, _, _) in enumerate(recs)}
    bof = next((pos for name, pos in sheet_offsets(recs).items() if name.lower() == sheet.lower()), None)
    start = end = offs[bof]
    depth = 0
    while True:                     # to the EOF that matches the sheet's BOF (charts nest their own)
        depth += {0x0809: 1, 0x000A: -1}.get(recs[end][1], 0)
        if depth == 0:
            break
        end += 1
    body = recs[start:end]
    index = [p for _, rt, p in body if rt == 0x020B]
    if len(index) != 1:
        return ["sheet %r has %d INDEX records" % (sheet, len(index))]
    rw_mic, rw_mac, ib_xf = struct.unpack_from("<III", index[0], 4)
    listed = list(struct.unpack_from("<%dI" % ((len(index[0]) - 16) // 4), index[0], 16))
    rows = [struct.unpack_from("<H", p)[0] for _, rt, p in body if rt == 0x0208 or rt in check_xls.CELL_RECORDS]
    problems = []
    if (rw_mic, rw_mac) != ((min(rows), max(rows) + 1) if rows else (0, 0)):
        problems.append("sheet %r: INDEX rows %d..%d" % (sheet, rw_mic, rw_mac))
    if ib_xf not in offs or recs[offs[ib_xf]][1] != 0x0055:
        problems.append("sheet %r: INDEX does not point at DEFCOLWIDTH" % sheet)
    dbcells = [off for off, rt, _ in body if rt == 0x00D7]
    if listed != dbcells:
        problems.append("sheet %r: INDEX lists %s, DBCELLs are at %s" % (sheet, listed[:3], dbcells[:3]))
    for off in dbcells if dbcells_too else []:
        p = recs[offs[off]][2]
        back, = struct.unpack_from("<I", p)
        first_row = off - back
        firsts = []                 # (row, offset) of the first cell record of each row in the block
        for o, rt, q in recs[offs[first_row]:offs[off]]:
            if rt in check_xls.CELL_RECORDS and (not firsts or firsts[-1][0] != struct.unpack_from("<H", q)[0]):
                firsts.append((struct.unpack_from("<H", q)[0], o))
        want, prev = [], first_row + 4 + len(recs[offs[first_row]][2])
        for _, o in firsts:
            want.append(o - prev)
            prev = o
        if list(struct.unpack_from("<%dH" % ((len(p) - 4) // 2), p, 4)) != want:
            problems.append("sheet %r: DBCELL at %d does not locate its cells" % (sheet, off))
    return problems


def other_index_problems(data, grown):
    """The INDEX of every sheet but the grown one that has one, right after its BOF (and UNCALCED). The
    templates' own DBCELLs may not conform, so only what the INDEX says is checked."""
    recs = list(check_xls.records(data))
    offs = {off: i for i, (off, _, _) in enumerate(recs)}
    problems = []
    for name, bof in sheet_offsets(recs).items():
        k = offs.get(bof)
        if k is None or name.lower() == (grown or "").lower():
            continue
        after = [rt for _, rt, _ in recs[k + 1:k + 3]]
        if after[:1] == [0x020B] or after == [0x005E, 0x020B]:
            problems += index_problems(data, name, dbcells_too=False)
    return problems


def main():
    path = sys.argv[2]
    mem = container(path)
    doc = xlrd.compdoc.CompDoc(mem, logfile=open(os.devnull, "w"))
    streams, contents = {}, {}
    for entry in doc.dirlist:
        if entry.etype == 2:
            # CompDoc refuses to hand out a stream twice, so keep each one.
            contents[entry.name] = doc.get_named_stream(entry.name) or b""
            streams[entry.name] = hashlib.sha256(contents[entry.name]).hexdigest()
    result = {"streams": streams}
    if "--streams-only" not in sys.argv:
        book = xlrd.open_workbook(file_contents=mem, formatting_info=True, logfile=sys.stderr)
        sheets = []
        for index in range(book.nsheets):
            sh = book.sheet_by_index(index)
            cells = []
            for r in range(sh.nrows):
                for c in range(sh.row_len(r)):
                    cell = sh.cell(r, c)
                    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                        continue
                    cells.append([r, c, dump_xls.CELL_TYPES[cell.ctype], dump_xls.cell_value(cell)])
            sheets.append({"index": index, "name": sh.name, "visibility": sh.visibility, "nrows": sh.nrows,
                           "ncols": sh.ncols, "merged": [list(m) for m in sh.merged_cells], "cells": cells})
        result["sheets"] = sheets
        problems, _ = check_xls.validate_biff(contents["Workbook"])
        problems += extsst_problems(contents["Workbook"])
        grown = sys.argv[sys.argv.index("--grown") + 1] if "--grown" in sys.argv else None
        if grown:
            problems += index_problems(contents["Workbook"], grown)
        if "--indexes" in sys.argv:
            problems += other_index_problems(contents["Workbook"], grown)
        result["problems"] = problems
    sys.stdout.reconfigure(encoding="utf-8")
    print(json.dumps(result, ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main())
