"""Tables drawn onto a page with their structure as ground truth.

`draw_table` lays out a random grid (header rows with column spans, an optional
row-header column with row spans, text and numeric columns) in one of several
styles and returns the drawn box, the OTSL tokens and the cells (grid box, row,
column, spans, text, header flag), or None when the table does not fit.
"""
from .fonts import font


def _grid(rng, src, n_rows, n_cols, header_rows):
    """cells[r][c] = dict(text, rs, cs) for cell starts, ('cont', r0, c0) for covered positions."""
    cells = [[None] * n_cols for _ in range(n_rows)]
    kinds = [rng.choice(["int", "float", "money", "pct", "big", "neg", "word"]) for _ in range(n_cols)]
    kinds[0] = "label" if rng.random() < 0.85 else kinds[0]
    section_rows = rng.random() < 0.25
    for r in range(n_rows):
        c = 0
        while c < n_cols:
            if cells[r][c] is not None:
                c += 1
                continue
            cs = rs = 1
            if r < header_rows - 1 and c > 0 and rng.random() < 0.5:
                cs = min(n_cols - c, rng.randint(2, 4))
            elif r >= header_rows and c == 0 and rng.random() < 0.08:
                rs = min(n_rows - r, rng.randint(2, 3))
            elif r >= header_rows and c == 0 and section_rows and rng.random() < 0.08:
                cs = n_cols
            elif r >= header_rows and rng.random() < 0.02:
                cs = min(n_cols - c, 2)
            if any(cells[r + i][c + j] is not None for i in range(rs) for j in range(cs)):
                cs = rs = 1
            if cs == n_cols and n_cols > 1:
                text = src.title(1, 4)
            elif r < header_rows:
                text = src.title(1, 3) if rng.random() < 0.8 else src.words(rng.randint(1, 4))
                if c == 0 and rng.random() < 0.3:
                    text = ""
            elif kinds[c] == "label":
                text = src.title(1, 5) if rng.random() < 0.6 else src.words(rng.randint(1, 5)).capitalize()
            elif kinds[c] == "word":
                text = src.words(rng.randint(1, 3)) if rng.random() < 0.9 else ""
            else:
                text = src.number(kinds[c]) if rng.random() < 0.93 else (src.number("dash") if rng.random() < 0.6 else "")
            cells[r][c] = {"text": text, "rs": rs, "cs": cs}
            for i in range(rs):
                for j in range(cs):
                    if i or j:
                        cells[r + i][c + j] = ("cont", r, c)
            c += cs
    return cells, kinds


def otsl_tokens(cells, header_rows, row_header):
    tokens = []
    for r, row in enumerate(cells):
        for c, cell in enumerate(row):
            if isinstance(cell, tuple):
                _, r0, c0 = cell
                tokens.append("xcel" if (r0 < r and c0 < c) else ("ucel" if r0 < r else "lcel"))
            elif r < header_rows:
                tokens.append("ched")
            elif row_header and c == 0 and cell["text"]:
                tokens.append("rhed")
            else:
                tokens.append("fcel" if cell["text"] else "ecel")
        tokens.append("nl")
    return tokens


