"""Synthetic tables for the table-structure models.

A table is drawn the way the engine's table crop sees it: rendered at the scale of a
page 1024 pixels high (text about 9 to 20 pixels), cut out with a small, uneven margin
around the layout box and resampled to 448 x 448 with the engine's two-tap bilinear
filter at half-pixel centres (no antialiasing, aspect ratio not kept).

Each sample records its grid (cells with spans and kinds), the grid lines and the text
block of every cell; `targets` turns these into what the grid model learns.
"""
import glob
import io
import math
import random

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

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
    n = rng.choice([1, 1, 1, 2, 2, 3, 4, 6, 9])
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
    u = rng.random()
    rows = rng.randint(2, 16) if u < 0.7 else rng.randint(16, 30) if u < 0.85 else rng.randint(30, 60)
    cols = rng.randint(2, 8) if rng.random() < 0.85 else rng.randint(8, 12)
    g = Grid(rows, cols)
    header_rows = rng.choice([0, 1, 1, 1, 1, 2, 2]) if rows > 2 else rng.choice([0, 1])
    header_rows = min(header_rows, rows - 1)
    row_headers = rng.random() < 0.15
    empty_share = rng.choice([0.0, 0.0, 0.05, 0.1, 0.25])
    col_kind = [rng.choice(["text", "number", "number", "number", "date", "code"]) for _ in range(cols)]
    col_kind[0] = rng.choice(["text", "text", "text", "code", "date"])
    # A title line over the whole width, above the header.
    if rows > 3 and rng.random() < 0.1:
        g.place(0, 0, 1, cols, "ched" if header_rows else "fcel", random_text(rng, "text") + " " + random_text(rng, "text"))
        header_rows = min(header_rows + 1, rows - 1) if header_rows else 0
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


def wrap(text, fnt, width):
    """Greedy line breaking of a cell text at word spaces within a width in pixels."""
    lines, line = [], ""
    for word in text.split(" "):
        trial = word if not line else line + " " + word
        if line and fnt.getlength(trial) > width:
            lines.append(line)
            line = word
        else:
            line = trial
    return lines + [line]


