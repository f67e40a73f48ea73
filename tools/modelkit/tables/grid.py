"""Turns the grid network's outputs into the table's token sequence with one box per position.

Rows are the runs of crop pixels that the row profile calls text (separator logit <= 0), runs
shorter than MIN_ROW_RUN pixels dropped; columns likewise with MIN_COL_RUN (a drawn rule read as
text is narrower than that). Row boundaries lie half-way between neighbouring runs and two
pixels outside the first and the last run. A position continues the cell to its left ("lcel")
when the column-span map exceeds SPAN_THRESHOLD at the middle of the separator between the two
columns, within the row's text, and the cell above ("ucel") when the row-span map does at the
middle of the separator between the two rows, within the column's text. The threshold is above
one half because wrongly joined cells lose a column's text while a missed span only leaves a
cell empty. Other positions are empty ("ecel"), section rows, column headers or row headers by
the mean of their map over the position's text, or else filled ("fcel"). A continuation that
could not form a rectangle with its neighbours is read as a new cell.

The sequence entry k (the k-th token after "<start>") holds [token id, centre x, centre y,
width, height, class, row, column]: the box of the whole cell that the position belongs to,
relative to the crop, class 1 for an empty cell and 2 for a filled one. Entries after the last
hold "<end>". `GridReader` is TorchScript, so the exported encoder runs it.
"""
from typing import List, Tuple

import torch
import torch.nn as nn

import synth

CROP = synth.CROP
MAP_SCALE = synth.MAP_SCALE
MIN_ROW_RUN = 2
MIN_COL_RUN = 4
SPAN_THRESHOLD = 0.7
MAX_ROWS = 100
MAX_COLS = 39
SEQ = 4096
ENTRY = 8

END, ECEL, FCEL, LCEL, UCEL, NL, CHED, RHED, SROW = (
    synth.TOKEN_ID[t] for t in ("<end>", "ecel", "fcel", "lcel", "ucel", "nl", "ched", "rhed", "srow"))


