#!/usr/bin/python3
"""Writes the export workbooks resources/template/list1.xls and list2.xls (Excel 97, BIFF8).

Python 3 standard library only, no timestamps: running it again gives byte-identical files.
Usage: tools/make-templates.py [OUTPUT_FOLDER]   (default: resources/template beside this script's parent)

Each workbook has a styled title on Sheet1 (the exported rows are appended below it) and a notes sheet.
"""
import os
import struct
import sys


def rec(rtype, data=b""):
    assert len(data) <= 8224
    return struct.pack("<HH", rtype, len(data)) + data


def short_str(text):  # ShortXLUnicodeString, always UTF-16
    return struct.pack("<BB", len(text), 1) + text.encode("utf-16-le")


def long_str(text):  # XLUnicodeString, always UTF-16
    return struct.pack("<HB", len(text), 1) + text.encode("utf-16-le")


def font(height, bold=False, italic=False, colour=0x7FFF, name="宋体"):
    return rec(0x0031, struct.pack("<HHHHHBBBB", height, 0x0002 if italic else 0, colour, 700 if bold else 400,
                                   0, 0, 0, 134, 0) + short_str(name))


def xf(ifnt, style=False, align=0x20, border=(0, 0), fill=None, bold_bottom=False):
    """A BIFF8 XF: font, alignment byte, optional bottom border colour and solid fill colour."""
    prot = 0xFFF5 if style else 0x0001
    used = 0x00 if style else 0xFC
    dg_bottom = 1 if bold_bottom else 0
    b1 = (dg_bottom << 12) | (0x40 << 16) | (0x40 << 23)
    b2 = 0x40 | ((0x12 if bold_bottom else 0x40) << 7) | ((1 if fill is not None else 0) << 26)
    icv = (fill if fill is not None else 0x40) | (0x41 << 7)
    return rec(0x00E0, struct.pack("<HHHBBBBIIH", ifnt, 0, prot, align, 0, 0, used, b1, b2, icv))


TITLE_XF, SUBTITLE_XF, NOTE_XF = 16, 17, 18


def globals_records(sheet_names, strings, sheet_offsets):
    out = rec(0x0809, struct.pack("<HHHHII", 0x0600, 0x0005, 0x0DBB, 0x07CC, 0, 0x06))
    out += rec(0x00E1, struct.pack("<H", 1200))  # INTERFACEHDR
    out += rec(0x00E2)  # INTERFACEEND
    out += rec(0x0042, struct.pack("<H", 1200))  # CODEPAGE: UTF-16
    out += rec(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 0x4000, 0x2000, 0x38, 0, 0, 1, 600))  # WINDOW1
    out += rec(0x0022, struct.pack("<H", 0))  # DATEMODE 1900
    for _ in range(4):
        out += font(220)
    out += font(320, bold=True, colour=0x12)  # 5: title
    out += font(200, italic=True, colour=0x17)  # 6: subtitle
    out += font(220)  # 7: notes
    out += xf(0, style=True)
    for i in range(1, 15):
        out += xf(1 if i in (1, 2) else 2 if i in (3, 4) else 0, style=True)
    out += xf(0)  # 15: default cell format
    out += xf(5, align=0x12, fill=0x2C, bold_bottom=True)  # 16: title, centred
    out += xf(6, align=0x10)  # 17: subtitle
    out += xf(7, align=0x28)  # 18: notes, wrapped
    out += rec(0x0293, struct.pack("<HBB", 0x8000, 0, 0xFF))  # STYLE Normal
    for name, offset in zip(sheet_names, sheet_offsets):
        out += rec(0x0085, struct.pack("<IBB", offset, 0, 0) + short_str(name))
    out += rec(0x008C, struct.pack("<HH", 86, 86))  # COUNTRY: China
    sst_at = len(out)
    body = struct.pack("<II", len(strings), len(strings)) + b"".join(long_str(s) for s in strings)
    out += rec(0x00FC, body)
    # EXTSST: one bucket per 8 strings, each the string's stream position and its offset in the record.
    buckets, pos = [], sst_at + 4 + 8
    for i, s in enumerate(strings):
        if i % 8 == 0:
            buckets.append(struct.pack("<IHH", pos, pos - sst_at, 0))
        pos += len(long_str(s))
    out += rec(0x00FF, struct.pack("<H", 8) + b"".join(buckets))
    out += rec(0x000A)
    return out


