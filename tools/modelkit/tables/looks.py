"""Generated tables with the looks that the plain generator (synth.py) lacks and real pages have.

Four families: dense ruled listings (30 to 90 rows of names, places and amounts in small type,
total rows that hold only a label and an amount, title lines over the whole width), small fully
ruled tables, financial statements (long row labels, sometimes with dot leaders, columns of
figures with comma or space thousands separators, wrapped headers over grouped columns) and the
plain generator's grids. Each draws with some of: justified cell text (the gaps of a line all
alike, so a two-word line in a wide cell has one wide gap), header texts wrapped to their
column's body, typewriter type, dashed rules, a frame with column rules, rows as close as lines,
a grey table, dark header cells with light text, and a scanned look (contrast pulled in, blur,
grain, JPEG). The labels stay exact: a cell's text block is where its words are drawn; leaders
and rules are not text.

`sample(seed, looks)` is what training and evaluation draw: "plain" is synth.sample, "new" these
looks, "mixed" either (NEW_SHARE of the seeds, decided by a separate generator so that a seed
drawn plain gives the same table as synth.sample).
"""
import dataclasses
import random
import re
from typing import Optional, Tuple

import synth

NEW_SHARE = 0.5
FAMILIES = ["listing", "small", "financial", "plain"]


@dataclasses.dataclass
class Look:
    family: str
    rules: str  # "grid", "hlines", "columns", "none"
    dash: Optional[Tuple[int, int]]  # dash and gap length of the rules, None for solid
    mono: bool  # typewriter type
    justify: bool
    justify_last: bool  # the last line of a cell too (a one-line cell spread over its width)
    leaders: bool
    header_wrap: bool
    tight: bool
    widen: float  # chance that the columns get extra width
    fill: Optional[int]  # grey behind the whole table
    dark: bool
    scan: bool
    space_thousands: bool

    def type(self, rng, g):
        """Type size, body and header fonts, cell padding, leading and wrapping width."""
        regular, bold = mono_fonts() if self.mono else synth.font_files()
        if self.family == "listing":
            size = rng.randint(7, 10)
        elif self.family == "small":
            size = rng.randint(10, 20)
        else:
            size = rng.randint(8, 16)
        f_body = synth.font(rng.choice(regular), size)
        f_head = synth.font(rng.choice(bold), size) if rng.random() < 0.7 else f_body
        pad_x = rng.randint(2, 3 + size // 2)
        if self.tight:
            pad_y = rng.randint(0, 1)
        elif self.family == "listing":
            pad_y = rng.randint(1, 2)
        else:
            pad_y = rng.randint(1, 3 + size // 3)
        leading = size + rng.randint(0 if self.tight else 1, 1 + size // 4)
        wrap_w = None
        if self.justify or rng.random() < (0.4 if self.family in ("financial", "plain") else 0.15):
            wrap_w = rng.randint(5, 14) * size
        return size, f_body, f_head, pad_x, pad_y, leading, wrap_w


_MONO = None


def mono_fonts():
    global _MONO
    if _MONO is None:
        files = [f for group in synth.font_files() for f in group if "Mono" in f]
        regular = sorted(f for f in files if "Bold" not in f)
        bold = sorted(f for f in files if "Bold" in f)
        _MONO = (regular, bold or regular)
    return _MONO


def choose(rng):
    family = rng.choice(FAMILIES)
    mono = rng.random() < (0.35 if family == "financial" else 0.1)
    if family == "listing":
        rules = rng.choice(["grid", "grid", "grid", "hlines", "columns"])
    elif family == "small":
        rules = "grid"
    else:
        rules = rng.choice(["grid", "grid", "columns", "hlines", "none"])
    dash = None
    if rng.random() < (0.5 if mono else 0.2):
        unit = rng.randint(2, 6)
        dash = (unit, rng.randint(1, max(1, unit // 2 + 1)))
    justify = rng.random() < (0.5 if rules in ("grid", "columns") else 0.25)
    return Look(family=family, rules=rules, dash=dash, mono=mono, justify=justify,
                justify_last=justify and rng.random() < 0.4,
                leaders=family == "financial" and rng.random() < (0.7 if mono else 0.3),
                header_wrap=rng.random() < 0.5,
                tight=rules == "none" and rng.random() < 0.25,
                widen=0.6 if justify else 0.3,
                fill=rng.randint(200, 238) if rng.random() < 0.15 else None,
                dark=rng.random() < 0.2,
                scan=rng.random() < 0.3,
                space_thousands=rng.random() < 0.4)


def upper_words(rng, lo, hi):
    return " ".join(rng.choice(synth.WORDS).upper() for _ in range(rng.randint(lo, hi)))


def amount(rng):
    v = rng.random() * 10 ** rng.randint(1, 4)
    return f"${v:,.2f}"


def figure(rng):
    """A figure of a financial statement."""
    v = rng.random() * 10 ** rng.randint(1, 7)
    style = rng.random()
    if style < 0.5:
        return f"{v:,.0f}"
    if style < 0.65:
        return f"({v:,.0f})"
    if style < 0.8:
        return f"{v:,.1f}"
    if style < 0.9:
        return f"{rng.random() * 100:.1f}%"
    return rng.choice(["-", "\u2013", "n/a"])


LISTING_TEXT = {
    "name": lambda rng: upper_words(rng, 1, 1) + ", " + upper_words(rng, 1, 1) +
    (" " + rng.choice("ABCDEFGHJKLMNPRSTW") if rng.random() < 0.4 else ""),
    "entity": lambda rng: upper_words(rng, 2, 5),
    "place": lambda rng: upper_words(rng, 1, 2) + ", " + "".join(rng.choice("ACDFGIKLMNOPSTVWXYZ") for _ in range(2)),
    "purpose": lambda rng: upper_words(rng, 1, 3),
    "code": lambda rng: synth.random_text(rng, "code"),
    "date": lambda rng: synth.random_text(rng, "date"),
}


def header_text(rng, lo=1, hi=4):
    text = " ".join(rng.choice(synth.WORDS) for _ in range(rng.randint(lo, hi)))
    return text.capitalize() if rng.random() < 0.7 else text.upper()


def listing(rng):
    cols = rng.randint(4, 6)
    kinds = ["name"] + rng.sample(["entity", "place", "purpose", "code", "date"], cols - 2) + ["amount"]
    g = synth.Grid(rng.randint(30, 90), cols)
    r = 0
    for _ in range(rng.choice([0, 1, 2, 2])):  # title lines over the whole width
        g.place(r, 0, 1, cols, "ched", upper_words(rng, 2, 5))
        r += 1
    for c in range(cols):
        g.place(r, c, 1, 1, "ched", header_text(rng))
    header_rows = r + 1
    r += 1
    totals = rng.random() < 0.6
    while r < g.rows:
        name = LISTING_TEXT["name"](rng)
        for _ in range(rng.randint(1, 3)):
            if r >= g.rows:
                break
            for c, kind in enumerate(kinds):
                if c == 0:
                    text = name
                elif kind == "amount":
                    text = amount(rng)
                elif kind == "entity" and rng.random() < 0.85:
                    text = ""
                else:
                    text = LISTING_TEXT[kind](rng)
                g.place(r, c, 1, 1, "fcel" if text else "ecel", text)
            r += 1
        if totals and r < g.rows:
            for c in range(cols):
                text = "TOTAL" if c == 0 else amount(rng) if c == cols - 1 else ""
                g.place(r, c, 1, 1, "fcel" if text else "ecel", text)
            r += 1
    return g, header_rows, set()


def small(rng):
    g = synth.Grid(rng.randint(2, 5), rng.randint(2, 4))
    header_rows = 1 if rng.random() < 0.7 else 0
    kinds = ["text"] + [rng.choice(["text", "number", "number", "date"]) for _ in range(g.cols - 1)]
    for r in range(g.rows):
        for c in range(g.cols):
            if r < header_rows:
                g.place(r, c, 1, 1, "ched", header_text(rng))
            elif c > 0 and rng.random() < 0.08:
                g.place(r, c, 1, 1, "ecel", "")
            else:
                g.place(r, c, 1, 1, "fcel", synth.random_text(rng, kinds[c]))
    return g, header_rows, set()


def financial(rng):
    g = synth.Grid(rng.randint(5, 30), rng.randint(3, 7))
    header_rows = rng.choice([1, 1, 2])
    if header_rows == 2:
        # The upper row groups the figure columns; the label column's header spans both rows.
        text = header_text(rng) if rng.random() < 0.6 else ""
        g.place(0, 0, 2, 1, "ched" if text else "ecel", text)
        c = 1
        while c < g.cols:
            cs = min(g.cols - c, rng.randint(1, 3))
            g.place(0, c, 1, cs, "ched", header_text(rng, 2, 5))
            c += cs
    for c in range(g.cols):
        if g.free(header_rows - 1, c, 1, 1):
            g.place(header_rows - 1, c, 1, 1, "ched", header_text(rng, 1, 6) if c else header_text(rng, 1, 3))
    empty = rng.choice([0.0, 0.03, 0.1])
    row_headers = rng.random() < 0.2
    sections = set()
    for r in range(header_rows, g.rows):
        label = synth.random_text(rng, "text")
        if r < g.rows - 1 and rng.random() < 0.12:
            # A heading row: its label alone, the figures empty, or one cell over the width.
            if rng.random() < 0.5:
                g.place(r, 0, 1, g.cols, "srow", label)
                sections.add(r)
            else:
                g.place(r, 0, 1, 1, "rhed" if row_headers else "fcel", label)
                for c in range(1, g.cols):
                    g.place(r, c, 1, 1, "ecel", "")
            continue
        if r == g.rows - 1 and rng.random() < 0.5:
            label = rng.choice(["Total", "TOTAL", "Total " + rng.choice(synth.WORDS), "Net " + rng.choice(synth.WORDS)])
        g.place(r, 0, 1, 1, "rhed" if row_headers else "fcel", label)
        for c in range(1, g.cols):
            if rng.random() < empty:
                g.place(r, c, 1, 1, "ecel", "")
            else:
                g.place(r, c, 1, 1, "fcel", figure(rng))
    return g, header_rows, sections


def make_grid(rng, look):
    if look.family == "listing":
        g, header_rows, sections = listing(rng)
    elif look.family == "small":
        g, header_rows, sections = small(rng)
    elif look.family == "financial":
        g, header_rows, sections = financial(rng)
    else:
        g, header_rows, sections = synth.make_grid(rng)
    if look.space_thousands:
        for cell in g.cells.values():
            cell["text"] = re.sub(r"(?<=\d),(?=\d{3})", " ", cell["text"])
    return g, header_rows, sections


def sample(seed, looks="mixed"):
    """One training sample, as synth.sample: the crop, its targets and the drawn table."""
    if looks == "plain" or looks == "mixed" and random.Random(seed ^ 0x5A5A5A5A).random() >= NEW_SHARE:
        return synth.sample(seed)
    rng = random.Random(seed)
    while True:
        look = choose(rng)
        g, header_rows, sections = make_grid(rng, look)
        drawn = synth.render(rng, g, header_rows, sections, look)
        if drawn is not None:
            break
    img, xs, ys, blocks = drawn
    return synth.resample448(img), synth.targets(g, xs, ys, blocks, img.size), (g, xs, ys, blocks, img.size)