def render(rng, g, header_rows, section_rows, look=None):
    """Draws the table; returns the image, the grid lines (xs, ys) and the text block of
    every cell with text, (r, c) -> (x0, y0, x1, y1), all in the image's pixels. `look`
    (see looks.py) draws it the way of real failures; without one the plain looks."""
    if look is None:
        regular, bold = font_files()
        dense = g.rows > 30  # long lists: small type and tight rows
        size = rng.randint(8, 11) if dense else rng.randint(9, 20)
        fam = rng.choice(regular)
        f_body = font(fam, size)
        f_head = font(rng.choice(bold), size) if rng.random() < 0.7 else f_body
        pad_x = rng.randint(2, 4 + size // 2)
        pad_y = rng.randint(1, 3) if dense else rng.randint(1, 3 + size // 3)
        leading = size + rng.randint(1, 1 + size // 4)
        # Some tables break long texts into lines within a narrow column.
        wrap_w = rng.randint(5, 12) * size if rng.random() < 0.35 else None
    else:
        size, f_body, f_head, pad_x, pad_y, leading, wrap_w = look.type(rng, g)

    def fnt_of(cell):
        return f_head if cell["kind"] in ("ched", "rhed", "srow") else f_body

    lines = {}
    for key, cell in g.cells.items():
        text = cell["text"]
        if look and look.header_wrap and key[0] < header_rows:
            lines[key] = [text] if text else []  # wrapped below, to the width of the column's body
        elif wrap_w and cell["cs"] == 1 and text and cell["kind"] != "srow":
            lines[key] = wrap(text, fnt_of(cell), wrap_w)
        else:
            lines[key] = [text] if text else []
    col_w = [2 * pad_x + size for _ in range(g.cols)]
    if look and look.header_wrap:
        for (r, c), cell in g.cells.items():
            if cell["cs"] == 1 and r >= header_rows:
                for line in lines[(r, c)]:
                    col_w[c] = max(col_w[c], int(fnt_of(cell).getlength(line)) + 2 * pad_x)
        for (r, c), cell in g.cells.items():
            if r < header_rows and cell["cs"] == 1 and cell["text"]:
                lines[(r, c)] = wrap(cell["text"], fnt_of(cell), max(col_w[c] - 2 * pad_x, 3 * size))
    for (r, c), cell in g.cells.items():
        if cell["cs"] == 1:
            for line in lines[(r, c)]:
                col_w[c] = max(col_w[c], int(fnt_of(cell).getlength(line)) + 2 * pad_x)
    if rng.random() < (0.3 if look is None else look.widen):
        col_w = [w + rng.randint(0, 3 * size) for w in col_w]
    row_lines = [1] * g.rows
    for (r, c), cell in g.cells.items():
        if cell["rs"] == 1:
            row_lines[r] = max(row_lines[r], len(lines[(r, c)]))
    extra = rng.randint(0, 3) if look is None or not look.tight else 0
    xs = [0]
    for w in col_w:
        xs.append(xs[-1] + w)
    ys = [0]
    for r in range(g.rows):
        ys.append(ys[-1] + 2 * pad_y + extra + size + (row_lines[r] - 1) * leading)
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

    style = rng.choice(["grid", "grid", "hlines", "booktabs", "none", "none", "shaded"]) if look is None else look.rules
    lw = rng.choice([1, 1, 1, 2])
    line_c = ink_c if rng.random() < 0.7 else tuple([rng.randint(90, 180)] * 3)
    head_fill = None
    if rng.random() < 0.35:
        head_fill = tuple(rng.randint(170, 240) for _ in range(3)) if rng.random() < 0.5 else \
            tuple([rng.randint(190, 235)] * 3)
    stripe = rng.random() < 0.25 or style == "shaded"
    stripe_c = tuple(rng.randint(225, 248) for _ in range(3))
    top_align = rng.random() < 0.5
    head_ink = ink_c
    if look:
        top_align = top_align or look.tight
        stripe = stripe and look.fill is None and not look.dark
        if look.fill is not None:
            d.rectangle([ox, oy, ox + tw - 1, oy + th - 1], fill=(look.fill,) * 3)
        if look.dark:
            # Dark header cells with light text, in grey or a dark colour.
            v = rng.randint(20, 110)
            head_fill = (v, v, v) if rng.random() < 0.5 else tuple(rng.randint(10, 120) for _ in range(3))
            head_ink = tuple([rng.randint(225, 255)] * 3)

    if head_fill and header_rows:
        d.rectangle([ox, oy, ox + tw - 1, oy + ys[header_rows] - 1], fill=head_fill)
    if stripe:
        for r in range(header_rows, g.rows):
            if (r - header_rows) % 2 == 1:
                d.rectangle([ox, oy + ys[r], ox + tw - 1, oy + ys[r + 1] - 1], fill=stripe_c)
    for r in section_rows:
        if rng.random() < 0.6:
            d.rectangle([ox, oy + ys[r], ox + tw - 1, oy + ys[r + 1] - 1], fill=tuple([rng.randint(200, 235)] * 3))

    def segment(p0, p1, width=lw):
        if look is None or look.dash is None:
            d.line([p0, p1], fill=line_c, width=width)
            return
        dash, gap = look.dash
        length = max(abs(p1[0] - p0[0]), abs(p1[1] - p0[1]))
        t = 0
        while t < length:
            e = min(t + dash, length)
            d.line([(p0[0] + (p1[0] - p0[0]) * t / length, p0[1] + (p1[1] - p0[1]) * t / length),
                    (p0[0] + (p1[0] - p0[0]) * e / length, p0[1] + (p1[1] - p0[1]) * e / length)],
                   fill=line_c, width=width)
            t += dash + gap

    def hline(y, x0=0, x1=None, width=lw):
        segment((ox + x0, oy + y), (ox + (tw if x1 is None else x1), oy + y), width)

    def vline(x, y0=0, y1=None):
        segment((ox + x, oy + y0), (ox + x, oy + (th if y1 is None else y1)))

    if style == "grid":
        for (r, c), cell in g.cells.items():
            x0, x1 = xs[c], xs[c + cell["cs"]]
            y0, y1 = ys[r], ys[r + cell["rs"]]
            if look is None:
                d.rectangle([ox + x0, oy + y0, ox + x1, oy + y1], outline=line_c, width=lw)
            else:
                hline(y0, x0, x1)
                hline(y1, x0, x1)
                vline(x0, y0, y1)
                vline(x1, y0, y1)
    elif style == "hlines":
        for r in range(g.rows + 1):
            hline(ys[r])
    elif style == "booktabs":
        hline(0, width=lw + 1)
        if header_rows:
            hline(ys[header_rows])
        hline(th, width=lw + 1)
    elif style == "columns":
        # A frame, a rule under the header and one between columns.
        hline(0)
        hline(th)
        if header_rows:
            hline(ys[header_rows])
        for x in xs:
            vline(x)

    blocks = {}
    for (r, c), cell in g.cells.items():
        cell_lines = lines[(r, c)]
        if not cell_lines:
            continue
        fnt = fnt_of(cell)
        fill = head_ink if r < header_rows else ink_c
        x0, x1 = xs[c], xs[c + cell["cs"]]
        y0, y1 = ys[r], ys[r + cell["rs"]]
        block_h = size + (len(cell_lines) - 1) * leading
        ty = y0 + pad_y if top_align else y0 + (y1 - y0 - block_h) / 2
        left, right = None, None
        for k, line in enumerate(cell_lines):
            tl = fnt.getlength(line)
            align = "center" if cell["kind"] == "ched" or cell["cs"] > 1 else \
                ("right" if any(ch.isdigit() for ch in cell["text"][:2]) and c > 0 else "left")
            if align == "center":
                tx = x0 + (x1 - x0 - tl) / 2
            elif align == "right":
                tx = x1 - pad_x - tl
            else:
                tx = x0 + pad_x
            y = oy + ty + k * leading - size * 0.1
            last = k == len(cell_lines) - 1
            if look and look.justify and cell["cs"] == 1 and " " in line and align != "right" and \
                    (not last or look.justify_last):
                # Justified: the words spread over the cell's width, the gaps all alike.
                words = line.split(" ")
                widths = [fnt.getlength(w) for w in words]
                gap = (x1 - x0 - 2 * pad_x - sum(widths)) / (len(words) - 1)
                tx, x = x0 + pad_x, x0 + pad_x
                for word, ww in zip(words, widths):
                    d.text((ox + x, y), word, font=fnt, fill=fill)
                    x += ww + gap
                tl = x1 - x0 - 2 * pad_x
            else:
                d.text((ox + tx, y), line, font=fnt, fill=fill)
            if look and look.leaders and c == 0 and last and cell["cs"] == 1 and r >= header_rows:
                # Dot leaders from the text to the next column, not part of the cell's text.
                dot = fnt.getlength(". ")
                start = tx + tl + dot
                n = int((x1 - 2 - start) / dot)
                if n > 1:
                    d.text((ox + start, y), ". " * n, font=fnt, fill=fill)
            left = tx if left is None else min(left, tx)
            right = tx + tl if right is None else max(right, tx + tl)
        blocks[(r, c)] = (ox + left, oy + ty, ox + right, oy + ty + block_h)

    if look is None:
        if rng.random() < 0.15:
            arr = np.asarray(img, dtype=np.int16)
            arr = arr + np.random.default_rng(rng.randint(0, 1 << 30)).integers(-12, 13, arr.shape, dtype=np.int16)
            img = Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8))
    elif look.scan:
        img = scanned(rng, img)
    return img, [ox + x for x in xs], [oy + y for y in ys], blocks


def scanned(rng, img):
    """A scanned or copied look: contrast pulled in, slight blur, grain, sometimes JPEG."""
    arr = np.asarray(img, dtype=np.float32)
    lo, hi = rng.randint(0, 70), rng.randint(190, 250)
    arr = lo + arr * (hi - lo) / 255.0
    img = Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8))
    if rng.random() < 0.7:
        img = img.filter(ImageFilter.GaussianBlur(rng.uniform(0.3, 1.1)))
    arr = np.asarray(img, dtype=np.float32)
    arr = arr + np.random.default_rng(rng.randint(0, 1 << 30)).normal(0, rng.uniform(2, 12), arr.shape[:2])[..., None]
    img = Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8))
    if rng.random() < 0.4:
        buf = io.BytesIO()
        img.save(buf, "JPEG", quality=rng.randint(30, 75))
        img = Image.open(io.BytesIO(buf.getvalue())).convert("RGB")
    return img


