"""Prints a workbook's first sheet as JSON for the spreadsheet tests: its name, frozen cell,
column widths, document dates and every non-empty cell with its type, number format and weight.
Run with Debian's /usr/bin/python3, which has openpyxl."""
import json
import sys

import openpyxl


def cell_of(cell):
    value = cell.value
    kind = {"n": "number", "s": "text", "d": "date"}.get(cell.data_type, cell.data_type)
    if kind == "date":
        value = value.isoformat(sep=" ")
    return {"value": value, "type": kind, "format": cell.number_format, "bold": bool(cell.font.b)}


def main(path):
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    document = {
        "sheets": len(book.worksheets),
        "name": sheet.title,
        "frozen": sheet.freeze_panes,
        "created": book.properties.created.isoformat() if book.properties.created else None,
        "title": book.properties.title,
        "columns": {
            letter: {"width": dimension.width, "hidden": bool(dimension.hidden)}
            for letter, dimension in sheet.column_dimensions.items()
        },
        "rows": [
            {cell.column_letter: cell_of(cell) for cell in row if cell.value is not None}
            for row in sheet.iter_rows()
        ],
    }
    json.dump(document, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
