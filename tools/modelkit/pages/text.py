"""Random but plausible text: words, sentences, numbers, names, code and formulas."""

WORDS = """the of and to in a is that for it as was with be by on not he this are or his from at which
but have an they you were her she there been one all we their has would when if so no will more other its
into only some time could these two may then do first any my now such like our over man me even most made
after also did many before must through back years where much your way well down should because each
just those people how too little state good very make world still own see men work long get here between
both life being under never day same another know while last might us great old year off come since
against go came right used take three states himself few house use during without again place around
however home small found thought went say part once general high upon school every does got united left
number course war until always away something fact though water less public put think almost hand enough
far took head yet government system better set told nothing night end why called didn find going look
asked later knew point next program city business give group toward young days let room president side
social given present several order national possible rather second face per among form important often
things looked early white case john become large big need four within felt along children saw best church
ever least power development light seemed family interest want members mind country area others done turned
although open god service certain kind problem began different door thus help sense means whole matter
perhaps itself york times law human line above name example action company hands local show whether five
history gave today either act feet across taken past quite anyone having seen death experience body word
half really field am car words already themselves information tell together college shall money period
held keep sure probably free seems political real behind cost market report analysis data model results
method values table figure section study sample growth rate energy total average annual budget policy
training network performance accuracy measurement temperature pressure results proposed approach evaluation
revenue income expenses assets district county municipal committee contract transport sector agreement
species habitat survey region regional index quarterly statement balance account services product""".split()

FIRST = "James Mary John Anna Peter Laura Carlos Sofia Wei Li Ahmed Fatima Olga Ivan Maria Jose Ken Yuki Ali".split()
LAST = "Smith Garcia Müller Rossi Chen Wang Kumar Silva Novak Kowalski Dubois Tanaka Ivanova Jensen Brown".split()
ORGS = ["University of", "Institute for", "Department of", "Ministry of", "Center for", "Laboratory of"]
TOPICS = ["Statistics", "Physics", "Transport", "Economics", "Public Health", "Engineering", "Biology"]


class TextSource:
    def __init__(self, rng):
        self.rng = rng

    def word(self):
        r = self.rng
        w = r.choice(WORDS)
        x = r.random()
        if x < 0.03:
            w = w.capitalize()
        elif x < 0.05:
            w = str(r.randint(1, 2024))
        elif x < 0.06:
            w = f"{r.uniform(0, 100):.{r.randint(1, 2)}f}%"
        elif x < 0.07:
            w = f"({r.choice(LAST)} et al., {r.randint(1990, 2024)})"
        return w

    def words(self, n):
        return " ".join(self.word() for _ in range(n))

    def sentence(self, lo=6, hi=22):
        r = self.rng
        n = r.randint(lo, hi)
        ws = [self.word() for _ in range(n)]
        ws[0] = ws[0].capitalize()
        if n > 8 and r.random() < 0.4:
            ws[r.randint(2, n - 3)] += ","
        return " ".join(ws) + r.choice(".....?;:")[:1].replace(";", ".").replace(":", ".")

    def paragraph(self, lo=2, hi=7):
        return " ".join(self.sentence() for _ in range(self.rng.randint(lo, hi)))

    def title(self, lo=3, hi=10):
        ws = self.words(self.rng.randint(lo, hi)).split()
        small = {"of", "and", "the", "in", "a", "to", "for", "on", "by", "with", "an", "or", "at"}
        return " ".join(w if (i and w in small) else w[:1].upper() + w[1:] for i, w in enumerate(ws))

    def name(self):
        r = self.rng
        return f"{r.choice(FIRST)} {r.choice('ABCDEFGHJKLMNPRSTW') + '. ' if r.random() < 0.3 else ''}{r.choice(LAST)}"

    def affiliation(self):
        return f"{self.rng.choice(ORGS)} {self.rng.choice(TOPICS)}"

    def number(self, kind=None):
        r = self.rng
        kind = kind or r.choice(["int", "float", "money", "pct", "big", "neg", "dash"])
        if kind == "int":
            return str(r.randint(0, 999))
        if kind == "float":
            return f"{r.uniform(0, 1000):.{r.randint(1, 3)}f}"
        if kind == "money":
            return f"{r.choice(['$', '€', '£', ''])}{r.uniform(0, 99999):,.2f}"
        if kind == "pct":
            return f"{r.uniform(0, 100):.1f}%"
        if kind == "big":
            return f"{r.randint(1000, 9999999):,}"
        if kind == "neg":
            return f"-{r.uniform(0, 100):.2f}"
        return r.choice(["-", "–", "n/a", "(X)", "0"])

    def date(self):
        r = self.rng
        return r.choice([f"{r.randint(1, 28):02d}/{r.randint(1, 12):02d}/{r.randint(1990, 2025)}",
                         f"{r.randint(1990, 2025)}-{r.randint(1, 12):02d}-{r.randint(1, 28):02d}",
                         f"{r.choice(['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Sep', 'Oct', 'Nov'])} "
                         f"{r.randint(1, 28)}, {r.randint(1990, 2025)}"])


CODE_LINES = [
    "def {f}({a}, {b}):", "    return {a} + {b} * 2", "for (int i = 0; i < n; ++i) {{", "    sum += values[i];", "}}",
    "if ({a} > {b}) {{", "    {a} = compute({b}, {n});", "}} else {{", "import numpy as np", "#include <vector>",
    "class {F}:", "    def __init__(self, {a}):", "        self.{a} = {a}", "    {a}.append({b})", "while True:",
    "        break", "const {a} = await fetch(url);", "let {a}: Vec<u32> = Vec::new();", "SELECT {a}, {b} FROM t;",
    "    print(f\"{{{a}}}\")", "std::cout << {a} << std::endl;", "    # {w}", "// {w}", "x = [i ** 2 for i in range({n})]",
    "public static void main(String[] args) {{", "    return nil", "fn {f}(&self) -> bool {{", "end",
]


def code_lines(rng, n):
    names = ["x", "y", "value", "count", "data", "item", "node", "buf", "result", "idx"]
    out = []
    for _ in range(n):
        t = rng.choice(CODE_LINES)
        out.append(t.format(f=rng.choice(["load", "parse", "run", "update", "solve"]), F=rng.choice(["Parser", "Model"]),
                            a=rng.choice(names), b=rng.choice(names), n=rng.randint(1, 100),
                            w=" ".join(rng.choice(WORDS) for _ in range(rng.randint(2, 6)))))
    return out


GREEK = "αβγδεθλμπρστφχψωΔΣΩΦΓ"
OPS = ["+", "−", "=", "≤", "≥", "≈", "·", "×", "→"]
FUNCS = ["sin", "cos", "log", "exp", "max", "min", "tr", "det"]
