"""Pages laid out by a browser: generated HTML rendered with headless Chromium.

A batch of pages of one size is written as one HTML file of stacked, fixed-size page boxes
(overflow hidden). A script in the page drops the blocks that do not fit, then records every
region's box (text regions as the union of their line boxes, from a DOM Range) as JSON in the
document. Chromium is run twice on the file, once for a screenshot and once to dump the
DOM with the boxes; the layout is the same both times. The screenshot is cut into pages.

    /usr/bin/python3 -m pages.html OUT --batches 20 [--per-batch 10] [--start 0] [--listing 0.7]
        [--reports 0.2] [--stats 0.15] [--prose 0.15] [--onepage 0.1]

writes OUT/h<seed>.png and OUT/h<seed>.json in the format of page.py.
"""
import argparse
import html
import json
import os
import random
import re
import shutil
import subprocess
import tempfile

from PIL import Image

from .text import FIRST, LAST, TextSource, code_lines

FAMILIES = ["Liberation Serif", "Liberation Sans", "DejaVu Serif", "DejaVu Sans", "Carlito", "Caladea", "Open Sans",
            "Roboto", "Nimbus Roman", "Nimbus Sans", "P052", "C059", "URW Bookman", "Linux Libertine O",
            "FreeSerif", "FreeSans", "Roboto Condensed", "Nimbus Sans Narrow"]
MONO = ["Liberation Mono", "DejaVu Sans Mono", "Nimbus Mono PS", "FreeMono"]
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--hide-scrollbars", "--force-device-scale-factor=1"]

SCRIPT = """
<script>
(function () {
  const pages = document.querySelectorAll('.page');
  const out = [];
  pages.forEach((page, n) => {
    const pr = page.getBoundingClientRect();
    const limit = pr.bottom - parseFloat(page.dataset.mb);
    // A table marked data-fill runs on to the next page: its last rows go until it fits.
    page.querySelectorAll('table[data-fill]').forEach(t => {
      while (t.rows.length > 3 && t.getBoundingClientRect().bottom > limit) t.deleteRow(t.rows.length - 1);
    });
    // Drop whole blocks that run past the bottom margin, last first.
    const blocks = Array.from(page.querySelectorAll('.flow > *'));
    for (let i = blocks.length - 1; i >= 0; i--) {
      if (blocks[i].getBoundingClientRect().bottom > limit) blocks[i].remove();
    }
    const regions = [];
    page.querySelectorAll('[data-l]').forEach(el => {
      let r;
      if (el.dataset.tight === '1') {
        const range = document.createRange();
        range.selectNodeContents(el);
        r = range.getBoundingClientRect();
      } else {
        r = el.getBoundingClientRect();
      }
      if (r.width < 1 || r.height < 1) return;
      regions.push({label: el.dataset.l, box: [r.left - pr.left, r.top - pr.top, r.right - pr.left, r.bottom - pr.top]});
    });
    out.push({width: pr.width, height: pr.height, regions: regions});
  });
  const pre = document.createElement('script');
  pre.type = 'application/json';
  pre.id = 'truth';
  pre.textContent = JSON.stringify(out);
  document.body.appendChild(pre);
})();
</script>
"""