def draw_table(page, x0, y0, max_w, max_h, family, size, style=None, depth=0):
    rng, src, draw = page.rng, page.src, page.draw
    n_cols = rng.randint(2, 14 if max_w > 450 else 7)
    n_rows = rng.randint(3, 45 if size < 8 else (30 if size < 9 else 18))
    header_rows = rng.choice([0, 1, 1, 1, 2, 2]) if n_rows > 3 else 1
    style = style or rng.choice(["grid", "grid", "hlines", "hlines", "booktabs", "none", "striped", "header", "box",
                                 "dense", "colour", "vlines"])
    if style == "dense":
        size = min(size, rng.uniform(5.5, 7.5))
        n_rows = rng.randint(15, 50)
    pad_x = rng.uniform(2, 8) * size / 10
    pad_y = rng.uniform(1, 5) * size / 10
    f_body = font(family.face(), size)
    f_head = font(family.face(bold=rng.random() < 0.7), size)
    cells, kinds = _grid(rng, src, n_rows, n_cols, header_rows)
    row_header = rng.random() < 0.3

    # Column widths from single-column cells; long label texts wrap onto two lines at most.
    widths = [0.0] * n_cols
    for r in range(n_rows):
        for c in range(n_cols):
            cell = cells[r][c]
            if isinstance(cell, dict) and cell["cs"] == 1:
                f = f_head if r < header_rows else f_body
                widths[c] = max(widths[c], f.getlength(cell["text"]) + 2 * pad_x)
    widths = [max(w, size * 2) for w in widths]
    total = sum(widths)
    if total > max_w:
        # Too wide: a smaller type size, else fewer columns, else nothing.
        smaller = size * max_w / total * 0.97
        if smaller >= 5.5 and depth < 3:
            return draw_table(page, x0, y0, max_w, max_h, family, smaller, style, depth + 1)
        if depth < 3:
            return None
        widths = [w * max_w / total for w in widths]
    elif rng.random() < 0.5:
        extra = (max_w - total) * rng.uniform(0.2, 1.0)
        widths = [w + extra / n_cols for w in widths]
    line_h = size * rng.uniform(1.15, 1.4)

    def wrap(text, f, width):
        if f.getlength(text) <= width:
            return [text]
        lines, cur = [], ""
        for w in text.split():
            t = (cur + " " + w).strip()
            if f.getlength(t) <= width or not cur:
                cur = t
            else:
                lines.append(cur)
                cur = w
        lines.append(cur)
        return lines

    layout = {}
    row_h = [line_h + 2 * pad_y] * n_rows
    for r in range(n_rows):
        for c in range(n_cols):
            cell = cells[r][c]
            if not isinstance(cell, dict):
                continue
            f = f_head if r < header_rows else f_body
            width = sum(widths[c:c + cell["cs"]]) - 2 * pad_x
            lines = wrap(cell["text"], f, width) if cell["text"] else []
            layout[(r, c)] = (lines, f)
            if cell["rs"] == 1:
                row_h[r] = max(row_h[r], len(lines) * line_h + 2 * pad_y)
    if header_rows == 0 and style in ("header",):
        style = "grid"
    xs = [x0]
    for w in widths:
        xs.append(xs[-1] + w)
    ys = [y0]
    for h in row_h:
        ys.append(ys[-1] + h)
    if ys[-1] - y0 > max_h:
        # Cut rows that do not fit (keep at least three).
        keep = max((i for i in range(len(ys)) if ys[i] - y0 <= max_h), default=0)
        if keep < max(3, header_rows + 2):
            return None
        n_rows = keep
        cells = cells[:n_rows]
        for r in range(n_rows):
            for c in range(n_cols):
                cell = cells[r][c]
                if isinstance(cell, dict) and r + cell["rs"] > n_rows:
                    cell["rs"] = n_rows - r
        ys = ys[:n_rows + 1]
    x1, y1 = xs[-1], ys[-1]
    ink = page.ink()
    rule = page.rule_colour()
    lw = 1 if rng.random() < 0.8 else 2

    # Fills first, then rules, then text.
    if style in ("header", "striped") or rng.random() < 0.15:
        head_fill = page.fill_colour(dark=style == "header" and rng.random() < 0.5)
        if header_rows:
            draw.rectangle([x0, y0, x1, ys[header_rows]], fill=head_fill)
        if style == "striped" or rng.random() < 0.3:
            stripe = page.fill_colour()
            for r in range(header_rows, n_rows, 2):
                draw.rectangle([x0, ys[r], x1, ys[r + 1]], fill=stripe)
        if sum(head_fill) < 300:
            ink_head = (255, 255, 255)
        else:
            ink_head = ink
    else:
        ink_head = ink
    if style == "colour":
        base = page.fill_colour(dark=True)
        for r in range(n_rows):
            for c in range(n_cols):
                cell = cells[r][c]
                if not isinstance(cell, dict):
                    continue
                if r < header_rows:
                    col = base
                elif c == 0 or rng.random() < 0.3:
                    col = page.fill_colour()
                else:
                    k = rng.uniform(0.15, 0.85)
                    col = tuple(int(255 - (255 - v) * k) for v in rng.choice([(214, 39, 40), (44, 160, 44),
                                                                               (31, 119, 180), (255, 190, 0)]))
                draw.rectangle([xs[c], ys[r], xs[c + cell["cs"]], ys[min(r + cell["rs"], n_rows)]], fill=col)
        ink_head = (255, 255, 255)
        if rng.random() < 0.6:
            style = "grid"
    if rng.random() < 0.15:
        # Highlighted rows (marker colours), as in spreadsheets printed to PDF.
        mark = rng.choice([(0, 255, 255), (255, 255, 0), (204, 255, 204), (255, 204, 153), (189, 215, 238)])
        for r in range(header_rows, n_rows):
            if rng.random() < 0.3:
                draw.rectangle([x0, ys[r], x1, ys[r + 1]], fill=mark)
    if style in ("grid", "dense", "header") and rng.random() < 0.85:
        for r in range(n_rows + 1):
            for c in range(n_cols):
                covered = 0 < r < n_rows and isinstance(cells[r][c], tuple) and cells[r][c][1] < r
                if not covered:
                    draw.line([xs[c], ys[r], xs[c + 1], ys[r]], fill=rule, width=lw)
        for c in range(n_cols + 1):
            for r in range(n_rows):
                covered = 0 < c < n_cols and isinstance(cells[r][c], tuple) and cells[r][c][2] < c
                if not covered:
                    draw.line([xs[c], ys[r], xs[c], ys[r + 1]], fill=rule, width=lw)
    elif style in ("hlines", "striped"):
        for r in range(n_rows + 1):
            if r in (0, header_rows, n_rows) or rng.random() < 0.5:
                draw.line([x0, ys[r], x1, ys[r]], fill=rule, width=lw)
    elif style == "vlines":
        for c in range(1, n_cols):
            draw.line([xs[c], y0, xs[c], y1], fill=rule, width=lw)
        if header_rows:
            draw.line([x0, ys[header_rows], x1, ys[header_rows]], fill=rule, width=lw)
    elif style == "booktabs":
        draw.line([x0, y0, x1, y0], fill=rule, width=2)
        if header_rows:
            draw.line([x0, ys[header_rows], x1, ys[header_rows]], fill=rule, width=1)
        draw.line([x0, y1, x1, y1], fill=rule, width=2)
    elif style == "box":
        draw.rectangle([x0, y0, x1, y1], outline=rule, width=lw)
        if header_rows:
            draw.line([x0, ys[header_rows], x1, ys[header_rows]], fill=rule, width=lw)
    out_cells = []
    aligns = ["right" if k not in ("label", "word") and rng.random() < 0.7 else rng.choice(["left", "center"])
              for k in kinds]
    leaders = rng.random() < 0.15
    for (r, c), (lines, f) in layout.items():
        if r >= n_rows:
            continue
        cell = cells[r][c]
        cx0, cx1 = xs[c], xs[c + cell["cs"]]
        cy0, cy1 = ys[r], ys[r + cell["rs"]]
        out_cells.append({"box": [cx0, cy0, cx1, cy1], "row": r, "col": c, "rowspan": cell["rs"],
                          "colspan": cell["cs"], "text": " ".join(lines), "header": r < header_rows})
        if not lines:
            continue
        ty = cy0 + (cy1 - cy0 - len(lines) * line_h) / 2
        align = "center" if r < header_rows and cell["cs"] > 1 else aligns[c]
        colour = ink_head if r < header_rows else ink
        for line in lines:
            w = f.getlength(line)
            if align == "left" or (c == 0 and r >= header_rows):
                tx = cx0 + pad_x + (size if c == 0 and r >= header_rows and rng.random() < 0.15 else 0)
            elif align == "right":
                tx = cx1 - pad_x - w
            else:
                tx = (cx0 + cx1 - w) / 2
            draw.text((tx, ty), line, font=f, fill=colour)
            if leaders and c == 0 and r >= header_rows and cell["cs"] == 1:
                lx = tx + w + 2
                dot = f.getlength(".")
                if cx1 - pad_x - lx > 3 * dot:
                    draw.text((lx, ty), "." * int((cx1 - pad_x - lx) / max(dot, 1)), font=f, fill=colour)
            ty += line_h
    tokens = otsl_tokens(cells[:n_rows], header_rows, row_header)
    return {"box": [x0, y0, x1 + lw - 1, y1 + lw - 1], "otsl": tokens, "cells": out_cells,
            "rows": n_rows, "cols": n_cols}
