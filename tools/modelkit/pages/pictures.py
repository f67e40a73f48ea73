"""Pictures for pages: charts (bar, line, scatter, pie), photo-like images, diagrams and logos.

Each function draws into a new RGB image of the given size and returns it; text inside a
picture (axis labels, legends, diagram boxes) is part of the picture.
"""
import math

from PIL import Image, ImageDraw, ImageFilter

from .fonts import font

PALETTES = [
    [(31, 119, 180), (255, 127, 14), (44, 160, 44), (214, 39, 40), (148, 103, 189), (140, 86, 75)],
    [(70, 70, 70), (130, 130, 130), (190, 190, 190), (30, 30, 30)],
    [(0, 63, 92), (88, 80, 141), (188, 80, 144), (255, 99, 97), (255, 166, 0)],
    [(27, 158, 119), (217, 95, 2), (117, 112, 179), (231, 41, 138)],
]


def _axes(rng, d, w, h, fam, src):
    size = max(6, min(w, h) / rng.uniform(14, 24))
    f = font(fam.face(), size)
    left, bottom = size * 3.2, h - size * 2.6
    top, right = size * (2 if rng.random() < 0.5 else 0.8), w - size * 0.8
    if rng.random() < 0.5:
        d.text((left, size * 0.1), src.title(2, 5), font=font(fam.face(bold=True), size), fill=(20, 20, 20))
    d.line([left, top, left, bottom], fill=(0, 0, 0), width=1)
    d.line([left, bottom, right, bottom], fill=(0, 0, 0), width=1)
    n = rng.randint(3, 6)
    for i in range(n + 1):
        y = bottom - (bottom - top) * i / n
        d.line([left - 3, y, left, y], fill=(0, 0, 0))
        d.text((left - 4, y), f"{i * rng.choice([1, 2, 5, 10, 20])}", font=f, fill=(0, 0, 0), anchor="rm")
        if rng.random() < 0.4:
            d.line([left, y, right, y], fill=(220, 220, 220))
    return left, top, right, bottom, f