class GridReader(nn.Module):
    """The exported encoder's reading of the network's outputs (forward: the sequence)."""

    def __init__(self):
        super().__init__()
        self.crop, self.map_scale, self.min_row_run, self.min_col_run = CROP, MAP_SCALE, MIN_ROW_RUN, MIN_COL_RUN
        self.max_rows, self.max_cols, self.seq, self.entry = MAX_ROWS, MAX_COLS, SEQ, ENTRY
        self.end, self.ecel, self.fcel, self.lcel, self.ucel = END, ECEL, FCEL, LCEL, UCEL
        self.nl, self.ched, self.rhed, self.srow = NL, CHED, RHED, SROW
        self.span_threshold = SPAN_THRESHOLD
        self.hspan, self.vspan, self.m_ched, self.m_rhed, self.m_srow, self.m_empty = (
            synth.MAPS.index(m) for m in ("hspan", "vspan", "ched", "rhed", "srow", "empty"))

    def runs(self, separator_logits: torch.Tensor, limit: int, min_run: int) -> Tuple[List[int], List[int]]:
        """Starts and ends (exclusive) of the text runs of one profile, at most `limit` of them."""
        text: List[bool] = (separator_logits <= 0).tolist()
        starts: List[int] = []
        ends: List[int] = []
        n = len(text)
        i = 0
        while i < n and len(starts) < limit:
            if text[i]:
                j = i
                while j < n and text[j]:
                    j += 1
                if j - i >= min_run:
                    starts.append(i)
                    ends.append(j)
                i = j
            else:
                i += 1
        return starts, ends

    def boundaries(self, starts: List[int], ends: List[int]) -> List[float]:
        n = len(starts)
        out: List[float] = [float(max(0, starts[0] - 2))]
        for k in range(1, n):
            out.append((ends[k - 1] + starts[k]) / 2.0)
        out.append(float(min(self.crop, ends[n - 1] + 2)))
        return out

    def box_mean(self, integral: List[List[float]], y0: int, y1: int, x0: int, x1: int) -> float:
        s = integral[y1][x1] - integral[y0][x1] - integral[y1][x0] + integral[y0][x0]
        return s / float((y1 - y0) * (x1 - x0))

    def integrals(self, probs: torch.Tensor) -> List[List[List[float]]]:
        """Summed-area tables of the six maps, [6][113][113]."""
        padded = torch.zeros(probs.size(0), probs.size(1) + 1, probs.size(2) + 1)
        padded[:, 1:, 1:] = probs.cumsum(1).cumsum(2)
        return padded.tolist()

    def cell_tokens(self, rs: List[int], re: List[int], cs: List[int], ce: List[int],
                    maps: List[List[List[float]]]) -> List[List[int]]:
        rows, cols = len(rs), len(cs)
        tokens: List[List[int]] = []
        for r in range(rows):
            y0 = rs[r] // self.map_scale
            y1 = max(y0 + 1, (re[r] + self.map_scale - 1) // self.map_scale)
            line: List[int] = []
            for c in range(cols):
                x0 = cs[c] // self.map_scale
                x1 = max(x0 + 1, (ce[c] + self.map_scale - 1) // self.map_scale)
                up = False
                if r > 0:
                    ym = ((re[r - 1] + rs[r]) // 2) // self.map_scale
                    up = self.box_mean(maps[self.vspan], ym, ym + 1, x0, x1) > self.span_threshold
                left = False
                if c > 0:
                    xm = ((ce[c - 1] + cs[c]) // 2) // self.map_scale
                    left = self.box_mean(maps[self.hspan], y0, y1, xm, xm + 1) > self.span_threshold
                # A continuation must extend a rectangle: up only under a cell start or a
                # continuation of the same kind, left only beside a cell of this row.
                if up and tokens[r - 1][c] == self.lcel and not (c > 0 and line[c - 1] == self.ucel):
                    up = False
                if left and line[c - 1] == self.ucel:
                    left = False
                if up:
                    line.append(self.ucel)
                elif left:
                    line.append(self.lcel)
                elif self.box_mean(maps[self.m_empty], y0, y1, x0, x1) > 0.5:
                    line.append(self.ecel)
                elif self.box_mean(maps[self.m_srow], y0, y1, x0, x1) > 0.5:
                    line.append(self.srow)
                elif self.box_mean(maps[self.m_ched], y0, y1, x0, x1) > 0.5:
                    line.append(self.ched)
                elif self.box_mean(maps[self.m_rhed], y0, y1, x0, x1) > 0.5:
                    line.append(self.rhed)
                else:
                    line.append(self.fcel)
            tokens.append(line)
        return tokens

    def forward(self, row_logits: torch.Tensor, col_logits: torch.Tensor, map_logits: torch.Tensor) -> torch.Tensor:
        """row_logits [448], col_logits [448], map_logits [6, 112, 112] -> [1, self.seq, self.entry]."""
        memory = torch.zeros(1, self.seq, self.entry)
        memory[0, :, 0] = float(self.end)
        rs, re = self.runs(row_logits, self.max_rows, self.min_row_run)
        cs, ce = self.runs(col_logits, self.max_cols, self.min_col_run)
        rows, cols = len(rs), len(cs)
        if rows == 0 or cols == 0:
            return memory
        yb = self.boundaries(rs, re)
        xb = self.boundaries(cs, ce)
        tokens = self.cell_tokens(rs, re, cs, ce, self.integrals(torch.sigmoid(map_logits)))
        # The cell each position belongs to, and each cell's last row and column.
        owner: List[List[int]] = []
        last_row: List[int] = [0] * (rows * cols)
        last_col: List[int] = [0] * (rows * cols)
        for r in range(rows):
            line: List[int] = []
            for c in range(cols):
                t = tokens[r][c]
                o = r * cols + c
                if t == self.ucel:
                    o = owner[r - 1][c]
                elif t == self.lcel:
                    o = line[c - 1]
                line.append(o)
                last_row[o] = max(last_row[o], r)
                last_col[o] = max(last_col[o], c)
            owner.append(line)
        entries: List[List[float]] = []
        for r in range(rows):
            for c in range(cols):
                o = owner[r][c]
                r0, c0 = o // cols, o % cols
                x0, x1 = xb[c0], xb[last_col[o] + 1]
                y0, y1 = yb[r0], yb[last_row[o] + 1]
                kind = tokens[r0][c0]
                entries.append([float(tokens[r][c]), (x0 + x1) / (2.0 * self.crop), (y0 + y1) / (2.0 * self.crop),
                                (x1 - x0) / self.crop, (y1 - y0) / self.crop, 1.0 if kind == self.ecel else 2.0, float(r), float(c)])
            entries.append([float(self.nl), 0.0, 0.0, 0.0, 0.0, 0.0, float(r), float(cols)])
        n = min(len(entries), self.seq - 1)
        memory[0, :n] = torch.tensor(entries[:n])
        return memory


def otsl(memory: torch.Tensor, names: List[str]) -> List[str]:
    """The token names of a sequence, up to its "<end>"."""
    out: List[str] = []
    for t in memory[0, :, 0].tolist():
        if int(t) == END:
            break
        out.append(names[int(t)])
    return out
