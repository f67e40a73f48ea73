"""Evaluates an exported layout model on held-out generated pages, and draws its regions on
real pages.

    /usr/bin/python3 -m layout.evaluate --model ../../Resources/Models/LayoutDetector.mlpackage --pages 300
    /usr/bin/python3 -m layout.evaluate --model ... --rendered HELD_OUT_HTML_DIR --pages 100
    /usr/bin/python3 -m layout.evaluate --model ... --draw OUT_DIR page1.png page2.png ...
    /usr/bin/python3 -m layout.evaluate --model ... --real [--corpus DIR] [--draw OUT_DIR]

The first form prints AP at IoU 0.5 per label (all-point interpolation over the detections
the engine would decode, best score first), their mean over the labels present, and the
time per page. The --draw form writes each image with the detections scoring at least 0.3.
--real scores the tables found on real pages against hand-drawn boxes (real_tables.json:
pages of the PDFs in the corpus's tables folder, rendered at 72 dpi with pdftoppm) at the
engine's threshold; with --draw it also writes those pages with their detections.
The model is loaded as the engine does (frozen, optimised for inference).
"""
import argparse
import json
import os
import subprocess
import tempfile
import time

import numpy as np
import torch
from PIL import Image

from pages import LABELS
from pages.preview import draw_regions

from .data import HELD_OUT_SEED, page_sample, rendered_pages


def load(folder):
    m = torch.jit.load(os.path.join(folder, "model.pt")).eval()
    return torch.jit.optimize_for_inference(torch.jit.freeze(m))


def detect(model, image, min_score=0.01):
    """image: uint8 [640, 640, 3] -> list of (label index, score, [l, t, r, b] in 0..1), as the engine decodes."""
    x = torch.from_numpy(np.array(image)).permute(2, 0, 1).unsqueeze(0).float()
    with torch.no_grad():
        logits, boxes = model(x)
    logits, boxes = logits[0].numpy(), boxes[0].numpy()
    flat = logits.reshape(-1)
    order = np.argsort(-flat, kind="stable")[:logits.shape[0]]
    out = []
    for k in order:
        score = 1 / (1 + np.exp(-flat[k]))
        if score < min_score:
            break
        q, c = divmod(int(k), logits.shape[1])
        cx, cy, w, h = boxes[q]
        out.append((c, float(score), [cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2]))
    return out


def iou(a, b):
    ix = max(0.0, min(a[2], b[2]) - max(a[0], b[0]))
    iy = max(0.0, min(a[3], b[3]) - max(a[1], b[1]))
    inter = ix * iy
    return inter / ((a[2] - a[0]) * (a[3] - a[1]) + (b[2] - b[0]) * (b[3] - b[1]) - inter + 1e-9)


def share_inside(a, b):
    """The share of box a's area that lies inside box b."""
    ix = max(0.0, min(a[2], b[2]) - max(a[0], b[0]))
    iy = max(0.0, min(a[3], b[3]) - max(a[1], b[1]))
    return ix * iy / ((a[2] - a[0]) * (a[3] - a[1]) + 1e-9)


def average_precision(dets, n_true):
    if n_true == 0:
        return None
    if not dets:
        return 0.0
    dets.sort(key=lambda d: -d[0])
    tp = np.array([d[1] for d in dets], dtype=np.float64)
    ctp, cfp = np.cumsum(tp), np.cumsum(1 - tp)
    recall = ctp / n_true
    precision = ctp / np.maximum(ctp + cfp, 1e-9)
    mrec = np.concatenate([[0], recall, [1]])
    mpre = np.concatenate([[0], precision, [0]])
    for i in range(len(mpre) - 2, -1, -1):
        mpre[i] = max(mpre[i], mpre[i + 1])
    idx = np.nonzero(mrec[1:] != mrec[:-1])[0]
    return float(np.sum((mrec[idx + 1] - mrec[idx]) * mpre[idx + 1]))


