"""Writes generated pages to a folder: <n>.png and <n>.json (ground truth, see page.py).

    /usr/bin/python3 -m pages.generate OUT --count 1000 [--start 0] [--workers 8] [--size 640]

--size 0 keeps the page at one pixel per point; otherwise the image is scaled to size x size
(as the engine feeds the layout model) and boxes stay in page points. Also prints the rate.
"""
import argparse
import json
import multiprocessing
import os
import time

from PIL import Image

from .page import make_page


def _one(args):
    out, seed, size = args
    image, truth = make_page(seed)
    if size:
        image = image.resize((size, size), Image.BILINEAR)
    image.save(os.path.join(out, f"{seed}.png"))
    with open(os.path.join(out, f"{seed}.json"), "w") as f:
        json.dump(truth, f)
    return len(truth["regions"])


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--count", type=int, default=100)
    p.add_argument("--start", type=int, default=0)
    p.add_argument("--workers", type=int, default=os.cpu_count())
    p.add_argument("--size", type=int, default=0)
    a = p.parse_args()
    os.makedirs(a.out, exist_ok=True)
    t = time.time()
    with multiprocessing.Pool(a.workers) as pool:
        n = sum(pool.imap_unordered(_one, [(a.out, s, a.size) for s in range(a.start, a.start + a.count)], 8))
    dt = time.time() - t
    print(f"{a.count} pages, {n} regions in {dt:.1f} s: {60 * a.count / dt:.0f} pages/minute")


if __name__ == "__main__":
    main()
