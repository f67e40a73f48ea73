"""Scores conversions of real documents (run from tools/modelkit with /usr/bin/python3 -m corpus.evaluate).

    csv OUT [--corpus DIR]      expected CSV cells in the right row and column
    recall OUT [--corpus DIR]   word recall and precision of OUT/<name>.md against the PDF's text layer
    scans SET OUT [--tesseract] word recall of the scan set's conversions (corpus.scans) against
                                the pages' text layers, and paragraph blocks of the photo looks

csv: for each expected CSV (tables/csv/<name>.csv) whose PDF exists, the output tables
OUT/<name>-table-*.csv (from `document-convert --format csv`) are compared cell by cell (texts
without whitespace) under shifts of up to three rows and two columns. "best" counts the cells of
the best single table and shift; "any" counts a cell when some table and shift has it.

Word recall is the share of the reference's words (NFKC, lower case, direction marks and outer
punctuation dropped, as a multiset) that the Markdown holds (its picture links and HTML tags dropped, entities read as their characters). With --tesseract, scans also runs the `tesseract` command on
each page's straight look (the same noise, not turned) as the reference recogniser. Blocks are the
Markdown's blank-line separated blocks without pictures; a photo look whose lines each become a
paragraph has many more blocks than its clean look.
"""
import argparse
import collections
import csv
import glob
import html
import json
import os
import re
import subprocess
import sys
import unicodedata

SHIFTS = [(dr, dc) for dr in range(-3, 4) for dc in range(-2, 3)]
LOOKS = ["clean", "skew", "photo"]


