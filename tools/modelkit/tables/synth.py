"""Synthetic tables for the table-structure models.

A table is drawn the way the engine's table crop sees it: rendered at the scale of a
page 1024 pixels high (text about 9 to 20 pixels), cut out with a small, uneven margin
around the layout box and resampled to 448 x 448 with the engine's two-tap bilinear
filter at half-pixel centres (no antialiasing, aspect ratio not kept).

Each sample records the OTSL tokens of its grid and one box per cell (relative centre
x, centre y, width, height in the 448 crop; a spanning cell has the box of its whole
span). Two-way spans are written as a cell, "lcel" to its right and "ucel" in every
position of the rows below, which the engine reads back as one cell spanning both ways.
"""
import glob
import math
import random

import numpy as np
from PIL import Image, ImageDraw, ImageFont

CROP = 448
TOKENS = ["<pad>", "<unk>", "<start>", "<end>", "ecel", "fcel", "lcel", "ucel", "xcel", "nl", "ched", "rhed", "srow"]
TOKEN_ID = {t: i for i, t in enumerate(TOKENS)}
CELL_STARTS = {"fcel", "ecel", "ched", "rhed", "srow"}

_FONT_FILES = None
_FONT_CACHE = {}


def font_files():
    global _FONT_FILES
    if _FONT_FILES is None:
        files = []
        for pattern in ("liberation2/*.ttf", "dejavu/DejaVu*.ttf", "freefont/*.ttf", "crosextra/*.ttf",
                        "open-sans/*.ttf", "roboto/unhinted/RobotoTTF/*.ttf"):
            files += glob.glob("/usr/share/fonts/truetype/" + pattern)
        files = [f for f in files if "Math" not in f and "ExtraLight" not in f]
        regular = [f for f in files if "Bold" not in f]
        bold = [f for f in files if "Bold" in f]
        _FONT_FILES = (sorted(regular), sorted(bold) or sorted(regular))
    return _FONT_FILES


def font(path, size):
    key = (path, size)
    if key not in _FONT_CACHE:
        _FONT_CACHE[key] = ImageFont.truetype(path, size)
    return _FONT_CACHE[key]


WORDS = ("total revenue cost net income share year quarter region north south east west market price value "
         "rate growth number name date status item unit amount balance change average sample group control "
         "patient dose result score species weight height length age count mean median error level type class "
         "county district votes party member notes source period target actual budget tax fee loss profit "
         "assets equity debt cash flow sales orders stock").split()


def random_text(rng, kind):
    if kind == "number":
        v = rng.random() * 10 ** rng.randint(0, 6)
        style = rng.random()
        if style < 0.3:
            return f"{v:,.0f}"
        if style < 0.6:
            return f"{v:.{rng.randint(1, 3)}f}"
        if style < 0.75:
            return f"{rng.random() * 100:.1f}%"
        if style < 0.85:
            return f"({v:,.0f})"
        return f"${v:,.2f}"
    if kind == "date":
        return f"{rng.randint(1, 28):02d}/{rng.randint(1, 12):02d}/{rng.randint(1990, 2030)}"
    if kind == "code":
        return "".join(rng.choice("ABCDEFGHJKLMNPQRSTUVWXYZ0123456789") for _ in range(rng.randint(2, 7)))
    n = rng.choice([1, 1, 1, 2, 2, 3, 4])
    words = [rng.choice(WORDS) for _ in range(n)]
    text = " ".join(words)
    return text.capitalize() if rng.random() < 0.6 else text


class Grid:
    """A rows x cols grid of cells; each cell is an origin with spans or a covered position."""

    def __init__(self, rows, cols):
        self.rows, self.cols = rows, cols
        self.origin = [[None] * cols for _ in range(rows)]  # (r0, c0) of the covering cell
        self.cells = {}  # (r, c) -> dict(rs, cs, kind, text)

    def place(self, r, c, rs, cs, kind, text):
        for y in range(r, r + rs):
            for x in range(c, c + cs):
                self.origin[y][x] = (r, c)
        self.cells[(r, c)] = dict(rs=rs, cs=cs, kind=kind, text=text)

    def free(self, r, c, rs, cs):
        if r + rs > self.rows or c + cs > self.cols:
            return False
        return all(self.origin[y][x] is None for y in range(r, r + rs) for x in range(c, c + cs))

    def otsl(self):
        tokens = []
        for r in range(self.rows):
            for c in range(self.cols):
                r0, c0 = self.origin[r][c]
                if (r0, c0) == (r, c):
                    tokens.append(self.cells[(r, c)]["kind"])
                elif r0 == r:
                    tokens.append("lcel")
                else:
                    tokens.append("ucel")
            tokens.append("nl")
        return tokens