def sheet_records(cells, widths, merges, heights, selected):
    """cells: {(row, col): (isst, xf)}; merged areas get blank cells of the leader's format."""
    out = rec(0x0809, struct.pack("<HHHHII", 0x0600, 0x0010, 0x0DBB, 0x07CC, 0, 0x06))
    out += rec(0x000D, struct.pack("<H", 1))  # CALCMODE automatic
    out += rec(0x0225, struct.pack("<HH", 0, 270))  # DEFAULTROWHEIGHT
    out += rec(0x0081, struct.pack("<H", 0x04C1))  # WSBOOL
    out += rec(0x0055, struct.pack("<H", 8))  # DEFCOLWIDTH
    for col, width in enumerate(widths):
        out += rec(0x007D, struct.pack("<HHHHHH", col, col, width, 15, 0, 0))
    blanks = {}
    for r0, r1, c0, c1 in merges:
        _, leader_xf = cells[(r0, c0)]
        for r in range(r0, r1 + 1):
            for c in range(c0, c1 + 1):
                if (r, c) != (r0, c0):
                    blanks[(r, c)] = leader_xf
    rows = sorted({r for r, _ in cells} | {r for r, _ in blanks})
    max_col = max(c for _, c in list(cells) + list(blanks)) if rows else 0
    out += rec(0x0200, struct.pack("<IIHHH", rows[0] if rows else 0, rows[-1] + 1 if rows else 0, 0,
                                   max_col + 1 if rows else 0, 0))
    for r in rows:
        cols = [c for rr, c in list(cells) + list(blanks) if rr == r]
        flags = 0x0100 | (0x40 if r in heights else 0) | (15 << 16)
        out += rec(0x0208, struct.pack("<HHHHHHI", r, min(cols), max(cols) + 1, heights.get(r, 270), 0, 0, flags))
    for r in rows:
        c = 0
        while c <= max_col:
            if (r, c) in cells:
                isst, ixf = cells[(r, c)]
                out += rec(0x00FD, struct.pack("<HHHI", r, c, ixf, isst))
                c += 1
            elif (r, c) in blanks:
                first, xfs = c, []
                while (r, c) in blanks:
                    xfs.append(blanks[(r, c)])
                    c += 1
                if len(xfs) == 1:
                    out += rec(0x0201, struct.pack("<HHH", r, first, xfs[0]))  # BLANK
                else:
                    out += rec(0x00BE, struct.pack("<HH", r, first) + struct.pack("<%dH" % len(xfs), *xfs)
                               + struct.pack("<H", c - 1))  # MULBLANK
            else:
                c += 1
    out += rec(0x023E, struct.pack("<HHHHHHHI", 0x06B6 if selected else 0x02B6, 0, 0, 0x40, 0, 0, 0, 0))
    out += rec(0x001D, struct.pack("<BHHHHHHBB", 3, 0, 0, 0, 1, 0, 0, 0, 0))  # SELECTION A1
    if merges:
        out += rec(0x00E5, struct.pack("<H", len(merges)) + b"".join(struct.pack("<HHHH", *m) for m in merges))
    out += rec(0x000A)
    return out


def workbook_stream(title, subtitle, columns, widths, notes):
    strings = [title, subtitle] + notes
    last = columns - 1
    sheet1 = sheet_records({(0, 0): (0, TITLE_XF), (1, 0): (1, SUBTITLE_XF)}, widths,
                           [(0, 0, 0, last), (1, 1, 0, last)], {0: 600, 1: 330}, True)
    note_cells = {(i, 0): (2 + i, NOTE_XF) for i in range(len(notes))}
    sheet2 = sheet_records(note_cells, [20000], [], {}, False)
    names = ["Sheet1", "说明"]
    head = globals_records(names, strings, [0, 0])
    first = len(head)
    head = globals_records(names, strings, [first, first + len(sheet1)])
    assert len(head) == first
    return head + sheet1 + sheet2


def compound_file(stream):
    """A version 3 compound file holding one stream "Workbook" in its mini stream (it is under 4096 bytes)."""
    assert len(stream) < 4096
    free, end, fat_sect, nostream = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFF
    mini_count = (len(stream) + 63) // 64
    mini_data = stream + b"\0" * (mini_count * 64 - len(stream))
    container_sectors = (len(mini_data) + 511) // 512
    mini_data += b"\0" * (container_sectors * 512 - len(mini_data))
    # Sectors: 0 FAT, 1 directory, 2 mini FAT, 3.. the mini stream.
    fat = [fat_sect, end, end] + [4 + i for i in range(container_sectors - 1)] + [end]
    fat += [free] * (128 - len(fat))
    minifat = [i + 1 for i in range(mini_count - 1)] + [end]
    minifat += [free] * (128 - len(minifat))

    def entry(name, etype, child, start, size):
        raw = name.encode("utf-16-le") + b"\0\0" if name else b""
        return (raw.ljust(64, b"\0") + struct.pack("<HBBIII", len(raw), etype, 1, nostream, nostream, child)
                + b"\0" * 16 + struct.pack("<I", 0) + b"\0" * 16 + struct.pack("<IQ", start, size))

    directory = entry("Root Entry", 5, 1, 3, mini_count * 64) + entry("Workbook", 2, nostream, 0, len(stream))
    empty = b"\0" * 64 + struct.pack("<HBBIII", 0, 0, 0, nostream, nostream, nostream) + b"\0" * 36 + b"\0" * 12
    directory += empty * 2
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, 2, 1, end, 0)
              + struct.pack("<I", 0) + struct.pack("<I", free) * 108)
    assert len(header) == 512 and len(directory) == 512
    return (header + struct.pack("<128I", *fat) + directory + struct.pack("<128I", *minifat) + mini_data)


LOT_WIDTHS = [6 * 256, 16 * 256] + [10 * 256] * 14
RATIO_WIDTHS = [6 * 256] + [11 * 256] * 10 + [10 * 256] * 13


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "template")
    books = {
        "list1.xls": workbook_stream("焦炭库存表", "库存焦炭的质量指标、库存与价格", 16, LOT_WIDTHS,
                                     ["本工作簿由程序导出：Sheet1 的标题下依次为表头和每种焦炭一行。",
                                      "所有数值均以文本写入，与列表中显示的一致。"]),
        "list2.xls": workbook_stream("历史配比方案", "要达到的精煤指标、参与配比的煤与方案列表", 24, RATIO_WIDTHS,
                                     ["本工作簿由程序导出：Sheet1 的标题下依次为精煤指标、参与配比的煤和方案列表。",
                                      "方案列表的“序”列为方案编号；换算成吨后导出的是吨数。"]),
    }
    for name, stream in books.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(compound_file(stream))


if __name__ == "__main__":
    main()