def evaluate(model, pages, threshold=0.5, rendered=None):
    per_label = {c: [] for c in range(len(LABELS))}
    n_true = {c: 0 for c in range(len(LABELS))}
    times = []
    files = rendered_pages(rendered)[:pages] if rendered else [None] * pages
    for i, file in enumerate(files):
        image, labels, boxes, _ = page_sample(HELD_OUT_SEED + i, rendered=file)
        t = time.time()
        dets = detect(model, image)
        times.append(time.time() - t)
        for c in range(len(LABELS)):
            truth = [b for l, b in zip(labels, boxes) if l == c]
            n_true[c] += len(truth)
            used = [False] * len(truth)
            for dc, score, box in dets:
                if dc != c:
                    continue
                best, bi = threshold, -1
                for j, tb in enumerate(truth):
                    v = iou(box, tb)
                    if not used[j] and v >= best:
                        best, bi = v, j
                if bi >= 0:
                    used[bi] = True
                per_label[c].append((score, 1 if bi >= 0 else 0))
    rows = []
    aps = []
    for c, name in enumerate(LABELS):
        ap = average_precision(per_label[c], n_true[c])
        tp = sum(1 for s, h in per_label[c] if s >= 0.5 and h)
        fp = sum(1 for s, h in per_label[c] if s >= 0.5 and not h)
        p = tp / max(tp + fp, 1)
        r = tp / max(n_true[c], 1)
        if ap is not None:
            aps.append(ap)
        rows.append((name, n_true[c], ap, p, r))
    return rows, float(np.mean(aps)) if aps else 0.0, float(np.median(times)), per_label, n_true


# The engine keeps a detection when its score reaches this threshold (layout post-processing).
ENGINE_THRESHOLDS = {name: 0.5 for name in ["caption", "footnote", "formula", "listItem", "pageFooter", "pageHeader",
                                            "picture", "table", "text"]}


def calibration(per_label, n_true):
    """Per-label logit offset that moves the score of best F1 onto the engine's threshold (0 to 3)."""
    offsets = {}
    for c, name in enumerate(LABELS):
        dets = sorted(per_label[c], key=lambda d: -d[0])
        if not dets or n_true[c] == 0:
            continue
        tp = np.cumsum([h for _, h in dets])
        k = np.arange(1, len(dets) + 1)
        f1 = 2 * tp / (k + n_true[c])
        best = dets[int(np.argmax(f1))][0]
        target = ENGINE_THRESHOLDS.get(name, 0.45)
        logit = lambda p: float(np.log(p / (1 - p)))  # noqa: E731
        offsets[name] = round(min(3.0, max(0.0, logit(target) - logit(min(max(best, 1e-4), 1 - 1e-4)))), 3)
    return offsets


REAL_TABLES = os.path.join(os.path.dirname(__file__), "real_tables.json")


def real_pages(corpus, truth_file, folder):
    """Renders the pages named in truth_file at 72 dpi into folder: (name, PIL image, table boxes in 0..1)."""
    with open(truth_file) as f:
        truth = json.load(f)
    for pdf, pages in truth.items():
        for page, entry in pages.items():
            stem = os.path.join(folder, f"{pdf}-{page}")
            subprocess.run(["pdftoppm", "-r", "72", "-f", page, "-l", page, "-singlefile", "-png",
                            os.path.join(corpus, pdf + ".pdf"), stem], check=True)
            image = Image.open(stem + ".png").convert("RGB")
            w, h = entry["size"]
            yield f"{pdf}-{page}", image, [[l / w, t / h, r / w, b / h] for l, t, r, b in entry["tables"]]


