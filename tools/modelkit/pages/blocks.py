"""Page blocks (paragraphs, headings, lists, tables, figures, formulas, code, contents,
forms, key-value regions, checkboxes, footnotes, running headers and footers) and the
composition of a whole page from them.

Every block function takes (page, x, width, y, ymax), draws at most down to ymax, records
its regions on the page and returns the new y (None when nothing fitted).
"""
from .fonts import font, symbol_font_path
from .pictures import logo, random_picture
from .tables import draw_table
from .text import FUNCS, GREEK, OPS, code_lines


def union(boxes):
    boxes = [b for b in boxes if b]
    if not boxes:
        return None
    return [min(b[0] for b in boxes), min(b[1] for b in boxes), max(b[2] for b in boxes), max(b[3] for b in boxes)]


def wrap(text, f, width, indent=0.0):
    lines, cur = [], []
    limit = width - indent
    cur_w = 0.0
    space = f.getlength(" ")
    for w in text.split():
        ww = f.getlength(w)
        if cur and cur_w + space + ww > limit:
            lines.append(cur)
            cur, cur_w, limit = [w], ww, width
        else:
            cur_w += (space if cur else 0) + ww
            cur.append(w)
    if cur:
        lines.append(cur)
    return lines


def draw_text(page, x, y, width, text, f, lh, ymax, justify=False, colour=None, indent=0.0, hang=0.0, align="left",
              max_lines=None):
    """Draws wrapped text; returns (ink box or None, new y). Stops at ymax (at least one line)."""
    d = page.draw
    colour = colour or (0, 0, 0)
    lines = wrap(text, f, width - hang, indent)
    n = len(lines)
    if max_lines:
        n = min(n, max_lines)
    fit = int((ymax - y) // lh)
    if fit < 1:
        return None, y
    n = min(n, fit)
    boxes = []
    space = f.getlength(" ")
    for i, words in enumerate(lines[:n]):
        lx = x + (indent if i == 0 else hang)
        avail = width - (indent if i == 0 else hang)
        line = " ".join(words)
        if justify and i < len(lines) - 1 and len(words) > 1:
            gaps = len(words) - 1
            extra = (avail - sum(f.getlength(w) for w in words)) / gaps
            if extra < space * 3:
                cx = lx
                for w in words:
                    d.text((cx, y), w, font=f, fill=colour)
                    cx += f.getlength(w) + extra
                boxes.append(union([d.textbbox((lx, y), words[0], font=f),
                                    d.textbbox((cx - extra - f.getlength(words[-1]), y), words[-1], font=f)]))
                y += lh
                continue
        lw = f.getlength(line)
        if align == "center":
            lx = x + (width - lw) / 2
        elif align == "right":
            lx = x + width - lw
        d.text((lx, y), line, font=f, fill=colour)
        boxes.append(d.textbbox((lx, y), line, font=f))
        y += lh
    return union(boxes), y


def body_font(page, bold=False, italic=False, scale=1.0):
    return font(page.body.face(bold, italic), page.size * scale)


def line_height(page, scale=1.0):
    return page.size * scale * page.leading


def paragraph(page, x, w, y, ymax):
    rng = page.rng
    f = body_font(page)
    indent = page.size * rng.uniform(1, 2.5) if rng.random() < 0.4 else 0
    box, ny = draw_text(page, x, y, w, page.src.paragraph(1, 6), f, line_height(page), ymax, page.justify,
                        page.ink() if rng.random() < 0.2 else (0, 0, 0), indent)
    if box is None:
        return None
    page.add("text", box, tighten=False)
    return ny + page.size * rng.uniform(0.3, 1.0)


def boxed_text(page, x, w, y, ymax):
    """A paragraph or two on a tinted panel (sidebars, call-outs); the regions are the text only."""
    rng = page.rng
    pad = page.size * rng.uniform(0.6, 1.5)
    f = body_font(page, scale=rng.uniform(0.85, 1.0))
    lh = f.size * page.leading
    text = page.src.paragraph(1, 4)
    n = len(wrap(text, f, w - 2 * pad))
    h = min(n * lh, ymax - y - 2 * pad)
    if h < lh * 2:
        return None
    fill = page.fill_colour()
    page.draw.rectangle([x, y, x + w, y + h + 2 * pad], fill=fill, outline=page.accent if rng.random() < 0.4 else None)
    box, ny = draw_text(page, x + pad, y + pad, w - 2 * pad, text, f, lh, y + pad + h + 1, page.justify)
    if box is None:
        return None
    page.add("text", box, tighten=False)
    return y + h + 2 * pad + page.size


def section_header(page, x, w, y, ymax):
    rng = page.rng
    scale = rng.uniform(1.0, 1.6)
    f = font(page.heading.face(bold=rng.random() < 0.85, italic=rng.random() < 0.1), page.size * scale)
    page.counters["section"] += 1
    text = page.src.title(1, 6)
    r = rng.random()
    if r < 0.4:
        text = f"{page.counters['section']}{'.' + str(rng.randint(1, 9)) if rng.random() < 0.5 else ''} {text}"
    elif r < 0.5:
        text = text.upper()
    elif r < 0.55:
        text = f"{'IVX'[rng.randint(0, 2)]}. {text.upper()}"
    y += page.size * rng.uniform(0.3, 1.2)
    if ymax - y < page.size * 6:
        return None
    box, ny = draw_text(page, x, y, w, text, f, page.size * scale * 1.25, ymax, colour=page.accent,
                        align="center" if rng.random() < 0.1 else "left", max_lines=2)
    if box is None:
        return None
    page.add("sectionHeader", box, tighten=False)
    return ny + page.size * rng.uniform(0.2, 0.6)


def list_block(page, x, w, y, ymax):
    rng = page.rng
    f = body_font(page)
    lh = line_height(page)
    kind = rng.choice(["•", "–", "▪", "num", "alpha", "(num)", "◦"])
    n = rng.randint(2, 7)
    left = x + (page.size * rng.uniform(0, 2) if rng.random() < 0.6 else 0)
    hang = page.size * rng.uniform(1.2, 2.2)
    placed = False
    gap = page.size * rng.uniform(0, 0.5)
    for i in range(n):
        marker = {"num": f"{i + 1}.", "alpha": f"{'abcdefgh'[i]})", "(num)": f"({i + 1})"}.get(kind, kind)
        text = page.src.sentence(3, 12) if rng.random() < 0.6 else page.src.paragraph(1, 2)
        if ymax - y < lh:
            break
        page.draw.text((left, y), marker, font=f, fill=(0, 0, 0))
        mbox = page.draw.textbbox((left, y), marker, font=f)
        box, y = draw_text(page, left + hang, y, x + w - left - hang, text, f, lh, ymax, page.justify)
        if box is None:
            break
        page.add("listItem", union([mbox, box]), tighten=False)
        placed = True
        y += gap
    return y + page.size * 0.5 if placed else None


def caption(page, x, w, y, ymax, kind):
    rng = page.rng
    page.counters[kind] += 1
    n = page.counters[kind]
    head = {"figure": rng.choice(["Figure", "Fig.", "FIGURE", "Chart", "Exhibit"]),
            "table": rng.choice(["Table", "TABLE", "Tab."])}[kind]
    text = f"{head} {n}{rng.choice(['.', ':', ' –', ''])} {page.src.sentence(3, 25)}"
    f = body_font(page, italic=rng.random() < 0.3, scale=rng.uniform(0.8, 1.0))
    box, ny = draw_text(page, x, y, w, text, f, f.size * page.leading, ymax,
                        align="center" if rng.random() < 0.4 else "left", max_lines=4)
    if box is None:
        return None
    page.add("caption", box, tighten=False)
    return ny


def figure(page, x, w, y, ymax):
    rng = page.rng
    pw = w * rng.uniform(0.5, 1.0)
    ph = pw * rng.uniform(0.4, 1.0)
    if ph > ymax - y - page.size * 3:
        ph = ymax - y - page.size * 3
    if ph < 40:
        return None
    px = x + (w - pw) * rng.choice([0.5, 0.5, 0, 1])
    pic = random_picture(rng, page.src, pw, ph, page.body if rng.random() < 0.5 else page.heading)
    page.image.paste(pic, (int(px), int(y)))
    if rng.random() < 0.2:
        page.draw.rectangle([int(px), int(y), int(px) + pic.width - 1, int(y) + pic.height - 1], outline=(0, 0, 0))
    box = page.tight([px, y, px + pic.width, y + pic.height]) or [px, y, px + pic.width, y + pic.height]
    page.add("picture", box, tighten=False)
    y += pic.height + page.size * rng.uniform(0.3, 1)
    if rng.random() < 0.85:
        ny = caption(page, x, w, y, ymax, "figure")
        y = ny if ny else y
    return y + page.size * rng.uniform(0.5, 1.5)


def table(page, x, w, y, ymax, style=None, size=None):
    rng = page.rng
    cap_above = rng.random() < 0.6
    with_cap = rng.random() < 0.75
    if with_cap and cap_above:
        ny = caption(page, x, w, y, ymax, "table")
        if ny is None:
            return None
        y = ny + page.size * 0.4
    fam = page.body if rng.random() < 0.6 else page.heading
    size = size or page.size * rng.uniform(0.75, 1.0)
    inset = rng.uniform(0, 0.1) * w if rng.random() < 0.3 else 0
    t = draw_table(page, x + inset, y, w - 2 * inset,
                   ymax - y - (page.size * 3 if with_cap and not cap_above else 0), fam, size, style)
    if t is None:
        return None
    box = page.tight(t["box"])
    if box is None:
        return None
    t["box"] = box
    page.add("table", box, tighten=False)
    page.tables.append(t)
    y = box[3] + page.size * rng.uniform(0.4, 1.0)
    if with_cap and not cap_above:
        ny = caption(page, x, w, y, ymax, "table")
        y = ny if ny else y
    if rng.random() < 0.25:
        f = body_font(page, scale=0.75)
        nbox, ny = draw_text(page, x, y, w, rng.choice(["Source: ", "Note: ", "* "]) + page.src.sentence(5, 20), f,
                             f.size * 1.2, ymax, max_lines=2)
        if nbox:
            page.add("footnote", nbox, tighten=False)
            y = ny
    return y + page.size * rng.uniform(0.5, 1.5)


def formula(page, x, w, y, ymax):
    rng = page.rng
    size = page.size * rng.uniform(1.0, 1.3)
    sym = font(symbol_font_path(), size)
    ital = font(page.body.face(italic=True), size)
    small = font(symbol_font_path(), size * 0.65)
    d = page.draw
    y += page.size * 0.5
    if ymax - y < size * 3.5:
        return None
    parts = []
    for _ in range(rng.randint(3, 9)):
        r = rng.random()
        if r < 0.35:
            parts.append(("v", rng.choice("xyzabcnkt" + GREEK), rng.random() < 0.4))
        elif r < 0.55:
            parts.append(("o", rng.choice(OPS), False))
        elif r < 0.7:
            parts.append(("f", rng.choice(FUNCS) + "(", False))
        elif r < 0.85:
            parts.append(("frac", None, False))
        else:
            parts.append(("big", rng.choice("∑∫∏√"), False))
    parts.insert(1, ("o", "=", False))
    # Measure, then draw centred.
    def width(p):
        k, s, sup = p
        if k == "frac":
            return size * 2.2
        if k == "big":
            return size * 1.3
        return (ital if k == "v" else sym).getlength(s) + size * 0.25 + (size * 0.5 if sup else 0)
    total = sum(width(p) for p in parts)
    if total > w * 0.9:
        parts = parts[:4]
        total = sum(width(p) for p in parts)
    cx = x + (w - total) / 2 if rng.random() < 0.8 else x + page.size * 2
    base = y + size * 0.9
    boxes = []
    for k, s, sup in parts:
        if k == "frac":
            num, den = str(rng.randint(1, 99)), rng.choice(["2", "n", "π", "k+1", "x²"])
            d.text((cx + size * 1.1, base - size * 0.15), num, font=sym, fill=(0, 0, 0), anchor="md")
            d.line([cx, base, cx + size * 2.1, base], fill=(0, 0, 0), width=1)
            d.text((cx + size * 1.1, base + size * 0.1), den, font=sym, fill=(0, 0, 0), anchor="ma")
            boxes.append([cx, base - size * 1.2, cx + size * 2.1, base + size * 1.2])
        elif k == "big":
            big = font(symbol_font_path(), size * 1.6)
            d.text((cx, base), s, font=big, fill=(0, 0, 0), anchor="lm")
            boxes.append(d.textbbox((cx, base), s, font=big, anchor="lm"))
            d.text((cx + size * 0.2, base + size * 0.9), "i=1", font=small, fill=(0, 0, 0), anchor="la")
        else:
            f = ital if k == "v" else sym
            d.text((cx, base), s, font=f, fill=(0, 0, 0), anchor="ls")
            boxes.append(d.textbbox((cx, base), s, font=f, anchor="ls"))
            if sup:
                sx = cx + f.getlength(s)
                d.text((sx, base - size * 0.45), rng.choice("2n3ik"), font=small, fill=(0, 0, 0), anchor="ls")
        cx += width((k, s, sup))
    if rng.random() < 0.6:
        page.counters["eq"] += 1
        num = f"({page.counters['eq']})"
        d.text((x + w - sym.getlength(num), base), num, font=sym, fill=(0, 0, 0), anchor="ls")
        boxes.append(d.textbbox((x + w - sym.getlength(num), base), num, font=sym, anchor="ls"))
    box = page.tight(union(boxes))
    if box is None:
        return None
    page.add("formula", box, tighten=False)
    return box[3] + page.size * rng.uniform(0.6, 1.5)


def code(page, x, w, y, ymax):
    rng = page.rng
    size = page.size * rng.uniform(0.8, 1.0)
    f = font(page.mono.face(), size)
    lh = size * rng.uniform(1.15, 1.4)
    n = min(rng.randint(3, 16), int((ymax - y) / lh) - 1)
    if n < 2:
        return None
    lines = code_lines(rng, n)
    shaded = rng.random() < 0.4
    pad = size * 0.6 if shaded else 0
    numbered = rng.random() < 0.2
    if shaded:
        page.draw.rectangle([x, y, x + w, y + n * lh + 2 * pad], fill=page.fill_colour())
    boxes = []
    for i, line in enumerate(lines):
        text = (f"{i + 1:>3}  " if numbered else "") + line
        while f.getlength(text) > w - 2 * pad and len(text) > 8:
            text = text[:-4]
        page.draw.text((x + pad, y + pad + i * lh), text, font=f, fill=(0, 0, 0))
        boxes.append(page.draw.textbbox((x + pad, y + pad + i * lh), text, font=f))
    box = [x, y, x + w, y + n * lh + 2 * pad] if shaded else union(boxes)
    page.add("code", box, tighten=False)
    return y + n * lh + 2 * pad + page.size * rng.uniform(0.6, 1.2)


def contents(page, x, w, y, ymax):
    rng = page.rng
    f = body_font(page)
    fb = body_font(page, bold=rng.random() < 0.5)
    lh = line_height(page) * rng.uniform(1.0, 1.4)
    n = min(rng.randint(5, 30), int((ymax - y) / lh))
    if n < 3:
        return None
    boxes = []
    chapter, pg = rng.randint(1, 3), rng.randint(1, 20)
    leaders = rng.random() < 0.7
    for i in range(n):
        sub = i > 0 and rng.random() < 0.6
        if not sub:
            chapter += 1
        pg += rng.randint(0, 6)
        label = f"{chapter}.{rng.randint(1, 9)} " if sub else f"{chapter} "
        if rng.random() < 0.2:
            label = ""
        text = label + page.src.title(1, 6)
        ff = f if sub else fb
        lx = x + (page.size * 1.5 if sub else 0)
        page.draw.text((lx, y), text, font=ff, fill=(0, 0, 0))
        num = str(pg)
        nx = x + w - ff.getlength(num)
        page.draw.text((nx, y), num, font=ff, fill=(0, 0, 0))
        if leaders:
            tx = lx + ff.getlength(text) + 3
            dot = ff.getlength(" .")
            k = int((nx - 3 - tx) / max(dot, 1))
            if k > 0:
                page.draw.text((tx, y), " ." * k, font=ff, fill=(0, 0, 0))
        boxes.append(page.draw.textbbox((lx, y), text, font=ff))
        boxes.append(page.draw.textbbox((nx, y), num, font=ff))
        y += lh
    page.add("documentIndex", union(boxes), tighten=False)
    return y + page.size


def checkbox(page, x, y, size, label_text, f, checked):
    d = page.draw
    s = size * page.rng.uniform(0.8, 1.1)
    top = y + (f.size - s) / 2 + f.size * 0.1
    if page.rng.random() < 0.8:
        d.rectangle([x, top, x + s, top + s], outline=(0, 0, 0), width=1)
    else:
        d.ellipse([x, top, x + s, top + s], outline=(0, 0, 0), width=1)
    if checked:
        m = page.rng.random()
        if m < 0.4:
            d.line([x + 2, top + 2, x + s - 2, top + s - 2], fill=(0, 0, 0), width=2)
            d.line([x + 2, top + s - 2, x + s - 2, top + 2], fill=(0, 0, 0), width=2)
        elif m < 0.75:
            d.line([x + s * 0.2, top + s * 0.5, x + s * 0.45, top + s * 0.8, x + s * 0.85, top + s * 0.15],
                   fill=(0, 0, 0), width=2)
        else:
            d.rectangle([x + s * 0.25, top + s * 0.25, x + s * 0.75, top + s * 0.75], fill=(0, 0, 0))
    lx = x + s + f.size * 0.4
    d.text((lx, y), label_text, font=f, fill=(0, 0, 0))
    tb = d.textbbox((lx, y), label_text, font=f)
    page.add("checkboxSelected" if checked else "checkboxUnselected", union([[x, top, x + s + 1, top + s + 1], tb]),
             tighten=False)
    return tb[2]


def checkbox_group(page, x, w, y, ymax, f=None):
    rng = page.rng
    f = f or body_font(page)
    lh = f.size * rng.uniform(1.5, 2.0)
    horizontal = rng.random() < 0.5
    n = rng.randint(2, 6)
    cx = x
    placed = False
    for _ in range(n):
        if y + lh > ymax:
            break
        text = page.src.words(rng.randint(1, 4)).capitalize()
        if horizontal and cx + f.getlength(text) + f.size * 2 > x + w:
            cx, y = x, y + lh
            if y + lh > ymax:
                break
        right = checkbox(page, cx, y, f.size, text, f, rng.random() < 0.4)
        placed = True
        if horizontal:
            cx = right + f.size * rng.uniform(1.5, 3)
        else:
            y += lh
    if horizontal:
        y += lh
    return y if placed else None


def form(page, x, w, y, ymax):
    rng = page.rng
    f = body_font(page, scale=rng.uniform(0.85, 1.0))
    fb = font(page.body.face(bold=True), f.size)
    d = page.draw
    start = y
    regions_before = len(page.regions)
    lh = f.size * rng.uniform(1.8, 2.6)
    boxed = rng.random() < 0.5
    n = rng.randint(3, 12)
    for _ in range(n):
        if y + lh > ymax:
            break
        r = rng.random()
        if r < 0.6:
            cols = rng.choice([1, 1, 2, 3])
            cw = w / cols
            for c in range(cols):
                label = page.src.title(1, 3) + rng.choice([":", "", ":"])
                lx = x + c * cw
                d.text((lx, y), label, font=fb if rng.random() < 0.4 else f, fill=(0, 0, 0))
                tb = d.textbbox((lx, y), label, font=f)
                fx0, fx1 = tb[2] + f.size * 0.5, lx + cw - f.size
                if fx1 - fx0 < f.size * 3:
                    continue
                if boxed:
                    d.rectangle([fx0, y - f.size * 0.3, fx1, y + f.size * 1.3], outline=(80, 80, 80))
                else:
                    d.line([fx0, y + f.size * 1.1, fx1, y + f.size * 1.1], fill=(0, 0, 0))
                boxes = [tb]
                if rng.random() < 0.5:
                    val = page.src.name() if rng.random() < 0.5 else page.src.date()
                    d.text((fx0 + f.size * 0.3, y), val, font=f, fill=(20, 20, 120))
                    boxes.append(d.textbbox((fx0 + f.size * 0.3, y), val, font=f))
                page.add("text", union(boxes), tighten=False)
            y += lh
        elif r < 0.85:
            q = page.src.sentence(3, 8)
            d.text((x, y), q, font=f, fill=(0, 0, 0))
            page.add("text", d.textbbox((x, y), q, font=f), tighten=False)
            y += f.size * 1.5
            ny = checkbox_group(page, x + f.size, w - f.size, y, ymax, f)
            y = ny if ny else y
        else:
            box, y = draw_text(page, x, y, w, page.src.sentence(8, 25), f, f.size * 1.3, ymax)
            if box:
                page.add("text", box, tighten=False)
            y += f.size * 0.5
    inner = [r["box"] for r in page.regions[regions_before:]]
    if len(inner) < 2:
        del page.regions[regions_before:]
        return None
    box = union(inner)
    if rng.random() < 0.3:
        pad = f.size * 0.6
        d.rectangle([box[0] - pad, box[1] - pad, box[2] + pad, box[3] + pad], outline=(0, 0, 0))
        box = [box[0] - pad, box[1] - pad, box[2] + pad + 1, box[3] + pad + 1]
    page.add("form", box, tighten=False)
    return max(y, start) + page.size


def key_values(page, x, w, y, ymax):
    rng = page.rng
    f = body_font(page, scale=rng.uniform(0.85, 1.0))
    fb = font(page.body.face(bold=rng.random() < 0.6), f.size)
    d = page.draw
    lh = f.size * rng.uniform(1.3, 1.8)
    n = min(rng.randint(2, 8), int((ymax - y) / lh))
    if n < 2:
        return None
    key_w = max(fb.getlength(k) for k in ["Reference number:"]) * rng.uniform(0.8, 1.3)
    bx = x + (w * rng.uniform(0, 0.5) if rng.random() < 0.4 else 0)
    boxes = []
    for _ in range(n):
        key = rng.choice(["Invoice No.", "Date", "Customer", "Account", "Reference", "Due date", "Amount", "Phone",
                          "Email", "Address", "Order ID", "Status", "Contact", "Period", page.src.title(1, 2)])
        key += rng.choice([":", ":", ""])
        val = rng.choice([page.src.date(), page.src.name(), page.src.number("money"), str(rng.randint(10000, 999999)),
                          page.src.words(rng.randint(1, 4))])
        d.text((bx, y), key, font=fb, fill=(0, 0, 0))
        d.text((bx + key_w, y), val, font=f, fill=(0, 0, 0))
        b = union([d.textbbox((bx, y), key, font=fb), d.textbbox((bx + key_w, y), val, font=f)])
        page.add("text", b, tighten=False)
        boxes.append(b)
        y += lh
    page.add("keyValueRegion", union(boxes), tighten=False)
    return y + page.size


def footnotes(page, x, w, ymax):
    """Draws footnotes upward from ymax; returns the top of the footnote area (or ymax)."""
    rng = page.rng
    f = body_font(page, scale=rng.uniform(0.7, 0.85))
    lh = f.size * 1.2
    notes = [page.src.sentence(4, 30) for _ in range(rng.randint(1, 3))]
    heights = [len(wrap(n, f, w - f.size)) * lh + f.size * 0.3 for n in notes]
    top = ymax - sum(heights)
    if top < page.height * 0.5:
        return ymax
    if rng.random() < 0.7:
        page.draw.line([x, top - f.size * 0.6, x + w * rng.uniform(0.2, 0.4), top - f.size * 0.6], fill=(0, 0, 0))
    y = top
    for note, h in zip(notes, heights):
        page.counters["footnote"] += 1
        mark = str(page.counters["footnote"]) if rng.random() < 0.8 else "*"
        small = font(page.body.face(), f.size * 0.7)
        page.draw.text((x, y - f.size * 0.2), mark, font=small, fill=(0, 0, 0))
        mb = page.draw.textbbox((x, y - f.size * 0.2), mark, font=small)
        box, _ = draw_text(page, x + f.size, y, w - f.size, note, f, lh, ymax + 1)
        page.add("footnote", union([mb, box]), tighten=False)
        y += h
    return top - f.size * 1.5


def running_header(page, left, right, y):
    rng = page.rng
    f = body_font(page, italic=rng.random() < 0.4, scale=rng.uniform(0.75, 0.95))
    items = []
    r = rng.random()
    title = page.src.title(2, 7) if rng.random() < 0.7 else page.src.name() + " et al."
    num = str(rng.randint(1, 400))
    if r < 0.35:
        items = [("left", title), ("right", num)]
    elif r < 0.6:
        items = [("center", title)]
    elif r < 0.8:
        items = [("left", num), ("right", title)]
    else:
        items = [("left", title), ("right", page.src.date() if rng.random() < 0.5 else page.src.title(1, 3))]
    bottom = y
    for pos, text in items:
        tw = f.getlength(text)
        x = {"left": left, "right": right - tw, "center": (left + right - tw) / 2}[pos]
        page.draw.text((x, y), text, font=f, fill=page.ink())
        b = page.draw.textbbox((x, y), text, font=f)
        page.add("pageHeader", b, tighten=False)
        bottom = max(bottom, b[3])
    if rng.random() < 0.3:
        lg = logo(rng, page.src, int(f.size * rng.uniform(2, 6)), int(f.size * 2), page.heading)
        lx = int(right - lg.width) if items[-1][0] != "right" else int(left)
        if items[0][0] != "left" or lx != int(left):
            page.image.paste(lg, (lx, int(y - f.size * 0.5)))
            page.add("pageHeader", [lx, y - f.size * 0.5, lx + lg.width, y - f.size * 0.5 + lg.height])
    if rng.random() < 0.4:
        page.draw.line([left, bottom + 3, right, bottom + 3], fill=(0, 0, 0))
    return bottom + page.size * rng.uniform(1.0, 2.5)


def running_footer(page, left, right, y):
    rng = page.rng
    f = body_font(page, scale=rng.uniform(0.75, 0.95))
    n = rng.randint(1, 400)
    text = rng.choice([str(n), f"Page {n}", f"Page {n} of {n + rng.randint(0, 50)}", f"- {n} -", f"{n}"])
    items = [(rng.choice(["center", "center", "right", "left"]), text)]
    if rng.random() < 0.35:
        other = rng.choice([f"© {rng.randint(1995, 2025)} " + page.src.title(1, 3), page.src.title(2, 6),
                            "www." + page.src.word().lower() + ".org"])
        items.append(("left" if items[0][0] != "left" else "right", other))
    if rng.random() < 0.3:
        page.draw.line([left, y - page.size * 0.6, right, y - page.size * 0.6], fill=(0, 0, 0))
    for pos, t in items:
        tw = f.getlength(t)
        x = {"left": left, "right": right - tw, "center": (left + right - tw) / 2}[pos]
        page.draw.text((x, y), t, font=f, fill=page.ink())
        page.add("pageFooter", page.draw.textbbox((x, y), t, font=f), tighten=False)


def title_block(page, x, w, y, ymax):
    rng = page.rng
    scale = rng.uniform(1.6, 2.8)
    f = font(page.heading.face(bold=rng.random() < 0.8), page.size * scale)
    align = "center" if rng.random() < 0.6 else "left"
    box, y = draw_text(page, x, y, w, page.src.title(3, 14), f, page.size * scale * 1.2, ymax, align=align,
                       colour=page.accent, max_lines=3)
    if box is None:
        return None
    page.add("title", box, tighten=False)
    y += page.size * rng.uniform(0.5, 1.5)
    if rng.random() < 0.7:
        fa = body_font(page, scale=rng.uniform(1.0, 1.2))
        authors = ", ".join(page.src.name() for _ in range(rng.randint(1, 5)))
        box, y = draw_text(page, x, y, w, authors, fa, fa.size * 1.3, ymax, align=align, max_lines=2)
        if box:
            page.add("text", box, tighten=False)
        if rng.random() < 0.6:
            fi = body_font(page, italic=True, scale=0.9)
            box, y = draw_text(page, x, y, w, page.src.affiliation(), fi, fi.size * 1.3, ymax, align=align)
            if box:
                page.add("text", box, tighten=False)
        y += page.size
    if rng.random() < 0.5:
        inset = w * rng.uniform(0, 0.12)
        fb = body_font(page, bold=True)
        if rng.random() < 0.6:
            page.draw.text((x + inset, y), "Abstract", font=fb, fill=(0, 0, 0))
            page.add("sectionHeader", page.draw.textbbox((x + inset, y), "Abstract", font=fb), tighten=False)
            y += line_height(page) * 1.3
        fa = body_font(page, scale=0.92)
        box, y = draw_text(page, x + inset, y, w - 2 * inset, page.src.paragraph(3, 7), fa, fa.size * page.leading,
                           ymax, page.justify)
        if box:
            page.add("text", box, tighten=False)
        y += page.size
    return y + page.size


FLOW = [(paragraph, 40), (section_header, 9), (list_block, 7), (table, 9), (figure, 7), (formula, 4), (code, 3),
        (boxed_text, 1.5),
        (key_values, 1.5), (checkbox_group, 1), (form, 0.8), (contents, 0.7)]


def fill_column(page, x, w, y, ymax, weights=None):
    rng = page.rng
    funcs, ws = zip(*(weights or FLOW))
    failures = 0
    while y < ymax - page.size * 2 and failures < 4:
        fn = rng.choices(funcs, weights=ws)[0]
        ny = fn(page, x, w, y, ymax)
        if ny is None or ny <= y:
            failures += 1
            continue
        y = ny
    return y


def compose(page):
    rng = page.rng
    W, H = page.width, page.height
    ml, mr = rng.uniform(25, 90), rng.uniform(25, 90)
    mt, mb = rng.uniform(25, 75), rng.uniform(25, 75)
    left, right = ml, W - mr
    top, bottom = mt, H - mb
    if rng.random() < 0.7:
        top = running_header(page, left, right, top)
    if rng.random() < 0.75:
        fy = H - mb + rng.uniform(-5, 20)
        if fy > H - 15:
            fy = H - 15
        running_footer(page, left, right, fy)
        bottom = min(bottom, fy - page.size * 1.5)
    kind = rng.choices(["article", "tables", "form", "contents"], weights=[70, 18, 7, 5])[0]
    if kind == "article" and rng.random() < 0.2:
        bottom = footnotes(page, left, right - left if rng.random() < 0.5 else (right - left) * 0.48, bottom)
    y = top
    if kind == "form":
        if rng.random() < 0.5:
            y = title_block(page, left, right - left, y, bottom) or y
        for fn in rng.sample([form, key_values, form, checkbox_group, paragraph, table], k=rng.randint(2, 4)):
            ny = fn(page, left, right - left, y, bottom)
            y = ny if ny else y
        fill_column(page, left, right - left, y, bottom)
        return
    if kind == "contents":
        fb = font(page.heading.face(bold=True), page.size * rng.uniform(1.4, 2.2))
        heading = rng.choice(["Contents", "Table of Contents", "CONTENTS", "Index"])
        page.draw.text((left, y), heading, font=fb, fill=page.accent)
        page.add("sectionHeader", page.draw.textbbox((left, y), heading, font=fb), tighten=False)
        y += fb.size * 2
        ny = contents(page, left + (right - left) * rng.uniform(0, 0.1), (right - left) * rng.uniform(0.8, 1.0), y, bottom)
        y = ny if ny else y
        fill_column(page, left, right - left, y, bottom)
        return
    if kind == "tables":
        if rng.random() < 0.5:
            ny = section_header(page, left, right - left, y, bottom)
            y = ny if ny else y
        for _ in range(rng.randint(1, 3)):
            ny = table(page, left, right - left, y, bottom, size=page.size * rng.uniform(0.6, 1.0))
            if ny is None:
                break
            y = ny
            if rng.random() < 0.4:
                ny = paragraph(page, left, right - left, y, bottom)
                y = ny if ny else y
        fill_column(page, left, right - left, y, bottom)
        return
    if rng.random() < 0.25:
        y = title_block(page, left, right - left, y, bottom) or y
    ncol = rng.choices([1, 2, 3], weights=[55, 38, 7])[0]
    if ncol > 1 and rng.random() < 0.25:
        ny = rng.choice([figure, table])(page, left, right - left, y, bottom * 0.6 + y * 0.4)
        y = ny if ny else y
    gutter = rng.uniform(10, 30)
    cw = (right - left - gutter * (ncol - 1)) / ncol
    for c in range(ncol):
        fill_column(page, left + c * (cw + gutter), cw, y, bottom)