MAPS = ["hspan", "vspan", "ched", "rhed", "srow", "empty"]
MAP_SCALE = 4  # crop pixels per map pixel: the maps are 112 x 112


def content_runs(n, spans, lines):
    """Per grid row (or column): the extent of its text along that axis, from the cells that
    lie in it alone; (lo, hi) in crop pixels. A row without such text takes its grid band
    less two pixels. Runs are made disjoint with a gap of at least one pixel."""
    runs = []
    for k in range(n):
        ext = spans.get(k)
        runs.append(list(ext) if ext else [lines[k] + 2, lines[k + 1] - 2])
    for k in range(n):
        lo, hi = runs[k]
        if hi - lo < 1:
            mid = (lines[k] + lines[k + 1]) / 2
            runs[k] = [mid - 0.5, mid + 0.5]
    for k in range(1, n):
        if runs[k][0] - runs[k - 1][1] < 1:
            cut = lines[k]
            runs[k - 1][1] = min(runs[k - 1][1], cut - 0.5)
            runs[k][0] = max(runs[k][0], cut + 0.5)
    return runs


def targets(g, xs, ys, blocks, size):
    """Training targets in the 448 crop: row and column separator profiles (1 outside the
    text of every row or column) and six maps at a quarter of the resolution: inside a cell
    spanning columns, inside a cell spanning rows, column header, row header, section row
    and empty cell. Span and label maps cover a cell's text extent from its first row or
    column to its last, so a separator between two cells of one span lies inside it."""
    W, H = size
    sx, sy = CROP / W, CROP / H
    X = [x * sx for x in xs]
    Y = [y * sy for y in ys]
    row_ext, col_ext = {}, {}
    for (r, c), (x0, y0, x1, y1) in blocks.items():
        cell = g.cells[(r, c)]
        if cell["rs"] == 1:
            lo, hi = row_ext.get(r, (1e9, -1e9))
            row_ext[r] = (min(lo, y0 * sy), max(hi, y1 * sy))
        if cell["cs"] == 1:
            lo, hi = col_ext.get(c, (1e9, -1e9))
            col_ext[c] = (min(lo, x0 * sx), max(hi, x1 * sx))
    rows = content_runs(g.rows, row_ext, Y)
    cols = content_runs(g.cols, col_ext, X)
    pix = np.arange(CROP) + 0.5
    row_sep = np.ones(CROP, np.float32)
    for lo, hi in rows:
        row_sep[(pix >= lo) & (pix < hi)] = 0
    col_sep = np.ones(CROP, np.float32)
    for lo, hi in cols:
        col_sep[(pix >= lo) & (pix < hi)] = 0
    maps = np.zeros((len(MAPS), CROP // MAP_SCALE, CROP // MAP_SCALE), np.float32)
    for (r, c), cell in g.cells.items():
        y0, y1 = rows[r][0], rows[r + cell["rs"] - 1][1]
        x0, x1 = cols[c][0], cols[c + cell["cs"] - 1][1]
        a0, a1 = int(y0 // MAP_SCALE), max(int(y0 // MAP_SCALE) + 1, int(math.ceil(y1 / MAP_SCALE)))
        b0, b1 = int(x0 // MAP_SCALE), max(int(x0 // MAP_SCALE) + 1, int(math.ceil(x1 / MAP_SCALE)))
        on = []
        if cell["cs"] > 1:
            on.append("hspan")
        if cell["rs"] > 1:
            on.append("vspan")
        if cell["kind"] in ("ched", "rhed", "srow"):
            on.append(cell["kind"])
        if cell["kind"] == "ecel":
            on.append("empty")
        for name in on:
            maps[MAPS.index(name), a0:a1, b0:b1] = 1
    return row_sep, col_sep, maps


def sample(seed):
    """One training sample: the 448 x 448 x 3 uint8 crop, its targets and the drawn table."""
    rng = random.Random(seed)
    while True:
        g, header_rows, section_rows = make_grid(rng)
        drawn = render(rng, g, header_rows, section_rows)
        if drawn is not None:
            break
    img, xs, ys, blocks = drawn
    return resample448(img), targets(g, xs, ys, blocks, img.size), (g, xs, ys, blocks, img.size)
