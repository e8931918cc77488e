#!/usr/bin/env python3
"""The comparison beside the .xlsx export figure: Python's XlsxWriter in constant-memory mode
writing the same rows as `zoqa-cli export k FILE --format xlsx` (the default columns, list
entries one per line, titles bold, every cell text). Reads the database that bench_cursor
builds (zoqa-bench-keyword-N under the temporary directory) and prints the whole process's
wall time and peak memory.

usage: xlsxwriter_rows.py COMPANIES OUT.xlsx
"""
import os
import resource
import sqlite3
import sys
import tempfile
import time

import xlsxwriter


def entries(stored):
    return [line.strip() for line in (stored or "").replace("|", "\r").splitlines() if line.strip()]


def main():
    start = time.monotonic()
    count, out = sys.argv[1], sys.argv[2]
    db = os.path.join(tempfile.gettempdir(), "zoqa-bench-keyword-" + count, "Data", "users")
    rows = sqlite3.connect(db).execute(
        "select ComName, mob, qq, EMail, weburl from tbl_list where keyid=1 order by ListID")
    book = xlsxwriter.Workbook(out, {"constant_memory": True})
    sheet = book.add_worksheet()
    title = book.add_format({"bold": True, "num_format": "@", "valign": "top"})
    text = book.add_format({"num_format": "@", "valign": "top"})
    wrapped = book.add_format({"num_format": "@", "valign": "top", "text_wrap": True})
    sheet.freeze_panes(1, 0)
    for col, name in enumerate(["公司名", "手机", "QQ", "邮箱", "网址"]):
        sheet.write_string(0, col, name, title)
    row = 1
    for name, mob, qq, email, url in rows:
        cells = [name or "", "\n".join(entries(mob)), "\n".join(entries(qq)),
                 "\n".join(entries(email)), url or ""]
        lines = max(cell.count("\n") + 1 for cell in cells)
        if lines > 1:
            sheet.set_row(row, min(409, 15 * lines))
        for col, cell in enumerate(cells):
            if cell:
                sheet.write_string(row, col, cell, wrapped if "\n" in cell else text)
        row += 1
    book.close()
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    print(f"{row - 1} rows: {time.monotonic() - start:.2f} s wall, {peak:.0f} MB peak")


if __name__ == "__main__":
    main()
