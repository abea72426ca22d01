#!/usr/bin/python3
"""Prints what openpyxl reads from a workbook, one fact a line, for the sheet tests."""
import sys

import openpyxl


def side(s):
    return s.style if s is not None and s.style else "-"


book = openpyxl.load_workbook(sys.argv[1])
for ws in book.worksheets:
    print(f"sheet {ws.title}{' active' if ws is book.active else ''}")
    for r, dim in sorted(ws.row_dimensions.items()):
        if dim.outline_level:
            print(f"level {r} {dim.outline_level}")
    for row in ws.iter_rows():
        for c in row:
            b = c.border
            borders = "/".join(side(x) for x in (b.left, b.top, b.bottom, b.right))
            if c.value is None and borders == "-/-/-/-":
                continue
            f = c.font
            colour = f.color.rgb if f.color is not None and f.color.type == "rgb" else "-"
            print(f"cell {c.coordinate} {c.value!r} font={f.sz:g}/{colour}/{int(bool(f.b))}"
                  f" border={borders}")
