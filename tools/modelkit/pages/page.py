"""One generated page: drawing surface, style, and the regions drawn so far.

`make_page(seed)` draws a whole page at one pixel per point (the engine renders pages the
same way) and returns (PIL RGB image, ground truth). Ground truth:
    {"width", "height", "regions": [{"label", "box": [l, t, r, b]}],
     "tables": [{"box", "otsl", "cells", "rows", "cols"}]}
Region labels are the names of the engine's DocLabel cases. Boxes are tightened to the
ink drawn inside them.
"""
import random

import numpy as np
from PIL import Image, ImageDraw

from . import blocks
from .fonts import families
from .text import TextSource

LABELS = ["caption", "footnote", "formula", "listItem", "pageFooter", "pageHeader", "picture", "sectionHeader",
          "table", "text", "title", "documentIndex", "code", "checkboxSelected", "checkboxUnselected", "form",
          "keyValueRegion"]
LABEL_INDEX = {name: i for i, name in enumerate(LABELS)}

PAGE_SIZES = [(612, 792), (595, 842), (612, 1008), (792, 612), (842, 595), (516, 729), (576, 720)]


class Page:
    def __init__(self, seed):
        self.rng = rng = random.Random(seed)
        self.src = TextSource(rng)
        w, h = rng.choices(PAGE_SIZES, weights=[10, 10, 1, 3, 3, 1, 1])[0]
        self.width, self.height = w, h
        r = rng.random()
        if r < 0.8:
            self.paper = (255, 255, 255)
        elif r < 0.95:
            self.paper = tuple(rng.randint(238, 255) for _ in range(3))
        else:
            self.paper = tuple(rng.randint(200, 240) for _ in range(3))
        self.image = Image.new("RGB", (w, h), self.paper)
        self.draw = ImageDraw.Draw(self.image)
        kind = rng.choice(["serif", "serif", "sans", "sans"])
        self.body = rng.choice(families(kind))
        self.heading = self.body if rng.random() < 0.5 else rng.choice(families(rng.choice(["serif", "sans"])))
        self.mono = rng.choice(families("mono"))
        self.size = rng.choice([8, 9, 9.5, 10, 10, 10.5, 11, 11, 12]) * rng.uniform(0.9, 1.1)
        self.leading = rng.uniform(1.1, 1.45)
        self.justify = rng.random() < 0.55
        self.accent = rng.choice([(0, 0, 0), (0, 0, 0), (20, 60, 140), (150, 20, 20), (0, 100, 80), (60, 60, 60)])
        self.regions = []
        self.tables = []
        self.counters = {"figure": rng.randint(1, 9), "table": rng.randint(1, 9), "eq": rng.randint(1, 20),
                         "section": rng.randint(1, 9), "footnote": rng.randint(1, 20)}

    def ink(self):
        return (0, 0, 0) if self.rng.random() < 0.85 else tuple(self.rng.randint(20, 80) for _ in range(3))

    def rule_colour(self):
        g = self.rng.choice([0, 0, 60, 120, 160])
        return (g, g, g) if self.rng.random() < 0.85 else self.accent

    def fill_colour(self, dark=False):
        rng = self.rng
        if dark:
            return rng.choice([(31, 73, 125), (60, 60, 60), (0, 102, 102), (128, 0, 0), (68, 84, 106)])
        base = rng.choice([(230, 230, 230), (242, 242, 242), (221, 235, 247), (226, 239, 218), (255, 242, 204),
                           (252, 228, 214), (217, 217, 217), (237, 237, 255)])
        return tuple(min(255, c + rng.randint(-8, 8)) for c in base)

    def tight(self, box):
        """The box shrunk to the pixels that differ from the paper inside it (unchanged when blank)."""
        l, t, r, b = (int(max(0, box[0])), int(max(0, box[1])), int(min(self.width, box[2] + 1)),
                      int(min(self.height, box[3] + 1)))
        if r <= l or b <= t:
            return None
        a = np.asarray(self.image.crop((l, t, r, b)), dtype=np.int16)
        ink = np.abs(a - np.array(self.paper, dtype=np.int16)).max(axis=2) > 40
        ys, xs = np.nonzero(ink)
        if len(xs) == 0:
            return None
        return [l + int(xs.min()), t + int(ys.min()), l + int(xs.max()) + 1, t + int(ys.max()) + 1]

    def add(self, label, box, tighten=True):
        if tighten:
            box = self.tight(box)
            if box is None:
                return None
        box = [float(v) for v in box]
        if box[2] - box[0] < 2 or box[3] - box[1] < 2:
            return None
        self.regions.append({"label": label, "box": box})
        return box

    def truth(self):
        return {"width": self.width, "height": self.height, "regions": self.regions, "tables": self.tables}


def make_page(seed):
    page = Page(seed)
    blocks.compose(page)
    return page.image, page.truth()