def make_grid(rng):
    rows = rng.randint(2, 16) if rng.random() < 0.85 else rng.randint(16, 28)
    cols = rng.randint(2, 8) if rng.random() < 0.85 else rng.randint(8, 12)
    g = Grid(rows, cols)
    header_rows = rng.choice([0, 1, 1, 1, 1, 2, 2]) if rows > 2 else rng.choice([0, 1])
    header_rows = min(header_rows, rows - 1)
    row_headers = rng.random() < 0.15
    empty_share = rng.choice([0.0, 0.0, 0.05, 0.1, 0.25])
    col_kind = [rng.choice(["text", "number", "number", "number", "date", "code"]) for _ in range(cols)]
    col_kind[0] = rng.choice(["text", "text", "text", "code", "date"])
    # Header spans: in a two-row header the upper row groups the columns.
    for r in range(header_rows):
        c = 0
        while c < cols:
            if not g.free(r, c, 1, 1):
                c += 1
                continue
            cs, rs = 1, 1
            if header_rows == 2 and r == 0 and c > 0 and rng.random() < 0.5:
                cs = min(cols - c, rng.randint(2, 4))
            elif header_rows == 2 and r == 0 and rng.random() < 0.4:
                rs = 2
            elif rng.random() < 0.08:
                cs = min(cols - c, 2)
            if not g.free(r, c, rs, cs):
                rs, cs = 1, 1
            text = random_text(rng, "text") if rng.random() > 0.05 else ""
            g.place(r, c, rs, cs, "ched" if text else "ecel", text)
            c += cs
    section_rows = set()
    if rows - header_rows > 4 and rng.random() < 0.12:
        section_rows = set(rng.sample(range(header_rows, rows - 1), rng.randint(1, 2)))
    for r in range(header_rows, rows):
        if r in section_rows and g.free(r, 0, 1, cols):
            g.place(r, 0, 1, cols, "srow", random_text(rng, "text"))
            continue
        for c in range(cols):
            if not g.free(r, c, 1, 1):
                continue
            rs, cs = 1, 1
            if c == 0 and rng.random() < 0.08:
                rs = rng.randint(2, 3)
            elif rng.random() < 0.03:
                cs = min(cols - c, 2)
            elif rng.random() < 0.01:
                rs, cs = 2, 2
            while (rs > 1 or cs > 1) and not g.free(r, c, rs, cs) or any(y in section_rows for y in range(r + 1, r + rs)):
                rs, cs = 1, 1
            if rng.random() < empty_share and c > 0:
                g.place(r, c, rs, cs, "ecel", "")
            else:
                kind = "rhed" if c == 0 and row_headers else "fcel"
                g.place(r, c, rs, cs, kind, random_text(rng, col_kind[c]))
    return g, header_rows, section_rows


def resample448(img):
    """The engine's bilinear resampling to 448 x 448: half-pixel centres, two taps, no antialiasing."""
    a = np.asarray(img, dtype=np.float32)
    h, w = a.shape[:2]

    def axis(n):
        c = (np.arange(CROP, dtype=np.float32) + 0.5) * np.float32(n / CROP) - 0.5
        i0 = np.floor(c).astype(np.int64)
        f = c - i0
        f[i0 < 0] = 0
        i0 = np.clip(i0, 0, n - 1)
        i1 = np.minimum(i0 + 1, n - 1)
        f[i0 + 1 >= n] = 0
        return i0, i1, f

    x0, x1, fx = axis(w)
    y0, y1, fy = axis(h)
    rows = a[:, x0] * (1 - fx)[None, :, None] + a[:, x1] * fx[None, :, None]
    out = rows[y0] * (1 - fy)[:, None, None] + rows[y1] * fy[:, None, None]
    return np.clip(np.rint(out), 0, 255).astype(np.uint8)


