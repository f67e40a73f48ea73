"""Training samples for the layout detector, generated on the fly.

A sample is a generated page (pages.make_page), degraded like a scan for a share of pages,
scaled to 640 x 640 as the engine feeds the model, with its targets on the model's grid:
  heat     [17, G, G]  elliptical Gaussian centre peaks per label (1 at the centre cell)
  pos      [N, 4] int  (label, y, x, object) of the cells that regress a box
  weight   [N]         the regression weight of each such cell
  boxes    [M, 4]      object boxes l, t, r, b in 0..1
Seeds below 1e9 are for training; held-out pages use seeds from 1e9 up (and browser-rendered
held-out pages are written to a folder of their own).
"""
import glob
import json
import math
import os
import random

import numpy as np
import torch
from PIL import Image

from pages import LABEL_INDEX, make_page
from pages.augment import degrade

from .model import GRID, INPUT, NUM_LABELS

HELD_OUT_SEED = 1_000_000_000
ALPHA = 0.54


def page_sample(seed, augment=True, rendered=None):
    """(uint8 array [640, 640, 3], labels [M], boxes [M, 4] in 0..1, truth). `rendered` is the
    path of a page written by pages.html (without extension) to use instead of a drawn page."""
    if rendered:
        image = Image.open(rendered + ".png").convert("RGB")
        with open(rendered + ".json") as f:
            truth = json.load(f)
    else:
        image, truth = make_page(seed)
    boxes = [r["box"] for r in truth["regions"]]
    if augment:
        image, boxes = degrade(random.Random(seed * 7 + 3), image, boxes)
    w, h = truth["width"], truth["height"]
    image = image.resize((INPUT, INPUT), Image.BILINEAR)
    labels = np.array([LABEL_INDEX[r["label"]] for r in truth["regions"]], dtype=np.int64)
    b = np.array(boxes, dtype=np.float32).reshape(-1, 4) / np.array([w, h, w, h], dtype=np.float32)
    return np.asarray(image), labels, b.clip(0, 1), truth


def targets(labels, boxes):
    heat = np.zeros((NUM_LABELS, GRID, GRID), dtype=np.float32)
    pos, weight = [], []
    owner = np.full((NUM_LABELS, GRID, GRID), -1, dtype=np.int64)
    wmap = np.zeros((NUM_LABELS, GRID, GRID), dtype=np.float32)
    areas = (boxes[:, 2] - boxes[:, 0]) * (boxes[:, 3] - boxes[:, 1])
    for k in np.argsort(-areas):  # smaller objects are drawn last and win shared cells
        c = labels[k]
        l, t, r, b = boxes[k] * GRID
        bw, bh = max(r - l, 1e-3), max(b - t, 1e-3)
        cx, cy = int(min(GRID - 1, (l + r) / 2)), int(min(GRID - 1, (t + b) / 2))
        sx, sy = max(ALPHA * bw / 6, 0.35), max(ALPHA * bh / 6, 0.35)
        rx, ry = int(math.ceil(3 * sx)), int(math.ceil(3 * sy))
        x0, x1 = max(0, cx - rx), min(GRID, cx + rx + 1)
        y0, y1 = max(0, cy - ry), min(GRID, cy + ry + 1)
        xs = np.arange(x0, x1) - cx
        ys = np.arange(y0, y1) - cy
        g = np.exp(-(xs[None, :] ** 2) / (2 * sx * sx) - (ys[:, None] ** 2) / (2 * sy * sy))
        heat[c, y0:y1, x0:x1] = np.maximum(heat[c, y0:y1, x0:x1], g)
        # Regression cells: inside the box and near the centre.
        gx0, gx1 = max(x0, int(l)), min(x1, int(math.ceil(r)))
        gy0, gy1 = max(y0, int(t)), min(y1, int(math.ceil(b)))
        if gx1 <= gx0 or gy1 <= gy0:
            gx0, gx1, gy0, gy1 = cx, cx + 1, cy, cy + 1
        sub = g[gy0 - y0:gy1 - y0, gx0 - x0:gx1 - x0]
        sub = np.where(sub > 0.05, sub, 0)
        if sub.sum() <= 0:
            sub = np.zeros_like(sub)
            sub[min(cy - gy0, sub.shape[0] - 1), min(cx - gx0, sub.shape[1] - 1)] = 1
        wv = sub / sub.sum() * math.log(max(bw * bh * 16, 2.0))
        region = wv > 0
        owner[c, gy0:gy1, gx0:gx1][region] = k
        wmap[c, gy0:gy1, gx0:gx1][region] = wv[region]
    cs, ys_, xs_ = np.nonzero(owner >= 0)
    pos = np.stack([cs, ys_, xs_, owner[cs, ys_, xs_]], axis=1) if len(cs) else np.zeros((0, 4), np.int64)
    weight = wmap[cs, ys_, xs_]
    return heat, pos, weight


def rendered_pages(folders):
    """The pages (paths without extension) of a folder or a list of folders written by pages.html."""
    folders = [folders] if isinstance(folders, str) else folders
    return sorted(p[:-len(".json")] for folder in folders for p in glob.glob(os.path.join(folder, "*.json")))


class PageStream(torch.utils.data.IterableDataset):
    """Drawn pages, mixed with a share of browser-rendered pages from `rendered_dir` (one folder
    or a list; read again every 200 samples, so that a generator still running there adds to the pool)."""

    def __init__(self, start_seed, augment=True, rendered_dir=None, rendered_share=0.0):
        self.start_seed = start_seed
        self.augment = augment
        self.rendered_dir = rendered_dir
        self.rendered_share = rendered_share

    def __iter__(self):
        info = torch.utils.data.get_worker_info()
        wid, nw = (info.id, info.num_workers) if info else (0, 1)
        seed = self.start_seed + wid
        rng = random.Random(seed)
        pool = []
        n = 0
        while True:
            if self.rendered_dir and n % 200 == 0:
                pool = rendered_pages(self.rendered_dir)
            n += 1
            rendered = rng.choice(pool) if pool and rng.random() < self.rendered_share else None
            image, labels, boxes, _ = page_sample(seed, self.augment, rendered)
            heat, pos, weight = targets(labels, boxes)
            yield (torch.from_numpy(image.copy()).permute(2, 0, 1), torch.from_numpy(heat), torch.from_numpy(pos),
                   torch.from_numpy(weight), torch.from_numpy(boxes))
            seed += nw


def collate(items):
    images = torch.stack([i[0] for i in items])
    heat = torch.stack([i[1] for i in items])
    pos, weight, boxes = [], [], []
    for b, (_, _, p, w, bx) in enumerate(items):
        pos.append(torch.cat([torch.full((len(p), 1), b, dtype=torch.int64), p], dim=1))
        weight.append(w)
        boxes.append(bx[p[:, 3]] if len(p) else torch.zeros((0, 4)))
    return images, heat, torch.cat(pos), torch.cat(weight), torch.cat(boxes)