def read_csv(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        return [[re.sub(r"\s+", "", c) for c in row] for row in csv.reader(f)]


def holds(table, r, c, text):
    return 0 <= r < len(table) and 0 <= c < len(table[r]) and table[r][c] == text


def csv_scores(out, corpus):
    """[(name, expected cells, tables, best, any)] over the expected CSVs with a PDF."""
    rows = []
    for expected in sorted(glob.glob(os.path.join(corpus, "csv", "*.csv"))):
        name = os.path.basename(expected)[:-len(".csv")]
        if not os.path.exists(os.path.join(corpus, name + ".pdf")):
            continue
        cells = [(r, c, v) for r, row in enumerate(read_csv(expected)) for c, v in enumerate(row) if v]
        tables = [read_csv(t) for t in glob.glob(os.path.join(out, glob.escape(name) + "-table-*.csv"))]
        best = max([sum(holds(t, r + dr, c + dc, v) for r, c, v in cells) for t in tables for dr, dc in SHIFTS],
                   default=0)
        found = sum(any(holds(t, r + dr, c + dc, v) for t in tables for dr, dc in SHIFTS) for r, c, v in cells)
        rows.append((name, len(cells), len(tables), best, found))
    return rows


def words(text):
    text = unicodedata.normalize("NFKC", text).lower().replace("\\", "")
    text = re.sub("[\u200e\u200f\u202a-\u202e\u2066-\u2069]", "", text)
    stripped = (w.strip(".,;:!?()[]{}<>\"'`*_#|-–—•·“”‘’…/") for w in text.split())
    return collections.Counter(w for w in stripped if w)


def markdown_text(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", " ", text)
    # Only tag-shaped text and comments: a "<" of the text itself (x < y in a code block)
    # must not swallow everything up to the next ">".
    text = re.sub(r"<!--.*?-->", " ", text, flags=re.S)
    text = re.sub(r"</?[A-Za-z][A-Za-z0-9]*(?:\s[^<>]*)?/?>", " ", text)
    return html.unescape(text)


def recall(reference, text):
    ref, got = words(reference), words(text)
    total = sum(ref.values())
    return sum(min(n, got[w]) for w, n in ref.items()) / total if total else 1.0


def precision(reference, text):
    """The share of the text's words that the reference holds (as a multiset)."""
    return recall(text, reference)


def blocks(text):
    return len([b for b in re.split(r"\n\s*\n", text) if b.strip()])


def cmd_csv(a):
    total = best_total = any_total = 0
    for name, cells, tables, best, found in csv_scores(a.out, os.path.join(a.corpus, "tables")):
        print(f"{name[:44]:44s} {cells:5d} cells, {tables} tables, best {best:5d}, any {found:5d}")
        total, best_total, any_total = total + cells, best_total + best, any_total + found
    print(f"expected cells {total}: best table {best_total} ({best_total / max(total, 1):.2f}), "
          f"any table {any_total} ({any_total / max(total, 1):.2f})")


def cmd_recall(a):
    pdfs = {os.path.splitext(os.path.basename(p))[0]: p
            for p in glob.glob(os.path.join(a.corpus, "**", "*.pdf"), recursive=True)}
    scores, precisions = [], []
    for md in sorted(glob.glob(os.path.join(a.out, "*.md"))):
        name = os.path.splitext(os.path.basename(md))[0]
        if name not in pdfs:
            continue
        done = subprocess.run(["pdftotext", pdfs[name], "-"], capture_output=True, text=True)
        if done.returncode != 0 or not words(done.stdout):
            continue
        text = markdown_text(md)
        score, exact = recall(done.stdout, text), precision(done.stdout, text)
        scores.append(score)
        precisions.append(exact)
        print(f"{name[:44]:44s} {sum(words(done.stdout).values()):6d} words, recall {score:.3f}, "
              f"precision {exact:.3f}")
    if scores:
        print(f"documents {len(scores)}: mean word recall {sum(scores) / len(scores):.3f}, "
              f"lowest {min(scores):.3f}; mean precision {sum(precisions) / len(precisions):.3f}")


def tesseract_text(image):
    cache = image + ".tesseract.txt"
    if not os.path.exists(cache):
        done = subprocess.run(["tesseract", image, "-", "-l", "eng"], capture_output=True, text=True, check=True,
                              env=dict(os.environ, OMP_THREAD_LIMIT="1"))
        with open(cache, "w", encoding="utf-8") as f:
            f.write(done.stdout)
    with open(cache, encoding="utf-8") as f:
        return f.read()


def cmd_scans(a):
    with open(os.path.join(a.set, "pages.json"), encoding="utf-8") as f:
        pages = json.load(f)
    sums = collections.defaultdict(list)
    print(f"{'page':32s} " + " ".join(f"{look:>6s}" for look in LOOKS) + "  tess  blocks clean/photo")
    for page in pages:
        row = {}
        texts = {}
        for look in LOOKS:
            md = os.path.join(a.out, f"{page['name']}-{look}.md")
            texts[look] = markdown_text(md) if os.path.exists(md) else ""
            row[look] = recall(page["text"], texts[look])
            sums[look].append(row[look])
        line = f"{page['name']:32s} " + " ".join(f"{row[look]:6.3f}" for look in LOOKS)
        if a.tesseract:
            reference = recall(page["text"], tesseract_text(os.path.join(a.set, page["name"] + "-straight.png")))
            sums["tesseract"].append(reference)
            line += f" {reference:5.3f}"
        else:
            line += "     -"
        clean_blocks, photo_blocks = blocks(texts["clean"]), blocks(texts["photo"])
        sums["block ratio"].append(photo_blocks / max(clean_blocks, 1))
        print(f"{line}  {clean_blocks:4d} / {photo_blocks:4d}")
    print("mean word recall: " + ", ".join(f"{k} {sum(v) / len(v):.3f}" for k, v in sums.items()
                                           if k != "block ratio")
          + f"; photo blocks per clean block {sum(sums['block ratio']) / len(pages):.2f}")


def main():
    p = argparse.ArgumentParser()
    sub = p.add_subparsers(dest="command", required=True)
    for name in ("csv", "recall"):
        s = sub.add_parser(name)
        s.add_argument("out")
        s.add_argument("--corpus", default="/work/shared/corpus")
    s = sub.add_parser("scans")
    s.add_argument("set")
    s.add_argument("out")
    s.add_argument("--tesseract", action="store_true")
    a = p.parse_args()
    {"csv": cmd_csv, "recall": cmd_recall, "scans": cmd_scans}[a.command](a)
    return 0


if __name__ == "__main__":
    sys.exit(main())