def real_table_scores(model, corpus, truth_file=REAL_TABLES, threshold=0.5, draw=None):
    """Table precision, recall and IoU on real pages. Detections at the threshold are matched
    to the hand-drawn boxes best IoU first (IoU >= 0.5 is a hit); a table split into several
    detections counts one hit at most and the other parts as false positives."""
    table = LABELS.index("table")
    n_true = n_det = hits = pages = pages_found = split = 0
    hit_iou, best_iou = [], []
    with tempfile.TemporaryDirectory() as tmp:
        for name, page, truth in real_pages(corpus, truth_file, tmp):
            dets = detect(model, np.asarray(page.resize((640, 640), Image.BILINEAR)), 0.3)
            if draw:
                os.makedirs(draw, exist_ok=True)
                regions = [{"label": LABELS[c], "score": sc, "box": [b[0] * page.width, b[1] * page.height,
                                                                      b[2] * page.width, b[3] * page.height]}
                           for c, sc, b in dets]
                draw_regions(page, regions).save(os.path.join(draw, name + ".png"))
            found = [b for c, sc, b in dets if c == table and sc >= threshold]
            n_true += len(truth)
            n_det += len(found)
            pages += 1 if truth else 0
            pages_found += 1 if truth and found else 0
            pairs = sorted(((iou(d, t), i, j) for i, d in enumerate(found) for j, t in enumerate(truth)), reverse=True)
            used_d, used_t = set(), set()
            for v, i, j in pairs:
                if v >= 0.5 and i not in used_d and j not in used_t:
                    used_d.add(i)
                    used_t.add(j)
                    hit_iou.append(v)
            hits += len(used_t)
            for t in truth:
                best_iou.append(max([iou(d, t) for d in found], default=0.0))
                parts = [d for d in found if share_inside(d, t) > 0.5]
                split += 1 if len(parts) > 1 else 0
            print(f"{name:60s} tables {len(truth)} found {len(found)} best IoU "
                  + " ".join(f"{max([iou(d, t) for d in found], default=0.0):.2f}" for t in truth))
    return {"tables": n_true, "detections": n_det, "hits": hits, "precision": hits / max(n_det, 1),
            "recall": hits / max(n_true, 1), "hit_iou": float(np.mean(hit_iou)) if hit_iou else 0.0,
            "best_iou": float(np.mean(best_iou)) if best_iou else 0.0, "pages": pages, "pages_found": pages_found,
            "split": split}


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--model", required=True)
    p.add_argument("--pages", type=int, default=300)
    p.add_argument("--threads", type=int, default=8)
    p.add_argument("--rendered", help="evaluate on the browser-rendered pages of this folder instead")
    p.add_argument("--calibrate", help="write per-label logit offsets for layout.export --calibration here")
    p.add_argument("--draw", nargs="+")
    p.add_argument("--real", nargs="?", const=REAL_TABLES, help="score tables on real pages (hand-drawn boxes)")
    p.add_argument("--corpus", default="/work/shared/corpus/tables")
    a = p.parse_args()
    torch.set_num_threads(a.threads)
    model = load(a.model)
    if a.real:
        r = real_table_scores(model, a.corpus, a.real, draw=a.draw[0] if a.draw else None)
        print(f"real pages: {r['tables']} tables, {r['detections']} detections at 0.5, {r['hits']} hits: precision "
              f"{r['precision']:.2f} recall {r['recall']:.2f}, IoU of hits {r['hit_iou']:.2f}, best IoU per table "
              f"{r['best_iou']:.2f}; a table found on {r['pages_found']} of {r['pages']} pages with tables; "
              f"{r['split']} tables split into several detections")
        return
    if a.draw:
        out, files = a.draw[0], a.draw[1:]
        os.makedirs(out, exist_ok=True)
        for f in files:
            page = Image.open(f).convert("RGB")
            image = np.asarray(page.resize((640, 640), Image.BILINEAR))
            regions = [{"label": LABELS[c], "score": s, "box": [b[0] * page.width, b[1] * page.height,
                                                                 b[2] * page.width, b[3] * page.height]}
                       for c, s, b in detect(model, image, 0.3)]
            draw_regions(page, regions).save(os.path.join(out, os.path.basename(f)))
            print(f, ", ".join(f"{r['label']} {r['score']:.2f}" for r in regions if r["label"] == "table"))
        return
    rows, mean_ap, t, per_label, n_true = evaluate(model, a.pages, rendered=a.rendered)
    if a.calibrate:
        with open(a.calibrate, "w") as f:
            json.dump(calibration(per_label, n_true), f, indent=1)
    print(f"{'label':20s} {'count':>6s} {'AP@0.5':>7s} {'P@0.5':>6s} {'R@0.5':>6s}")
    for name, n, ap, prec, rec in rows:
        print(f"{name:20s} {n:6d} {'-' if ap is None else f'{ap:.3f}':>7s} {prec:6.3f} {rec:6.3f}")
    print(f"mAP@0.5 {mean_ap:.3f} over {a.pages} held-out {'rendered' if a.rendered else 'drawn'} pages; median {1000 * t:.0f} ms per page "
          f"({a.threads} threads)")


if __name__ == "__main__":
    main()
