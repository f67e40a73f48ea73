"""A scan set made from real corpus pages, for scoring recognition against the page's own text layer.

    /usr/bin/python3 -m corpus.scans OUT [--corpus /work/shared/corpus] [--dpi 200]

Each page in PAGES is rendered with pdftoppm and written in four looks:
    <page>-clean.png     the plain render
    <page>-straight.png  scanner noise and a little blur, not turned (the reference for plain tesseract)
    <page>-skew.png      the same noise, turned by 1 to 2 degrees either way
    <page>-photo.jpg     a phone photo: low contrast, uneven light, grey, blur, JPEG, turned under a degree
and OUT/pages.json records each page's source, page number, angle and text-layer words
(pdftotext of the page). The looks are seeded per page, so a rerun writes the same images.
"""
import argparse
import json
import math
import os
import random
import subprocess
import tempfile

import numpy as np
from PIL import Image, ImageFilter

# (path under the corpus, 1-based page): prose in one and two columns, and table pages.
PAGES = [
    ("sample-files/001-trivial/minimal-document.pdf", 1),
    ("sample-files/002-trivial-libre-office-writer/002-trivial-libre-office-writer.pdf", 1),
    ("sample-files/004-pdflatex-4-pages/pdflatex-4-pages.pdf", 1),
    ("sample-files/004-pdflatex-4-pages/pdflatex-4-pages.pdf", 2),
    ("sample-files/011-google-doc-document/google-doc-document.pdf", 1),
    ("sample-files/021-pdfa/crazyones-pdfa.pdf", 1),
    ("sample-files/026-latex-multicolumn/multicolumn.pdf", 1),
    ("tables/S2MNCEbirdisland.pdf", 1),
    ("tables/us-017.pdf", 1),
    ("tables/eu-002.pdf", 1),
    ("tables/spanning_cells.pdf", 1),
    ("tables/labor.pdf", 1),
]


def render(pdf, page, dpi):
    with tempfile.TemporaryDirectory() as tmp:
        stem = os.path.join(tmp, "p")
        subprocess.run(["pdftoppm", "-r", str(dpi), "-f", str(page), "-l", str(page), "-singlefile", "-png",
                        pdf, stem], check=True)
        return Image.open(stem + ".png").convert("RGB")


def text_layer(pdf, page):
    out = subprocess.run(["pdftotext", "-f", str(page), "-l", str(page), pdf, "-"], check=True,
                         capture_output=True, text=True).stdout
    return out


def turned(image, angle):
    return image.rotate(angle, resample=Image.BILINEAR, fillcolor=(255, 255, 255))


def scanner_noise(rng, image):
    arr = np.asarray(image.filter(ImageFilter.GaussianBlur(rng.uniform(0.4, 0.8))), dtype=np.float32)
    noise = np.random.default_rng(rng.randint(0, 2 ** 31)).normal(0, rng.uniform(10, 16), arr.shape[:2])
    return Image.fromarray((arr + noise[..., None]).clip(0, 255).astype(np.uint8))


def photo(rng, image):
    """Low contrast, light falling off from one corner, a grey cast, blur and JPEG."""
    grey = np.asarray(image.convert("L").filter(ImageFilter.GaussianBlur(rng.uniform(0.8, 1.2))),
                      dtype=np.float32)
    h, w = grey.shape
    lo, hi = rng.uniform(60, 85), rng.uniform(185, 210)
    arr = lo + grey * (hi - lo) / 255.0
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    cx, cy = rng.choice([0, w]), rng.choice([0, h])
    distance = np.sqrt((xx - cx) ** 2 + (yy - cy) ** 2) / math.hypot(w, h)
    arr = arr * (1.0 - rng.uniform(0.3, 0.4) * distance)
    noise = np.random.default_rng(rng.randint(0, 2 ** 31)).normal(0, 4, arr.shape)
    tint = np.array([1.0, 0.97, 0.9], dtype=np.float32)
    rgb = (arr + noise)[..., None] * tint
    return Image.fromarray(rgb.clip(0, 255).astype(np.uint8))


def name_of(source, page):
    return f"{os.path.splitext(os.path.basename(source))[0][:24]}-p{page}"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--corpus", default="/work/shared/corpus")
    p.add_argument("--dpi", type=int, default=200)
    a = p.parse_args()
    os.makedirs(a.out, exist_ok=True)
    records = []
    for index, (source, page) in enumerate(PAGES):
        pdf = os.path.join(a.corpus, source)
        rng = random.Random(1000 + index)
        name = name_of(source, page)
        clean = render(pdf, page, a.dpi)
        noisy = scanner_noise(rng, clean)
        angle = rng.choice([-1, 1]) * rng.uniform(1.0, 2.0)
        photo_angle = rng.uniform(-0.8, 0.8)
        dpi = (a.dpi, a.dpi)
        clean.save(os.path.join(a.out, name + "-clean.png"), dpi=dpi)
        noisy.save(os.path.join(a.out, name + "-straight.png"), dpi=dpi)
        turned(noisy, angle).save(os.path.join(a.out, name + "-skew.png"), dpi=dpi)
        photo(rng, turned(clean, photo_angle)).save(os.path.join(a.out, name + "-photo.jpg"), dpi=dpi,
                                                    quality=rng.randint(55, 75))
        records.append({"name": name, "source": source, "page": page, "angle": round(angle, 2),
                        "photo_angle": round(photo_angle, 2), "text": text_layer(pdf, page)})
        print(f"{name:32s} skew {angle:+.2f} photo {photo_angle:+.2f}", flush=True)
    with open(os.path.join(a.out, "pages.json"), "w", encoding="utf-8") as f:
        json.dump(records, f, indent=1, ensure_ascii=False)


if __name__ == "__main__":
    main()
