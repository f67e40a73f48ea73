"""Evaluates exported table models on held-out generated tables (seeds from 10,000,000).

    /usr/bin/python3 tools/modelkit/tables/evaluate.py --models Resources/Models [--tables 200] \\
        [--looks plain|new|mixed]

--looks chooses the held-out set (looks.sample): the plain generator's tables (the default),
the new looks alone, or the training mix.

Reports, over the tables, through the engine's decoding loop:
  rows, columns     share of tables with the right number of rows, of columns
  grid              share whose cell layout (cell starts, spans, row ends) is exact
  exact             share whose tokens are exact, cell kinds included
  cell IoU          mean IoU of each cell's box with its true grid box, on the exact grids
  ms per table      mean wall time of the encoder and the whole loop (TorchScript, 2 threads)
"""
import argparse
import os
import sys
import time

import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import export as E  # noqa: E402
import looks  # noqa: E402
import synth  # noqa: E402


def layout(tokens):
    """The tokens with every cell start alike: the grid without cell kinds."""
    return ["cell" if t in synth.CELL_STARTS else t for t in tokens]


def corner_iou(a, b):
    ix = max(0.0, min(a[2], b[2]) - max(a[0], b[0]))
    iy = max(0.0, min(a[3], b[3]) - max(a[1], b[1]))
    inter = ix * iy
    union = (a[2] - a[0]) * (a[3] - a[1]) + (b[2] - b[0]) * (b[3] - b[1]) - inter
    return inter / union if union > 0 else 0.0


def shape(tokens):
    rows = tokens.count("nl")
    cols = tokens.index("nl") if "nl" in tokens else len(tokens)
    return rows, cols


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--models", required=True)
    ap.add_argument("--tables", type=int, default=200)
    ap.add_argument("--looks", choices=["plain", "new", "mixed"], default="plain")
    args = ap.parse_args()
    torch.set_num_threads(2)
    encoder, step, head = E.load_packages(args.models)
    right_rows = right_cols = grids = exact = 0
    ious = []
    seconds = 0.0
    with torch.no_grad():
        for k in range(args.tables):
            image, _, (g, xs, ys, _, (w, h)) = looks.sample(10_000_000 + k, args.looks)
            x = torch.from_numpy(image).permute(2, 0, 1)[None].float()
            t0 = time.perf_counter()
            tokens, boxes, _ = E.greedy(encoder, step, head, x)
            seconds += time.perf_counter() - t0
            truth = g.otsl()
            pr, pc = shape(tokens)
            right_rows += pr == g.rows
            right_cols += pc == g.cols
            exact += tokens == truth
            if layout(tokens) == layout(truth):
                grids += 1
                for (r, c), box in zip(sorted(g.cells), boxes):
                    cell = g.cells[(r, c)]
                    true_box = [xs[c] / w, ys[r] / h, xs[c + cell["cs"]] / w, ys[r + cell["rs"]] / h]
                    ious.append(corner_iou(box, true_box))
    n = args.tables
    print(f"tables {n} ({args.looks} looks)")
    print(f"rows {right_rows / n:.3f}  columns {right_cols / n:.3f}")
    print(f"grid {grids / n:.3f}  exact {exact / n:.3f}")
    if ious:
        print(f"cell IoU {sum(ious) / len(ious):.3f}")
    print(f"ms per table {1000 * seconds / n:.1f}")


if __name__ == "__main__":
    main()