def render(rng, g, header_rows, section_rows):
    regular, bold = font_files()
    size = rng.randint(9, 20)
    fam = rng.choice(regular)
    f_body = font(fam, size)
    f_head = font(rng.choice(bold), size) if rng.random() < 0.7 else f_body
    pad_x = rng.randint(2, 4 + size // 2)
    pad_y = rng.randint(1, 3 + size // 3)
    line_h = size + 2 * pad_y + rng.randint(0, 3)
    # Column widths from the texts of single-column cells.
    col_w = [2 * pad_x + size for _ in range(g.cols)]
    for (r, c), cell in g.cells.items():
        if cell["cs"] == 1 and cell["text"]:
            fnt = f_head if cell["kind"] in ("ched", "rhed", "srow") else f_body
            col_w[c] = max(col_w[c], int(fnt.getlength(cell["text"])) + 2 * pad_x)
    if rng.random() < 0.3:
        col_w = [w + rng.randint(0, 3 * size) for w in col_w]
    xs = [0]
    for w in col_w:
        xs.append(xs[-1] + w)
    ys = [0]
    for _ in range(g.rows):
        ys.append(ys[-1] + line_h)
    tw, th = xs[-1], ys[-1]
    if tw > 1400 or th > 1000:
        return None

    ink = rng.randint(0, 70)
    ink_c = (ink, ink, ink) if rng.random() < 0.85 else tuple(rng.randint(0, 120) for _ in range(3))
    bg = 255 - rng.randint(0, 12)
    margin = [rng.randint(0, 14) for _ in range(4)]  # left, top, right, bottom
    W, H = tw + margin[0] + margin[2], th + margin[1] + margin[3]
    img = Image.new("RGB", (W, H), (bg, bg, bg))
    d = ImageDraw.Draw(img)
    ox, oy = margin[0], margin[1]

    style = rng.choice(["grid", "grid", "hlines", "booktabs", "none", "none", "shaded"])
    lw = rng.choice([1, 1, 1, 2])
    line_c = ink_c if rng.random() < 0.7 else tuple([rng.randint(90, 180)] * 3)
    head_fill = None
    if rng.random() < 0.35:
        head_fill = tuple(rng.randint(170, 240) for _ in range(3)) if rng.random() < 0.5 else \
            tuple([rng.randint(190, 235)] * 3)
    stripe = rng.random() < 0.25 or style == "shaded"
    stripe_c = tuple(rng.randint(225, 248) for _ in range(3))

    if head_fill and header_rows:
        d.rectangle([ox, oy, ox + tw - 1, oy + ys[header_rows] - 1], fill=head_fill)
    if stripe:
        for r in range(header_rows, g.rows):
            if (r - header_rows) % 2 == 1:
                d.rectangle([ox, oy + ys[r], ox + tw - 1, oy + ys[r + 1] - 1], fill=stripe_c)
    for r in section_rows:
        if rng.random() < 0.6:
            d.rectangle([ox, oy + ys[r], ox + tw - 1, oy + ys[r + 1] - 1], fill=tuple([rng.randint(200, 235)] * 3))

    def hline(y, x0=0, x1=None, width=lw):
        d.line([ox + x0, oy + y, ox + (tw if x1 is None else x1), oy + y], fill=line_c, width=width)

    def vline(x, y0, y1):
        d.line([ox + x, oy + y0, ox + x, oy + y1], fill=line_c, width=lw)

    if style == "grid":
        for (r, c), cell in g.cells.items():
            x0, x1 = xs[c], xs[c + cell["cs"]]
            y0, y1 = ys[r], ys[r + cell["rs"]]
            d.rectangle([ox + x0, oy + y0, ox + x1, oy + y1], outline=line_c, width=lw)
    elif style == "hlines":
        for r in range(g.rows + 1):
            hline(ys[r])
    elif style == "booktabs":
        hline(0, width=lw + 1)
        if header_rows:
            hline(ys[header_rows])
        hline(th, width=lw + 1)

    texts = []
    for (r, c), cell in g.cells.items():
        if not cell["text"]:
            continue
        fnt = f_head if cell["kind"] in ("ched", "rhed", "srow") else f_body
        x0, x1 = xs[c], xs[c + cell["cs"]]
        y0, y1 = ys[r], ys[r + cell["rs"]]
        tl = fnt.getlength(cell["text"])
        align = "center" if cell["kind"] == "ched" or cell["cs"] > 1 else \
            ("right" if any(ch.isdigit() for ch in cell["text"][:2]) and c > 0 else "left")
        if align == "center":
            tx = x0 + (x1 - x0 - tl) / 2
        elif align == "right":
            tx = x1 - pad_x - tl
        else:
            tx = x0 + pad_x
        ty = y0 + (y1 - y0 - size) / 2 - size * 0.1
        d.text((ox + tx, oy + ty), cell["text"], font=fnt, fill=ink_c)
        texts.append((cell["text"], ox + tx, oy + ty, ox + tx + tl, oy + ty + size * 1.15))

    # Boxes: the cell's grid area, slightly inset, relative to the whole crop.
    boxes = {}
    for (r, c), cell in g.cells.items():
        x0, x1 = ox + xs[c] + 1, ox + xs[c + cell["cs"]] - 1
        y0, y1 = oy + ys[r] + 1, oy + ys[r + cell["rs"]] - 1
        boxes[(r, c)] = ((x0 + x1) / 2 / W, (y0 + y1) / 2 / H, (x1 - x0) / W, (y1 - y0) / H)

    if rng.random() < 0.15:
        arr = np.asarray(img, dtype=np.int16)
        arr = arr + np.random.default_rng(rng.randint(0, 1 << 30)).integers(-12, 13, arr.shape, dtype=np.int16)
        img = Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8))
    return img, boxes, texts