def chart(rng, src, w, h, fam):
    img = Image.new("RGB", (w, h), (255, 255, 255) if rng.random() < 0.85 else (245, 245, 240))
    d = ImageDraw.Draw(img)
    left, top, right, bottom, f = _axes(rng, d, w, h, fam, src)
    pal = rng.choice(PALETTES)
    kind = rng.choice(["bar", "line", "scatter", "area"])
    series = rng.randint(1, 3)
    n = rng.randint(4, 14)
    for s in range(series):
        col = pal[s % len(pal)]
        vals = [rng.uniform(0.1, 1.0) for _ in range(n)]
        pts = [(left + (right - left) * (i + 0.5) / n, bottom - (bottom - top) * v) for i, v in enumerate(vals)]
        if kind == "bar":
            bw = (right - left) / n / (series + 0.5)
            for i, (x, y) in enumerate(pts):
                bx = left + (right - left) * i / n + bw * (s + 0.25)
                d.rectangle([bx, y, bx + bw * 0.9, bottom], fill=col)
        elif kind == "scatter":
            for _ in range(rng.randint(20, 80)):
                x, y = rng.uniform(left, right), rng.uniform(top, bottom)
                d.ellipse([x - 2, y - 2, x + 2, y + 2], fill=col)
        else:
            if kind == "area":
                d.polygon(pts + [(pts[-1][0], bottom), (pts[0][0], bottom)], fill=tuple(min(255, c + 80) for c in col))
            d.line(pts, fill=col, width=rng.randint(1, 3))
    for i in range(0, n, max(1, n // 6)):
        d.text((left + (right - left) * (i + 0.5) / n, bottom + 3), str(rng.randint(1990, 2030) if rng.random() < 0.5 else i),
               font=f, fill=(0, 0, 0), anchor="ma")
    if rng.random() < 0.6:
        lx, ly = right - f.size * 7, top + 2
        for s in range(series):
            d.rectangle([lx, ly + s * f.size * 1.3, lx + f.size, ly + s * f.size * 1.3 + f.size * 0.8], fill=pal[s % len(pal)])
            d.text((lx + f.size * 1.4, ly + s * f.size * 1.3), src.words(1), font=f, fill=(0, 0, 0))
    return img


def pie(rng, src, w, h, fam):
    img = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(img)
    r = min(w, h) * 0.38
    cx, cy = w * rng.uniform(0.35, 0.5), h / 2
    pal = rng.choice(PALETTES)
    a = 0
    f = font(fam.face(), max(6, r / 6))
    vals = [rng.uniform(1, 5) for _ in range(rng.randint(3, 6))]
    for i, v in enumerate(vals):
        b = a + 360 * v / sum(vals)
        d.pieslice([cx - r, cy - r, cx + r, cy + r], a, b, fill=pal[i % len(pal)], outline=(255, 255, 255))
        m = math.radians((a + b) / 2)
        d.text((cx + r * 1.1 * math.cos(m), cy + r * 1.1 * math.sin(m)), f"{100 * v / sum(vals):.0f}%", font=f,
               fill=(0, 0, 0), anchor="mm")
        a = b
    return img


def photo(rng, src, w, h, fam):
    import numpy as np
    gw, gh = max(2, w // 16), max(2, h // 16)
    base = np.array([rng.uniform(0, 255) for _ in range(3)])
    arr = np.random.default_rng(rng.randint(0, 2 ** 31)).normal(0, rng.uniform(20, 70), (gh, gw, 3)) + base
    img = Image.fromarray(arr.clip(0, 255).astype("uint8")).resize((w, h), Image.BICUBIC)
    d = ImageDraw.Draw(img)
    for _ in range(rng.randint(2, 10)):
        x, y = rng.uniform(0, w), rng.uniform(0, h)
        s = rng.uniform(0.05, 0.4) * min(w, h)
        col = tuple(rng.randint(0, 255) for _ in range(3))
        (d.ellipse if rng.random() < 0.5 else d.rectangle)([x - s, y - s, x + s, y + s * rng.uniform(0.5, 1.5)], fill=col)
    img = img.filter(ImageFilter.GaussianBlur(rng.uniform(0.5, 3)))
    if rng.random() < 0.3:
        img = img.convert("L").convert("RGB")
    return img


def diagram(rng, src, w, h, fam):
    img = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(img)
    n = rng.randint(2, 6)
    f = font(fam.face(), max(6, min(w, h) / rng.uniform(12, 20)))
    boxes = []
    pal = rng.choice(PALETTES)
    horizontal = w > h * 1.2
    for i in range(n):
        if horizontal:
            bx, by = w * (i + 0.15) / n, h * rng.uniform(0.2, 0.55)
            bw, bh = w / n * 0.7, h * 0.3
        else:
            bx, by = w * rng.uniform(0.1, 0.4), h * (i + 0.15) / n
            bw, bh = w * 0.5, h / n * 0.6
        fill = pal[i % len(pal)] if rng.random() < 0.5 else (255, 255, 255)
        d.rounded_rectangle([bx, by, bx + bw, by + bh], radius=min(bw, bh) * 0.2, outline=(0, 0, 0), fill=fill)
        d.text((bx + bw / 2, by + bh / 2), src.words(rng.randint(1, 2)), font=f,
               fill=(255, 255, 255) if sum(fill) < 400 else (0, 0, 0), anchor="mm")
        boxes.append((bx, by, bw, bh))
    for a, b in zip(boxes, boxes[1:]):
        if horizontal:
            p, q = (a[0] + a[2], a[1] + a[3] / 2), (b[0], b[1] + b[3] / 2)
        else:
            p, q = (a[0] + a[2] / 2, a[1] + a[3]), (b[0] + b[2] / 2, b[1])
        d.line([p, q], fill=(0, 0, 0), width=2)
        d.ellipse([q[0] - 3, q[1] - 3, q[0] + 3, q[1] + 3], fill=(0, 0, 0))
    return img


def logo(rng, src, w, h, fam):
    img = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(img)
    col = rng.choice(rng.choice(PALETTES))
    s = min(w, h)
    d.ellipse([0, 0, s - 1, s - 1], fill=col)
    d.text((s / 2, s / 2), src.word()[:2].upper(), font=font(fam.face(bold=True), s * 0.45), fill=(255, 255, 255), anchor="mm")
    if w > s * 1.5:
        d.text((s * 1.1, s / 2), src.title(1, 2), font=font(fam.face(bold=True), s * 0.4), fill=col, anchor="lm")
    return img


def random_picture(rng, src, w, h, fam):
    w, h = max(8, int(w)), max(8, int(h))
    kind = rng.choices([chart, pie, photo, diagram], weights=[4, 1, 3, 2])[0]
    return kind(rng, src, w, h, fam)