class HtmlPage:
    def __init__(self, seed, width, height, listing=0.0, reports=0.0, stats=0.0, prose=0.0, onepage=0.0):
        self.listing = listing
        self.reports = reports
        self.stats = stats
        self.prose = prose
        self.onepage = onepage
        self.rng = rng = random.Random(seed)
        self.src = TextSource(rng)
        self.width, self.height = width, height
        self.font = rng.choice(FAMILIES)
        self.head_font = self.font if rng.random() < 0.5 else rng.choice(FAMILIES)
        self.size = rng.uniform(8, 12)
        self.colour = rng.choice(["#000", "#000", "#222", "#1a1a1a", "#333"])
        self.accent = rng.choice(["#000", "#1f3864", "#8b0000", "#004d40", "#2e74b5", "#444"])
        self.counters = {"fig": rng.randint(1, 9), "tab": rng.randint(1, 9), "eq": rng.randint(1, 9),
                         "fn": rng.randint(1, 9), "sec": rng.randint(1, 9)}

    def e(self, text):
        return html.escape(text)

    def p(self):
        rng = self.rng
        style = f"text-indent:{rng.uniform(1, 2.5):.1f}em;" if rng.random() < 0.3 else ""
        return f'<p data-l="text" data-tight="1" style="{style}">{self.e(self.src.paragraph(1, 6))}</p>'

    def h(self):
        rng = self.rng
        self.counters["sec"] += 1
        t = self.src.title(1, 6)
        if rng.random() < 0.5:
            t = f"{self.counters['sec']}{'.' + str(rng.randint(1, 9)) if rng.random() < 0.4 else ''} {t}"
        tag = rng.choice(["h2", "h3", "h4"])
        return f'<{tag} data-l="sectionHeader" data-tight="1">{self.e(t)}</{tag}>'

    def lst(self):
        rng = self.rng
        tag = rng.choice(["ul", "ol"])
        style = rng.choice(["disc", "circle", "square", "decimal", "lower-alpha", "lower-roman"])
        items = "".join(f'<li><span data-l="listItem" data-tight="1">{self.e(self.src.sentence(3, 25))}</span></li>'
                        for _ in range(rng.randint(2, 6)))
        return f'<{tag} style="list-style-type:{style}">{items}</{tag}>'

    def caption(self, kind):
        self.counters[kind] += 1
        head = {"fig": self.rng.choice(["Figure", "Fig.", "Chart", "Exhibit"]), "tab": self.rng.choice(["Table", "TABLE"])}[kind]
        return (f'<div class="cap" data-l="caption" data-tight="1">{head} {self.counters[kind]}. '
                f'{self.e(self.src.sentence(3, 20))}</div>')

    def table(self, wide=False):
        rng, src = self.rng, self.src
        n_cols = rng.randint(2, 12 if wide else 7)
        n_rows = rng.randint(3, 40 if wide else 15)
        kinds = ["label"] + [rng.choice(["int", "float", "money", "pct", "big", "neg", "word"]) for _ in range(n_cols - 1)]
        border = rng.choice(["grid", "grid", "hlines", "none", "booktabs", "outer"])
        fs = rng.uniform(0.65, 1.0)
        pad = f"{rng.uniform(1, 6):.1f}px {rng.uniform(2, 8):.1f}px"
        bc = rng.choice(["#000", "#666", "#999", "#bbb", self.accent])
        head_bg = rng.choice(["transparent", "#d9d9d9", "#1f4e79", "#4472c4", "#c6efce", "#ffd966", "#e7e6e6",
                              "#305496", "#70ad47", "transparent"])
        head_fg = "#fff" if head_bg in ("#1f4e79", "#4472c4", "#305496", "#70ad47") else self.colour
        stripe = rng.choice([None, None, "#f2f2f2", "#ddebf7", "#e2efda", "#fff2cc", "#00ffff33"])
        css = [f"font-size:{fs:.2f}em", "border-collapse:collapse"]
        if border == "outer":
            css.append(f"border:1px solid {bc}")
        if rng.random() < 0.5:
            css.append("width:100%")
        cell_css = f"padding:{pad};"
        if border == "grid":
            cell_css += f"border:1px solid {bc};"
        elif border == "hlines":
            cell_css += f"border-bottom:1px solid {bc};"
        rows = []
        header_rows = rng.choice([1, 1, 1, 2])
        for r in range(header_rows):
            cells = []
            c = 0
            while c < n_cols:
                span = 1
                if r < header_rows - 1 and c > 0 and rng.random() < 0.5:
                    span = min(n_cols - c, rng.randint(2, 3))
                text = src.title(1, 3) if not (c == 0 and rng.random() < 0.3) else ""
                extra = f' colspan="{span}"' if span > 1 else ""
                cells.append(f'<th{extra} style="{cell_css}background:{head_bg};color:{head_fg}">{self.e(text)}</th>')
                c += span
            rows.append("<tr>" + "".join(cells) + "</tr>")
        covered = set()
        for r in range(n_rows):
            cells = []
            bg = stripe if stripe and r % 2 else "transparent"
            if rng.random() < 0.06:
                bg = rng.choice(["#00ffff", "#ffff00", "#c6efce", "#ffc7ce"])
            if rng.random() < 0.05:
                rows.append(f'<tr><td colspan="{n_cols}" style="{cell_css}font-weight:bold;background:{bg}">'
                            f'{self.e(src.title(1, 4))}</td></tr>')
                continue
            for c in range(n_cols):
                if (r, c) in covered:
                    continue
                if kinds[c] == "label":
                    text = src.title(1, 5)
                elif kinds[c] == "word":
                    text = src.words(rng.randint(1, 3))
                else:
                    text = src.number(kinds[c]) if rng.random() < 0.93 else ""
                extra = ""
                if c == 0 and rng.random() < 0.06 and r < n_rows - 2:
                    extra = ' rowspan="2"'
                    covered.add((r + 1, c))
                align = "left" if kinds[c] in ("label", "word") else rng.choice(["right", "right", "center"])
                cbg = bg
                if border == "grid" and rng.random() < 0.04:
                    cbg = rng.choice(["#ffeb9c", "#c6efce", "#ffc7ce", "#bdd7ee"])
                cells.append(f'<td{extra} style="{cell_css}text-align:{align};background:{cbg}">{self.e(text)}</td>')
            rows.append("<tr>" + "".join(cells) + "</tr>")
        top = f"border-top:2px solid {bc};border-bottom:2px solid {bc};" if border == "booktabs" else ""
        body = "".join(rows)
        cap_above = rng.random() < 0.6
        cap = self.caption("tab") if rng.random() < 0.75 else ""
        t = f'<table data-l="table" style="{";".join(css)};{top}">{body}</table>'
        note = self.source_note(20) if rng.random() < 0.25 else ""
        return f'<div class="blk">{cap if cap_above else ""}{t}{"" if cap_above else cap}{note}</div>'

    STREETS = ["Main St", "Terminal Drive", "Oak Ave", "Summit Ave", "Park Place", "Lake Road", "Church St",
               "Broadway", "Hillcrest Ave", "Commerce Blvd", "Mill Lane", "Station Road"]
    CITIES = ["Saint Paul", "Tulsa", "Oklahoma City", "Minneapolis", "Accra", "Rosario", "Santa Fe", "Norman",
              "Edmond", "Lakeland", "Buenos Aires", "Tucuman", "Springfield", "Riverside", "Mendoza"]

    def listing_cell(self, kind, upper):
        """One cell of a listing table (donor lists, voter rolls, licence registers, budgets)."""
        rng, src = self.rng, self.src
        if kind == "name":
            t = f"{rng.choice(LAST)}, {rng.choice(FIRST)}" if rng.random() < 0.5 else src.name()
        elif kind == "org":
            t = f"{src.title(1, 3)} {rng.choice(['Inc', 'LLC', 'Ltd', 'Co', 'Enterprise', 'Party', 'Group'])}"
        elif kind == "address":
            t = f"{rng.randint(1, 9999)} {rng.choice(self.STREETS)}"
        elif kind == "city":
            t = rng.choice(self.CITIES)
        elif kind == "code":
            t = rng.choice(["MN", "OK", "TX", "NSF", "ICB", "NCB", "GHS", "US$", "AAA", "BAW", "R", "I", "PJ"])
        elif kind == "id":
            t = rng.choice([f"{rng.randint(10, 99)}-{rng.randint(10000000, 99999999)}-{rng.randint(0, 9)}",
                            str(rng.randint(1000, 999999)), f"{rng.randint(1, 99)}.{rng.randint(100, 999)}.{rng.randint(100, 999)}"])
        elif kind == "date":
            t = src.date()
        elif kind == "text":
            t = src.words(rng.randint(1, 6))
        else:
            t = src.number(kind) if rng.random() < 0.95 else rng.choice(["", "-", "0"])
        return t.upper() if upper and kind in ("name", "org", "address", "city", "text") else t

    def listing_table(self, fill=False, rows=None, width="100%", wrap=None, most_cols=11, sparse=False, numbers=False):
        """A dense table of many short rows: often ruled in a grid or by rows, sometimes not at
        all or only above and below; a header of one or two rows, or none when the page continues
        a table; banded or coloured rows, a coloured title bar inside the table, dotted leaders,
        blank and section rows, a totals row. `sparse`: a few rows of larger type with long
        words that wrap; `numbers`: columns of plain numbers without header or rules."""
        rng = self.rng
        n_cols = rng.randint(2 if most_cols < 6 else 3, most_cols)
        kinds = [rng.choice(["name", "name", "org", "text"])] + [
            rng.choice(["name", "org", "address", "city", "code", "id", "date", "int", "big", "money", "float", "pct",
                        "text"]) for _ in range(n_cols - 1)]
        if numbers:
            kinds = ["int"] * n_cols
        upper = rng.random() < 0.35
        ruling = "none" if numbers else rng.choice(["grid", "grid", "grid", "rows", "rows", "none", "outer", "vertical",
                                                    "booktabs", "booktabs"])
        bc = rng.choice(["#000", "#000", "#444", "#777", "#999", "#bbb"])
        fs = rng.uniform(9, 13) if sparse or numbers else rng.uniform(5.5, 9.5)
        pad = f"{rng.uniform(0, 2.5):.1f}px {rng.uniform(1, 4):.1f}px"
        head_bg = rng.choice(["transparent", "transparent", "#d9d9d9", "#c0c0c0", "#ffc000", "#4472c4", "#1f4e79",
                              "#92d050", "#e7e6e6", "#b4c6e7", "#000"])
        head_fg = "#fff" if head_bg in ("#4472c4", "#1f4e79", "#000") else "#000"
        band = rng.choice([None, None, None, "#00ffff", "#ddebf7", "#f2f2f2", "#e2efda", "#ffff99", "#d9d9d9"])
        band_every = rng.choice([1, 1, 2, 3])
        cell = f"padding:{pad};"
        if ruling == "grid":
            cell += f"border:1px solid {bc};"
        elif ruling == "rows":
            cell += f"border-bottom:{rng.choice(['1px', '0.5px'])} solid {bc};"
        elif ruling == "vertical":
            cell += f"border-left:1px solid {bc};border-right:1px solid {bc};"
        wrap = wrap or ("normal" if rng.random() < 0.5 else "nowrap")
        if wrap == "normal":
            wrap += ";overflow-wrap:anywhere"
        out = []
        if not numbers and rng.random() < 0.2:
            bar_bg = rng.choice(["#000", "#c0504d", "#1f4e79", "#548235", "#7f7f7f"])
            out.append(f'<tr><td colspan="{n_cols}" style="{cell}text-align:center;font-weight:bold;background:{bar_bg};'
                       f'color:#fff">{self.e(self.src.title(2, 8))}</td></tr>')
        header_rows = 0 if numbers else rng.choices([0, 1, 2], weights=[22, 60, 18])[0]
        for r in range(header_rows):
            cells, c = [], 0
            while c < n_cols:
                span = min(n_cols - c, rng.randint(2, 4)) if r < header_rows - 1 and c > 0 and rng.random() < 0.6 else 1
                text = self.src.title(1, 3)
                text = text.upper() if upper else text
                extra = f' colspan="{span}"' if span > 1 else ""
                cells.append(f'<th{extra} style="{cell}background:{head_bg};color:{head_fg};font-weight:'
                             f'{rng.choice(["bold", "bold", "normal"])}">{self.e(text)}</th>')
                c += span
            rule = f' style="border-bottom:1px solid {bc}"' if ruling == "booktabs" and r == header_rows - 1 else ""
            out.append(f"<tr{rule}>" + "".join(cells) + "</tr>")
        leaders = rng.random() < 0.25
        n_rows = rows or rng.randint(8, 30)
        for r in range(n_rows if not fill else 90):
            bg = band if band and (r // band_every) % 2 else "transparent"
            x = rng.random()
            if x < 0.04:
                out.append(f'<tr><td colspan="{n_cols}" style="{cell}font-weight:bold;background:{bg}">'
                           f'{self.e(self.src.title(1, 5))}</td></tr>')
                continue
            if x < 0.07 and ruling in ("none", "booktabs", "vertical"):
                out.append(f'<tr><td colspan="{n_cols}" style="{cell}">&nbsp;</td></tr>')
                continue
            cells = []
            for c, kind in enumerate(kinds):
                text = self.e(self.listing_cell(kind, upper))
                if sparse and rng.random() < 0.15:
                    text = self.e("".join(rng.choice(["ding", "pa-", "ratio", "sphe", "comyia", "str", "ger"])
                                          for _ in range(rng.randint(4, 12))))
                if c == 0 and leaders:
                    text += " " + ". " * rng.randint(3, 12)
                align = "right" if kind in ("int", "big", "money", "float", "pct") else "left"
                cells.append(f'<td style="{cell}text-align:{align};background:{bg};white-space:{wrap}">{text}</td>')
            out.append("<tr>" + "".join(cells) + "</tr>")
        if not fill and rng.random() < 0.25:
            out.append(f'<tr style="font-weight:bold;border-top:1.5px solid #000"><td style="{cell}">TOTAL</td>'
                       + "".join(f'<td style="{cell}text-align:right">{self.e(self.src.number("big"))}</td>'
                                 for _ in range(n_cols - 1)) + "</tr>")
        css = f"font-size:{fs:.1f}px;line-height:{rng.uniform(1.0, 1.25):.2f};border-collapse:collapse;width:{width}"
        if ruling == "outer" or rng.random() < 0.2:
            css += f";border:1px solid {bc}"
        elif ruling == "booktabs":
            css += f";border-top:{rng.choice(['1px', '2px'])} solid {bc};border-bottom:1px solid {bc}"
        attr = ' data-fill="1"' if fill else ""
        return f'<table data-l="table"{attr} style="{css}">{"".join(out)}</table>'

    def report_title(self):
        """The lines above a listing: a centred report title, or a "Table N." caption line."""
        rng = self.rng
        if rng.random() < 0.4:
            return self.caption("tab")
        lines = "".join(f'<div data-l="{rng.choice(["sectionHeader", "text"]) if i else "sectionHeader"}" data-tight="1" '
                        f'style="font-weight:{"bold" if i == 0 else "normal"}">{self.e(self.src.title(2, 8))}</div>'
                        for i in range(rng.randint(1, 3)))
        return f'<div class="blk" style="text-align:{rng.choice(["center", "center", "left"])}">{lines}</div>'

    def report_body(self):
        """The flow of a listing page: one table filling the page, two tables, or a table beside text."""
        rng = self.rng
        layout = rng.choices(["fill", "two", "side", "text"], weights=[40, 22, 22, 16])[0]
        title = lambda: self.report_title() if rng.random() < 0.6 else ""  # noqa: E731
        note = lambda: self.source_note(16) if rng.random() < 0.3 else ""  # noqa: E731
        if layout == "fill":
            return (self.kv() if rng.random() < 0.2 else "") + title() + self.listing_table(fill=True)
        if layout == "two":
            sparse = rng.random() < 0.3
            return "".join(f'<div class="blk">{title()}{self.listing_table(rows=rng.randint(3, 16), width=rng.choice(["100%", "100%", "80%", "auto"]), sparse=sparse)}'
                           f'{note()}</div>' for _ in range(2)) + (self.listing_table(fill=True) if rng.random() < 0.3 else "")
        if layout == "side":
            n = rng.choice([2, 2, 3])
            style = rng.choices(["dense", "sparse", "numbers"], weights=[50, 35, 15])[0]
            rows = (2, 7) if style == "sparse" else (4, 30)
            tables = "".join(f'<div style="flex:1 1 0;min-width:0">{self.listing_table(rows=rng.randint(*rows), wrap="normal", most_cols=8 // n + 2, sparse=style == "sparse", numbers=style == "numbers")}</div>'
                             for _ in range(n))
            return f'{title()}<div style="display:flex;gap:{rng.randint(6, 60)}px;align-items:flex-start">{tables}</div>'
        paras = "".join(self.p() for _ in range(rng.randint(1, 4)))
        share = rng.randint(40, 65)
        text = f'<div style="flex:1 1 0;min-width:0">{paras}</div>'
        table = (f'<div style="flex:0 0 {share}%;min-width:0">{title()}{self.listing_table(rows=rng.randint(4, 14), wrap="normal")}'
                 f'{note()}</div>')
        pair = text + table if rng.random() < 0.5 else table + text
        top = self.p() if rng.random() < 0.5 else ""
        return f'{top}<div style="display:flex;gap:{rng.randint(10, 30)}px;align-items:flex-start">{pair}</div>{self.p()}'

    def report_table(self):
        """A table of a report: a "Table N." caption set like a heading above a table of four to
        six columns filling the text width (rules above and below the header, or a full grid of
        few rows), or a small fully ruled grid; a note below now and then."""
        rng = self.rng
        small_grid = rng.random() < 0.3
        n_cols = rng.randint(3, 6) if small_grid else rng.choice([4, 5, 5, 5, 6])
        n_rows = rng.randint(2, 6) if small_grid else rng.randint(3, 9)
        kinds = ["label"] + [rng.choice(["int", "money", "pct", "big", "neg", "float"]) for _ in range(n_cols - 1)]
        bc = rng.choice(["#000", "#0b3d5c", "#666", "#999", self.accent])
        pad = f"{rng.uniform(3, 7):.1f}px {rng.uniform(4, 9):.1f}px"
        if small_grid or rng.random() < 0.25:
            head_css = body_css = f"border:1px solid {bc};"
        else:
            head_css = f"border-top:{rng.uniform(1, 2):.1f}px solid {bc};border-bottom:1px solid {bc};"
            body_css = f"border-bottom:{rng.choice(['0.5px', '1px'])} solid {rng.choice(['#bbb', '#ccc', bc])};" if rng.random() < 0.7 else ""
        align = rng.choice(["right", "right", "center"])
        head = "".join(f'<th style="padding:{pad};{head_css}text-align:{"left" if c == 0 else align}">'
                       f'{self.e(self.src.title(1, 2) if c == 0 or rng.random() < 0.5 else str(rng.randint(1990, 2030)))}</th>'
                       for c in range(n_cols))
        rows = []
        for r in range(n_rows):
            cells = []
            for c in range(n_cols):
                text = self.src.title(1, 4) if kinds[c] == "label" else self.src.number(kinds[c])
                cells.append(f'<td style="padding:{pad};{body_css}text-align:{"left" if c == 0 else align}">{self.e(text)}</td>')
            rows.append("<tr>" + "".join(cells) + "</tr>")
        self.counters["tab"] += 1
        size = rng.uniform(1.0, 1.25)
        cap = (f'<div data-l="caption" data-tight="1" style="font-weight:bold;font-size:{size:.2f}em;margin:8px 0 4px 0">'
               f'{rng.choice(["Table", "Table", "TABLE", "Tab."])} {self.counters["tab"]}{rng.choice([".", ".", ":", ""])} {self.e(self.src.title(2, 7))}</div>')
        width = "100%" if not small_grid or rng.random() < 0.5 else rng.choice(["60%", "auto"])
        t = (f'<table data-l="table" style="width:{width};border-collapse:collapse;font-size:{rng.uniform(0.85, 1.0):.2f}em">'
             f'<tr>{head}</tr>{"".join(rows)}</table>')
        note = self.source_note(16) if rng.random() < 0.3 else ""
        return f'<div class="blk">{cap}{t}{note}</div>'

    def report_flow(self):
        """The flow of a report page: headings, paragraphs, numbered and bulleted lists and
        report tables, under a title on a first page."""
        rng = self.rng
        out = [self.title()] if rng.random() < 0.4 else []
        makers = [(self.p, 30), (self.h, 14), (self.lst, 10), (self.report_table, 16)]
        fns, ws = zip(*makers)
        for _ in range(rng.randint(6, 14)):
            out.append(rng.choices(fns, weights=ws)[0]())
        return "".join(out)

    def stats_table(self):
        """A dense table of statistics: many short rows of figures under a "Table N." caption
        (years, regions or age groups down the side, five to fourteen numeric columns, small
        type), ruled above and below, by rows, in a full grid or not at all; a note below now
        and then."""
        rng, src = self.rng, self.src
        n_cols = rng.randint(5, 14)
        n_rows = rng.randint(12, 45)
        kinds = [rng.choice(["int", "float", "pct", "big", "neg"]) for _ in range(n_cols - 1)]
        side = rng.choice(["year", "region", "age", "code"])
        ruling = rng.choice(["booktabs", "booktabs", "rows", "grid", "none"])
        bc = rng.choice(["#000", "#444", "#888", self.accent])
        pad = f"{rng.uniform(0, 2):.1f}px {rng.uniform(2, 6):.1f}px"
        cell = f"padding:{pad};"
        if ruling == "grid":
            cell += f"border:1px solid {bc};"
        elif ruling == "rows":
            cell += f"border-bottom:0.5px solid {bc};"
        year = rng.randint(1950, 2000)
        head = [rng.choice(["Year", "Region", "Age group", "Code", ""])] + [
            src.title(1, 2) if rng.random() < 0.6 else str(rng.randint(1990, 2030)) for _ in range(n_cols - 1)]
        rule = f"border-bottom:1px solid {bc};" if ruling == "booktabs" else ""
        rows = ["<tr>" + "".join(f'<th style="{cell}{rule}text-align:{"left" if c == 0 else "right"}">{self.e(t)}</th>'
                                 for c, t in enumerate(head)) + "</tr>"]
        for r in range(n_rows):
            if side == "year":
                label = str(year + r)
            elif side == "region":
                label = rng.choice(self.CITIES)
            elif side == "age":
                label = f"{5 * r}-{5 * r + 4}"
            else:
                label = f"{rng.choice('ABCDEFGHKLMNPRST')}{rng.randint(10, 99)}"
            cells = [f'<td style="{cell}text-align:left">{self.e(label)}</td>']
            cells += [f'<td style="{cell}text-align:right">{self.e(src.number(k) if rng.random() < 0.95 else "..")}</td>'
                      for k in kinds]
            rows.append("<tr>" + "".join(cells) + "</tr>")
        css = f"font-size:{rng.uniform(6.5, 9.5):.1f}px;line-height:{rng.uniform(1.0, 1.3):.2f};border-collapse:collapse;" \
              f"width:{rng.choice(['100%', '100%', 'auto'])}"
        if ruling == "booktabs":
            css += f";border-top:1.5px solid {bc};border-bottom:1.5px solid {bc}"
        cap = self.caption("tab") if rng.random() < 0.8 else ""
        note = self.source_note(20) if rng.random() < 0.4 else ""
        return f'<div class="blk">{cap}<table data-l="table" data-fill="1" style="{css}">{"".join(rows)}</table>{note}</div>'

    def stats_body(self):
        """The flow of a statistics page: a paragraph or heading now and then above one or two
        dense tables of figures."""
        rng = self.rng
        out = [self.h()] if rng.random() < 0.4 else []
        if rng.random() < 0.4:
            out.append(self.p())
        out.append(self.stats_table())
        if rng.random() < 0.3:
            out.append(self.stats_table())
        return "".join(out)

    def reference(self, n):
        """One entry of a list of references: authors, year, title, journal, volume and pages."""
        rng, src = self.rng, self.src
        authors = ", ".join(f"{rng.choice(LAST)}, {rng.choice('ABCDEFGHJKLMNPRSTW')}." for _ in range(rng.randint(1, 4)))
        mark = rng.choice([f"[{n}] ", f"{n}. ", ""])
        return (f"{mark}{authors} ({rng.randint(1970, 2024)}). {src.title(3, 10)}. {src.title(1, 4)}, "
                f"{rng.randint(1, 80)}({rng.randint(1, 12)}), {rng.randint(1, 400)}-{rng.randint(401, 900)}.")

    def prose_body(self):
        """A page with no table: running paragraphs, bulleted and numbered lists, lists of
        references and lines of sentences one under the other, for the detector to learn that
        columns of text are not tables."""
        rng = self.rng
        out = [self.h()] if rng.random() < 0.5 else []
        for _ in range(rng.randint(3, 9)):
            x = rng.random()
            if x < 0.35:
                out.append(self.p())
            elif x < 0.55:
                out.append(self.lst())
            elif x < 0.75:
                items = "".join(f'<div data-l="listItem" data-tight="1" style="padding-left:2em;text-indent:-2em;margin:0.2em 0">'
                                f'{self.e(self.reference(i + 1))}</div>' for i in range(rng.randint(4, 14)))
                out.append(f'<div class="blk">{self.h() if rng.random() < 0.6 else ""}{items}</div>')
            elif x < 0.9:
                out.append("".join(f'<div data-l="text" data-tight="1" style="margin:0.15em 0">{self.e(self.src.sentence(6, 16))}</div>'
                                   for _ in range(rng.randint(3, 10))))
            else:
                out.append(self.h())
        return "".join(out)

    def onepage_body(self):
        """A one-page document: a large title at the very top of the page, then a few lines,
        paragraphs, a list or a small table."""
        rng = self.rng
        size = rng.uniform(1.5, 2.8)
        align = rng.choice(["center", "left", "left"])
        out = [f'<div class="blk" style="text-align:{align};margin-top:0"><div data-l="title" data-tight="1" '
               f'style="font-size:{size:.1f}em;font-weight:{rng.choice(["bold", "bold", "normal"])};font-family:\'{self.head_font}\'">'
               f'{self.e(self.src.title(1, 7))}</div></div>']
        if rng.random() < 0.3:
            out.append(self.kv())
        makers = [(self.p, 40), (self.h, 10), (self.lst, 15), (self.report_table, 10)]
        fns, ws = zip(*makers)
        out += [rng.choices(fns, weights=ws)[0]() for _ in range(rng.randint(1, 6))]
        return "".join(out)

    def source_note(self, longest):
        """The note under a table ("Source: ...")."""
        return (f'<div class="note" data-l="footnote" data-tight="1">{self.rng.choice(["Source: ", "Note: ", "* "])}'
                f'{self.e(self.src.sentence(4, longest))}</div>')

    def svg_chart(self, w, h):
        rng = self.rng
        n = rng.randint(4, 12)
        parts = [f'<svg width="{w:.0f}" height="{h:.0f}" xmlns="http://www.w3.org/2000/svg">',
                 f'<line x1="30" y1="{h - 20:.0f}" x2="{w - 5:.0f}" y2="{h - 20:.0f}" stroke="#000"/>',
                 f'<line x1="30" y1="5" x2="30" y2="{h - 20:.0f}" stroke="#000"/>']
        col = rng.choice(["#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#555", "#4472c4"])
        kind = rng.choice(["bar", "line"])
        pts = []
        for i in range(n):
            x = 30 + (w - 40) * (i + 0.5) / n
            v = rng.uniform(0.1, 0.95) * (h - 30)
            pts.append((x, h - 20 - v))
            if kind == "bar":
                parts.append(f'<rect x="{x - (w - 40) / n * 0.35:.1f}" y="{h - 20 - v:.1f}" width="{(w - 40) / n * 0.7:.1f}" '
                             f'height="{v:.1f}" fill="{col}"/>')
            parts.append(f'<text x="{x:.1f}" y="{h - 6:.0f}" font-size="8" text-anchor="middle">{i + 1}</text>')
        if kind == "line":
            parts.append(f'<polyline fill="none" stroke="{col}" stroke-width="2" points="'
                         + " ".join(f"{x:.1f},{y:.1f}" for x, y in pts) + '"/>')
        for k in range(4):
            y = h - 20 - (h - 30) * k / 3
            parts.append(f'<text x="26" y="{y + 3:.0f}" font-size="8" text-anchor="end">{k * 25}</text>')
        parts.append("</svg>")
        return "".join(parts)

    def figure(self, colw):
        rng = self.rng
        w = colw * rng.uniform(0.5, 0.95)
        h = w * rng.uniform(0.4, 0.8)
        if rng.random() < 0.6:
            pic = self.svg_chart(w, h)
        else:
            stops = ",".join(f"hsl({rng.randint(0, 360)},{rng.randint(20, 80)}%,{rng.randint(20, 80)}%)" for _ in range(3))
            pic = f'<div style="width:{w:.0f}px;height:{h:.0f}px;background:linear-gradient({rng.randint(0, 360)}deg,{stops})"></div>'
        cap = self.caption("fig") if rng.random() < 0.85 else ""
        align = rng.choice(["center", "left"])
        return f'<div class="blk" style="text-align:{align}"><div data-l="picture" style="display:inline-block">{pic}</div>{cap}</div>'

    def formula(self):
        rng = self.rng
        v = lambda: f"<mi>{rng.choice('xyzabnkt')}</mi>"  # noqa: E731
        terms = []
        for _ in range(rng.randint(2, 5)):
            r = rng.random()
            if r < 0.3:
                terms.append(f"<mfrac><mrow>{v()}<mo>+</mo><mn>{rng.randint(1, 9)}</mn></mrow><mrow>{v()}</mrow></mfrac>")
            elif r < 0.5:
                terms.append(f"<msup>{v()}<mn>{rng.randint(2, 4)}</mn></msup>")
            elif r < 0.65:
                terms.append(f"<munderover><mo>∑</mo><mrow><mi>i</mi><mo>=</mo><mn>1</mn></mrow><mi>n</mi></munderover>{v()}")
            elif r < 0.8:
                terms.append(f"<msqrt>{v()}<mo>+</mo>{v()}</msqrt>")
            else:
                terms.append(f"<mi>{rng.choice('αβγλμσθ')}</mi>")
            terms.append(f"<mo>{rng.choice(['+', '−', '·', '='])}</mo>")
        math = f"<math display=\"block\"><mrow>{v()}<mo>=</mo>{''.join(terms[:-1])}</mrow></math>"
        self.counters["eq"] += 1
        num = f'<span style="position:absolute;right:0;top:35%">({self.counters["eq"]})</span>' if rng.random() < 0.6 else ""
        return f'<div class="blk" style="position:relative"><div data-l="formula" style="display:inline-block;margin:0 auto">{math}</div>{num}</div>'

    def code(self):
        rng = self.rng
        lines = "\n".join(html.escape(x) for x in code_lines(rng, rng.randint(3, 14)))
        bg = rng.choice(["transparent", "#f5f5f5", "#f0f0f0", "#eef"])
        return (f'<pre data-l="code" style="font-family:\'{rng.choice(MONO)}\';font-size:{rng.uniform(0.75, 0.95):.2f}em;'
                f'background:{bg};padding:{rng.uniform(0, 6):.0f}px;margin:0.6em 0">{lines}</pre>')

    def toc(self):
        rng = self.rng
        rows = []
        pg = rng.randint(1, 9)
        for i in range(rng.randint(5, 20)):
            pg += rng.randint(0, 5)
            indent = rng.random() < 0.5 and i > 0
            rows.append(f'<div style="display:flex;padding-left:{1.5 if indent else 0}em"><span>{self.e(self.src.title(1, 6))}'
                        f'</span><span style="flex:1;border-bottom:1px dotted #000;margin:0 4px 4px"></span><span>{pg}</span></div>')
        return f'<div class="blk" data-l="documentIndex">{"".join(rows)}</div>'

    def kv(self):
        rng = self.rng
        rows = "".join(f'<div><span data-l="text" data-tight="1"><b>{self.e(rng.choice(["Date", "Invoice No.", "Customer", "Account", "Reference", "Amount", "Status", self.src.title(1, 2)]))}:</b> '
                       f'{self.e(rng.choice([self.src.date(), self.src.name(), self.src.number("money")]))}</span></div>'
                       for _ in range(rng.randint(2, 7)))
        return f'<div class="blk"><div data-l="keyValueRegion" style="display:inline-block">{rows}</div></div>'

    def form(self):
        rng = self.rng
        parts = []
        for _ in range(rng.randint(3, 8)):
            if rng.random() < 0.6:
                parts.append(f'<div style="margin:6px 0"><span data-l="text" data-tight="1">{self.e(self.src.title(1, 3))}:</span> '
                             f'<span style="display:inline-block;width:{rng.randint(80, 220)}px;border-bottom:1px solid #000">&nbsp;</span></div>')
            else:
                boxes = []
                for _ in range(rng.randint(2, 4)):
                    checked = rng.random() < 0.4
                    label = "checkboxSelected" if checked else "checkboxUnselected"
                    boxes.append(f'<span data-l="{label}" style="display:inline-block;margin-right:12px">'
                                 f'<input type="checkbox" {"checked" if checked else ""} style="margin:0 4px 0 0;vertical-align:middle">'
                                 f'{self.e(self.src.words(rng.randint(1, 3)))}</span>')
                parts.append(f'<div style="margin:6px 0">{"".join(boxes)}</div>')
        return f'<div class="blk"><div data-l="form" style="display:inline-block;min-width:60%">{"".join(parts)}</div></div>'

    def title(self):
        rng = self.rng
        align = rng.choice(["center", "left"])
        authors = ", ".join(self.src.name() for _ in range(rng.randint(1, 4)))
        return (f'<div class="blk" style="text-align:{align}"><h1 data-l="title" data-tight="1" style="font-size:{rng.uniform(1.6, 2.6):.1f}em">'
                f'{self.e(self.src.title(3, 12))}</h1><div data-l="text" data-tight="1">{self.e(authors)}</div></div>')

    def flow(self, colw, wide):
        rng = self.rng
        makers = [(self.p, 40), (self.h, 9), (self.lst, 7), (lambda: self.table(wide), 10), (lambda: self.figure(colw), 6),
                  (self.formula, 3), (self.code, 3), (self.toc, 1), (self.kv, 1.5), (self.form, 1)]
        fns, ws = zip(*makers)
        return "".join(rng.choices(fns, weights=ws)[0]() for _ in range(rng.randint(14, 28)))

    def render(self):
        rng = self.rng
        ml, mt = rng.uniform(25, 80), rng.uniform(25, 70)
        mb = rng.uniform(30, 70)
        ncol = rng.choices([1, 2, 3], weights=[55, 38, 7])[0]
        rest = max(0.0, 1 - self.listing - self.reports - self.stats - self.prose - self.onepage)
        kind = rng.choices(["article", "tables", "listing", "report", "stats", "prose", "onepage"],
                           weights=[75 * rest, 25 * rest, 100 * self.listing, 100 * self.reports, 100 * self.stats,
                                    100 * self.prose, 100 * self.onepage])[0]
        inner = self.width - 2 * ml
        gap = rng.uniform(12, 28)
        colw = (inner - gap * (ncol - 1)) / ncol
        header = ""
        if kind != "onepage" and rng.random() < 0.7:
            header = (f'<div class="hdr" style="top:{mt * 0.45:.0f}px;left:{ml:.0f}px;right:{ml:.0f}px">'
                      f'<span data-l="pageHeader" data-tight="1">{self.e(self.src.title(2, 6))}</span>'
                      f'<span data-l="pageHeader" data-tight="1">{rng.randint(1, 300)}</span></div>')
        footer = ""
        if rng.random() < 0.75:
            just = rng.choice(["center", "flex-end", "space-between"])
            extra = f'<span data-l="pageFooter" data-tight="1">{self.e(self.src.title(1, 4))}</span>' if just == "space-between" else ""
            footer = (f'<div class="ftr" style="bottom:{mb * 0.35:.0f}px;left:{ml:.0f}px;right:{ml:.0f}px;justify-content:{just}">'
                      f'{extra}<span data-l="pageFooter" data-tight="1">{rng.choice(["", "Page "])}{rng.randint(1, 300)}</span></div>')
        notes = ""
        if rng.random() < 0.2:
            notes = "".join(f'<div data-l="footnote" data-tight="1"><sup>{i + 1}</sup> {self.e(self.src.sentence(4, 25))}</div>'
                            for i in range(rng.randint(1, 3)))
            notes = f'<div class="fns" style="left:{ml:.0f}px;right:{ml:.0f}px;bottom:{mb:.0f}px">{notes}</div>'
            mb += 60
        top = ""
        if kind == "article" and rng.random() < 0.25:
            top = self.title()
        if kind == "listing":
            body = f'<div class="flow">{self.report_body()}</div>'
        elif kind == "report":
            body = f'<div class="flow">{self.report_flow()}</div>'
        elif kind == "stats":
            body = f'<div class="flow">{self.stats_body()}</div>'
        elif kind == "prose":
            body = f'<div class="flow">{self.prose_body()}</div>'
        elif kind == "onepage":
            body = f'<div class="flow">{self.onepage_body()}</div>'
        elif kind == "tables":
            body = f'<div class="flow">{top}{self.h() if rng.random() < 0.5 else ""}' + "".join(
                self.table(True) + (self.p() if rng.random() < 0.4 else "") for _ in range(rng.randint(1, 3))) + "</div>"
        else:
            cols = "".join(f'<div class="flow" style="width:{colw:.1f}px">{self.flow(colw, ncol == 1)}</div>' for _ in range(ncol))
            body = f'<div class="flow">{top}</div><div style="display:flex;gap:{gap:.1f}px;align-items:flex-start">{cols}</div>'
            body = body.replace('<div class="flow">', '<div class="flow" style="width:100%">', 1)
        justify = "justify" if rng.random() < 0.55 else "left"
        page_bg = "#fff"
        if kind == "listing" and rng.random() < 0.1:
            page_bg = rng.choice(["#eef3e2", "#fdf5e6", "#eaf1fb", "#f4f4f4"])
        style = (f"width:{self.width}px;height:{self.height}px;padding:{mt:.0f}px {ml:.0f}px {mb:.0f}px {ml:.0f}px;"
                 f"font-family:'{self.font}';font-size:{self.size:.1f}px;line-height:{rng.uniform(1.1, 1.45):.2f};"
                 f"color:{self.colour};text-align:{justify};background:{page_bg}")
        return (f'<div class="page" data-mb="{mb:.0f}" style="{style}">{header}{body}{notes}{footer}'
                f'<style>.page h1,.page h2,.page h3,.page h4{{font-family:\'{self.head_font}\';color:{self.accent}}}</style></div>')


def batch_html(pages, width, height):
    css = (f"body{{margin:0;background:#fff}} .page{{box-sizing:border-box;position:relative;overflow:hidden;background:#fff}}"
           f" .hdr,.ftr{{position:absolute;display:flex;justify-content:space-between;font-size:0.85em}}"
           f" .fns{{position:absolute;font-size:0.8em;border-top:1px solid #000;padding-top:2px}}"
           f" .cap{{font-size:0.9em;margin:0.3em 0}} .note{{font-size:0.75em}} .blk{{margin:0.6em 0}}"
           f" p{{margin:0 0 0.5em}} h1,h2,h3,h4{{margin:0.6em 0 0.3em}} table{{margin:0.3em 0}}")
    return f"<!DOCTYPE html><html><head><meta charset='utf-8'><style>{css}</style></head><body>" + \
        "".join(p.render() for p in pages) + SCRIPT + "</body></html>"


def chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("chromium is not installed (tools/modelkit/setup installs it)")


def render_batch(out, seeds, width, height, timeout=180, listing=0.0, reports=0.0, stats=0.0, prose=0.0, onepage=0.0):
    pages = [HtmlPage(s, width, height, listing, reports, stats, prose, onepage) for s in seeds]
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "batch.html")
        with open(path, "w") as f:
            f.write(batch_html(pages, width, height))
        size = f"--window-size={width},{height * len(pages)}"
        base = [chromium(), *CHROMIUM_FLAGS, f"--user-data-dir={os.path.join(tmp, 'profile')}", size]
        shot = os.path.join(tmp, "shot.png")
        subprocess.run(base + [f"--screenshot={shot}", "file://" + path], check=True, timeout=timeout,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        dom = subprocess.run(base + ["--dump-dom", "file://" + path], check=True, timeout=timeout,
                             capture_output=True, text=True).stdout
        m = re.search(r'<script type="application/json" id="truth">(.*?)</script>', dom, re.S)
        truths = json.loads(html.unescape(m.group(1)))
        image = Image.open(shot).convert("RGB")
    for k, (seed, truth) in enumerate(zip(seeds, truths)):
        page = image.crop((0, k * height, width, (k + 1) * height))
        regions = []
        for r in truth["regions"]:
            l, t, rr, b = r["box"]
            l, t, rr, b = max(0, l), max(0, t), min(width, rr), min(height, b)
            if rr - l >= 2 and b - t >= 2:
                regions.append({"label": r["label"], "box": [l, t, rr, b]})
        page.save(os.path.join(out, f"h{seed}.png"))
        with open(os.path.join(out, f"h{seed}.json"), "w") as f:
            json.dump({"width": width, "height": height, "regions": regions, "tables": []}, f)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--batches", type=int, default=10)
    p.add_argument("--per-batch", type=int, default=10)
    p.add_argument("--start", type=int, default=0)
    p.add_argument("--listing", type=float, default=0.0, help="share of listing pages (dense tables filling the page)")
    p.add_argument("--reports", type=float, default=0.0,
                   help="share of report pages (captioned tables of four to six columns filling the width, small ruled grids, lists)")
    p.add_argument("--stats", type=float, default=0.0,
                   help="share of statistics pages (dense tables of many short numeric rows under a caption)")
    p.add_argument("--prose", type=float, default=0.0,
                   help="share of pages without tables (paragraphs, lists, references, lines of sentences)")
    p.add_argument("--onepage", type=float, default=0.0,
                   help="share of one-page documents (a large title at the top, no page header)")
    a = p.parse_args()
    os.makedirs(a.out, exist_ok=True)
    sizes = [(612, 792), (595, 842), (792, 612), (842, 595)]
    for b in range(a.batches):
        seed0 = a.start + b * a.per_batch
        w, h = random.Random(seed0).choices(sizes, weights=[10, 10, 3, 3])[0]
        render_batch(a.out, list(range(seed0, seed0 + a.per_batch)), w, h, listing=a.listing, reports=a.reports,
                     stats=a.stats, prose=a.prose, onepage=a.onepage)
        print(f"batch {b + 1}/{a.batches}", flush=True)


if __name__ == "__main__":
    main()