def sample(seed):
    """One training sample: (448 x 448 x 3 uint8, token ids, per-position targets)."""
    rng = random.Random(seed)
    while True:
        g, header_rows, section_rows = make_grid(rng)
        drawn = render(rng, g, header_rows, section_rows)
        if drawn is not None:
            break
    img, boxes, texts = drawn
    image = resample448(img)
    return image, encode(g, boxes), (g, boxes, texts, img.size)


def encode(g, boxes):
    """Token ids with "<start>" and "<end>", and for every input position the box (or None)
    and cell class that the cell head learns from that position's hidden state."""
    tokens = g.otsl()
    seq = ["<start>"] + tokens + ["<end>"]
    ids = [TOKEN_ID[t] for t in seq]
    # Which cell origin each OTSL position belongs to.
    owners = []
    for r in range(g.rows):
        for c in range(g.cols):
            owners.append(g.origin[r][c])
        owners.append(None)
    box_t = np.zeros((len(seq), 4), np.float32)
    box_m = np.zeros(len(seq), np.float32)
    cls_t = np.zeros(len(seq), np.int64)
    for k, t in enumerate(tokens):
        p = k + 1  # position in seq
        nxt = seq[p + 1]
        span_end = t == "lcel" and nxt != "lcel"
        if t in CELL_STARTS or span_end:
            owner = owners[k]
            box_t[p] = boxes[owner]
            box_m[p] = 1
            cls_t[p] = 1 if g.cells[owner]["kind"] == "ecel" else 2
    return np.array(ids, np.int64), box_t, box_m, cls_t


def grid_positions(ids):
    """Row, column and columns-left index of every position of a token-id sequence, as the
    decoder step derives them. The columns-left index is 0 until the first "nl" has been read
    (the first row's width is unknown), then 1 + max(0, width - column)."""
    nl = TOKEN_ID["nl"]
    rows, cols, rems = [0], [0], [0]
    width = -1
    for p in range(1, len(ids)):
        prev = ids[p - 1]
        if p == 1:
            r, c = 0, 0
        elif prev == nl:
            r, c = rows[-1] + 1, 0
        else:
            r, c = rows[-1], cols[-1] + 1
        rows.append(r)
        cols.append(c)
        if ids[p] == nl and width < 0:
            width = c
        rems.append(0 if width < 0 else 1 + min(max(width - c, 0), 32))
    return np.array(rows, np.int64), np.array(cols, np.int64), np.array(rems, np.int64)
