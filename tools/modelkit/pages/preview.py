"""Draws ground-truth (or predicted) regions over pages for looking at them.

    /usr/bin/python3 -m pages.preview OUT.png --seeds 0 1 2 3
"""
import argparse

from PIL import Image, ImageDraw

from .page import LABELS, make_page

COLOURS = [(230, 25, 75), (60, 180, 75), (255, 150, 25), (0, 130, 200), (245, 130, 48), (145, 30, 180),
           (70, 200, 200), (240, 50, 230), (210, 160, 60), (0, 128, 128), (170, 110, 40), (128, 0, 0),
           (0, 0, 128), (128, 128, 0), (0, 200, 0), (100, 100, 255), (200, 0, 100)]


def draw_regions(image, regions, scale_x=1.0, scale_y=1.0):
    image = image.copy()
    d = ImageDraw.Draw(image)
    for r in regions:
        l, t, rr, b = r["box"]
        c = COLOURS[LABELS.index(r["label"])]
        d.rectangle([l * scale_x, t * scale_y, rr * scale_x, b * scale_y], outline=c, width=2)
        tag = r["label"] + (f" {r['score']:.2f}" if "score" in r else "")
        d.text((l * scale_x + 2, t * scale_y - 9), tag, fill=c)
    return image


def montage(images):
    w = sum(i.width for i in images)
    h = max(i.height for i in images)
    out = Image.new("RGB", (w, h), (128, 128, 128))
    x = 0
    for i in images:
        out.paste(i, (x, 0))
        x += i.width
    return out


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--seeds", type=int, nargs="+", default=[0, 1, 2, 3])
    a = p.parse_args()
    pages = []
    for s in a.seeds:
        image, truth = make_page(s)
        pages.append(draw_regions(image, truth["regions"]))
    montage(pages).save(a.out)


if __name__ == "__main__":
    main()
