#!/usr/bin/python3
"""Reads an .xls workbook with xlrd, an independent reader, and writes what it found as lines of
tab-separated fields (UTF-8) for the tests to compare:

    sheet   <index> <name>
    size    <index> <rows> <columns>
    text    <index> <row> <column> <text>
    number  <index> <row> <column> <value>
    width   <index> <column> <width in 1/256 character> <hidden 0/1>
    height  <index> <row> <height in twips> <hidden 0/1>
    error   <message>

Texts escape backslash, tab and line feed as \\\\, \\t and \\n. The output appears by rename, whole.
Usage: read_xls.py <workbook> <output>
"""
import os
import sys

import xlrd


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def describe(path):
    lines = []
    book = xlrd.open_workbook(path, formatting_info=True)
    for index in range(book.nsheets):
        sheet = book.sheet_by_index(index)
        lines.append("sheet\t%d\t%s" % (index, escape(sheet.name)))
        lines.append("size\t%d\t%d\t%d" % (index, sheet.nrows, sheet.ncols))
        for row in range(sheet.nrows):
            for column in range(sheet.row_len(row)):
                cell = sheet.cell(row, column)
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    lines.append("text\t%d\t%d\t%d\t%s" % (index, row, column, escape(cell.value)))
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    lines.append("number\t%d\t%d\t%d\t%r" % (index, row, column, cell.value))
        for column, info in sorted(sheet.colinfo_map.items()):
            lines.append("width\t%d\t%d\t%d\t%d" % (index, column, info.width, info.hidden))
        for row, info in sorted(sheet.rowinfo_map.items()):
            lines.append("height\t%d\t%d\t%d\t%d" % (index, row, info.height, info.hidden))
    return lines


def main():
    workbook, output = sys.argv[1], sys.argv[2]
    try:
        lines = describe(workbook)
    except Exception as problem:  # the test shows whatever the reader refused
        lines = ["error\t%s" % escape("%s: %s" % (type(problem).__name__, problem))]
    with open(output + ".part", "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")
    os.replace(output + ".part", output)


if __name__ == "__main__":
    main()
