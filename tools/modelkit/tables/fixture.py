"""Writes the end-to-end fixture of the shipped table models: a US-letter page rendered at
2 pixels per point holding one generated table, and a JSON file with the page size, the
table box and the text cells in points, and the expected grid.

    /usr/bin/python3 tools/modelkit/tables/fixture.py --out tests/fixtures/tables
"""
import argparse
import json
import os
import random
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import synth  # noqa: E402

PAGE_W, PAGE_H, SCALE = 612, 792, 2.0


def plain_table(seed):
    """A generated table with a header row, no spans and no empty cells."""
    rng = random.Random(seed)
    g = synth.Grid(rng.randint(4, 6), rng.randint(3, 4))
    for r in range(g.rows):
        for c in range(g.cols):
            kind = "ched" if r == 0 else "fcel"
            g.place(r, c, 1, 1, kind, synth.random_text(rng, "text" if r == 0 or c == 0 else "number"))
    return rng, g


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--seed", type=int, default=20_000_000)
    args = ap.parse_args()
    rng, g = plain_table(args.seed)
    img, _, _, blocks = synth.render(rng, g, 1, set())
    # The table is drawn at the scale of a 1024-pixel page; the page render is 1584 pixels high.
    k = PAGE_H * SCALE / 1024
    big = img.resize((round(img.width * k), round(img.height * k)), Image.LANCZOS)
    page = Image.new("RGB", (int(PAGE_W * SCALE), int(PAGE_H * SCALE)), (255, 255, 255))
    ox, oy = 150, 300
    page.paste(big, (ox, oy))
    to_pt = lambda v, o: (v * k + o) / SCALE  # noqa: E731
    cells = []
    for (r, c), (x0, y0, x1, y1) in sorted(blocks.items()):
        cells.append({"text": g.cells[(r, c)]["text"], "l": to_pt(x0, ox), "t": to_pt(y0, oy), "r": to_pt(x1, ox), "b": to_pt(y1, oy)})
    expected = [{"row": r, "col": c, "text": g.cells[(r, c)]["text"]} for (r, c) in sorted(g.cells)]
    os.makedirs(args.out, exist_ok=True)
    page.save(os.path.join(args.out, "synthetic-table.png"), optimize=True)
    with open(os.path.join(args.out, "synthetic-table.json"), "w") as f:
        json.dump({"pageWidth": PAGE_W, "pageHeight": PAGE_H, "renderScale": SCALE,
                   "table": {"l": ox / SCALE, "t": oy / SCALE, "r": (ox + big.width) / SCALE,
                             "b": (oy + big.height) / SCALE},
                   "rows": g.rows, "cols": g.cols, "textCells": cells, "expected": expected}, f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
