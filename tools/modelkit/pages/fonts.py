"""Font families found on this machine (through fc-list), grouped by style.

A family has up to four faces: regular, bold, italic, bolditalic; a missing face
falls back to the regular one. `families("serif")` etc. give the families of a kind.
Fonts are opened once per (file, size) and cached per process.
"""
import functools
import subprocess

SKIP = ("Math", "Symbol", "Initials", "Keyboard", "Display", "Z003", "D050000L", "Dingbat")
THIN = ("Thin", "ExtraLight", "Light", "Black", "Extrabold", "ExtraBold", "Medium", "Demi", "Semibold", "Cond")


class Family:
    def __init__(self, name):
        self.name = name
        self.faces = {}
        self.mono = False

    def face(self, bold=False, italic=False):
        key = ("bold" if bold else "") + ("italic" if italic else "") or "regular"
        return self.faces.get(key) or self.faces.get("bold" if bold else "regular") or self.faces["regular"]

    @property
    def kind(self):
        if self.mono:
            return "mono"
        n = self.name.lower()
        if any(s in n for s in ("serif", "roman", "libertine", "caladea", "c059", "p052", "bookman")) \
                and "sans" not in n:
            return "serif"
        return "sans"


def _style_key(style):
    s = style.lower()
    bold = "bold" in s or "demi" in s
    italic = "italic" in s or "oblique" in s
    return ("bold" if bold else "") + ("italic" if italic else "") or "regular"


@functools.lru_cache(maxsize=1)
def all_families():
    out = subprocess.run(["fc-list", "--format", "%{file}|%{family[0]}|%{style[0]}|%{spacing}\n"],
                         capture_output=True, text=True, check=True).stdout
    fams = {}
    for line in sorted(out.splitlines()):
        parts = line.split("|")
        if len(parts) < 4 or not parts[0].endswith((".ttf", ".otf")):
            continue
        path, family, style, spacing = parts
        if any(s in family for s in SKIP):
            continue
        plain = style.replace("Bold", "").replace("Italic", "").replace("Oblique", "").strip()
        if any(t in style for t in THIN) and plain not in ("", "Regular", "Roman", "Book"):
            if not (("Demi" in style and "Bookman" in family) or ("Light" in style and "Bookman" in family)):
                continue
        fam = fams.setdefault(family, Family(family))
        key = _style_key(style)
        fam.faces.setdefault(key, path)
        if spacing == "100" or "Mono" in family:
            fam.mono = True
    return [f for f in fams.values() if "regular" in f.faces]


def families(kind):
    found = [f for f in all_families() if f.kind == kind]
    return found or all_families()


@functools.lru_cache(maxsize=4096)
def font(path, size):
    from PIL import ImageFont
    return ImageFont.truetype(path, max(4, int(round(size))))


def symbol_font_path():
    for f in all_families():
        if f.name == "DejaVu Sans":
            return f.faces["regular"]
    return all_families()[0].faces["regular"]
