"""Share of the corpus's expected CSV cells that a conversion puts in the right row and column.

    tools/document-convert --format csv --out OUT /path/to/corpus/tables/<name>.pdf ...
    /usr/bin/python3 -m layout.csv_cells OUT [--corpus /work/shared/corpus/tables]

For each expected CSV (csv/<name>.csv) whose PDF exists, the output tables OUT/<name>-table-*.csv
are compared cell by cell (texts without whitespace) under shifts of up to three rows and two
columns. "best" counts the cells of the best single table and shift; "any" counts a cell when
some table and shift has it.
"""
import argparse
import csv
import glob
import os
import re

SHIFTS = [(dr, dc) for dr in range(-3, 4) for dc in range(-2, 3)]


def read(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        return [[re.sub(r"\s+", "", c) for c in row] for row in csv.reader(f)]


def holds(table, r, c, text):
    return 0 <= r < len(table) and 0 <= c < len(table[r]) and table[r][c] == text


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--corpus", default="/work/shared/corpus/tables")
    a = p.parse_args()
    total = best_total = any_total = 0
    for expected in sorted(glob.glob(os.path.join(a.corpus, "csv", "*.csv"))):
        name = os.path.basename(expected)[:-len(".csv")]
        if not os.path.exists(os.path.join(a.corpus, name + ".pdf")):
            continue
        cells = [(r, c, v) for r, row in enumerate(read(expected)) for c, v in enumerate(row) if v]
        tables = [read(t) for t in glob.glob(os.path.join(a.out, name + "-table-*.csv"))]
        best = max([sum(holds(t, r + dr, c + dc, v) for r, c, v in cells) for t in tables for dr, dc in SHIFTS],
                   default=0)
        found = sum(any(holds(t, r + dr, c + dc, v) for t in tables for dr, dc in SHIFTS) for r, c, v in cells)
        print(f"{name[:44]:44s} {len(cells):5d} cells, {len(tables)} tables, best {best:5d}, any {found:5d}")
        total, best_total, any_total = total + len(cells), best_total + best, any_total + found
    print(f"expected cells {total}: best table {best_total} ({best_total / max(total, 1):.2f}), "
          f"any table {any_total} ({any_total / max(total, 1):.2f})")


if __name__ == "__main__":
    main()
