"""The table-structure model: a small convolutional encoder, a 6-layer tag decoder and a cell head.

Sizes: D = 128 model width, 4 heads, 4 decoder layers, 28 x 28 = 784 memory positions.
The decoder step's cache row of layer k holds [K (128) | V (128) | extra (256)]: the keys and
values of that position's self-attention, so a step never recomputes past positions. Layer 0's
extra slots hold the position's tag, grid row and grid column, from which the next step derives
its own row and column. The encoder's "memory" holds every layer's cross-attention keys and
values, computed once per table.
"""
import math

import torch
import torch.nn as nn
import torch.nn.functional as F

D = 128
HEADS = 4
LAYERS = 4
FFN = 384
GRID = 28
MEM = GRID * GRID
VOCAB = 13
SLOT = 512
MAX_POS = 1024
MAX_ROW = 64
MAX_COL = 32
MAX_REM = 34
NL_ID = 9


def dwsep(cin, cout, stride):
    return nn.Sequential(
        nn.Conv2d(cin, cin, 3, stride, 1, groups=cin, bias=False), nn.BatchNorm2d(cin), nn.ReLU(inplace=True),
        nn.Conv2d(cin, cout, 1, bias=False), nn.BatchNorm2d(cout), nn.ReLU(inplace=True))


class Residual(nn.Module):
    def __init__(self, c):
        super().__init__()
        self.body = nn.Sequential(
            nn.Conv2d(c, c, 3, 1, 1, groups=c, bias=False), nn.BatchNorm2d(c), nn.ReLU(inplace=True),
            nn.Conv2d(c, c, 1, bias=False), nn.BatchNorm2d(c))

    def forward(self, x):
        return F.relu(x + self.body(x))


class Backbone(nn.Module):
    """448 x 448 RGB (0..255) -> [B, 784, D] features with 2D position embeddings."""

    def __init__(self):
        super().__init__()
        self.net = nn.Sequential(
            nn.AvgPool2d(2),  # 224
            nn.Conv2d(3, 32, 3, 2, 1, bias=False), nn.BatchNorm2d(32), nn.ReLU(inplace=True),  # 112
            dwsep(32, 64, 2), Residual(64),  # 56
            dwsep(64, D, 2), Residual(D), Residual(D), Residual(D))  # 28
        self.row = nn.Parameter(torch.randn(GRID, D) * 0.02)
        self.col = nn.Parameter(torch.randn(GRID, D) * 0.02)
        self.norm = nn.LayerNorm(D)

    def forward(self, image):
        x = (image - 128.0) / 64.0
        x = self.net(x)  # [B, D, 28, 28]
        x = x.flatten(2).transpose(1, 2)  # [B, 784, D]
        pos = (self.row[:, None, :] + self.col[None, :, :]).flatten(0, 1)
        return self.norm(x + pos)


def split(x, heads):  # [B, T, D] -> [B, H, T, D/H]
    b, t, _ = x.shape
    return x.view(b, t, heads, D // heads).transpose(1, 2)


def merge(x):  # [B, H, T, d] -> [B, T, D]
    b, h, t, d = x.shape
    return x.transpose(1, 2).reshape(b, t, h * d)


class DecoderLayer(nn.Module):
    def __init__(self):
        super().__init__()
        self.n1, self.n2, self.n3 = nn.LayerNorm(D), nn.LayerNorm(D), nn.LayerNorm(D)
        self.q, self.k, self.v, self.o = (nn.Linear(D, D) for _ in range(4))
        self.cq, self.ck, self.cv, self.co = (nn.Linear(D, D) for _ in range(4))
        self.f1, self.f2 = nn.Linear(D, FFN), nn.Linear(FFN, D)

    def forward(self, x, mem, mask):
        """Teacher-forced: x [B, T, D], mem [B, M, D], mask [T, T] additive."""
        h = self.n1(x)
        q, k, v = split(self.q(h), HEADS), split(self.k(h), HEADS), split(self.v(h), HEADS)
        a = torch.softmax(q @ k.transpose(-1, -2) / math.sqrt(D // HEADS) + mask, -1) @ v
        x = x + self.o(merge(a))
        h = self.n2(x)
        q, k, v = split(self.cq(h), HEADS), split(self.ck(mem), HEADS), split(self.cv(mem), HEADS)
        a = torch.softmax(q @ k.transpose(-1, -2) / math.sqrt(D // HEADS), -1) @ v
        x = x + self.co(merge(a))
        return x + self.f2(F.relu(self.f1(self.n3(x))))


class Head(nn.Module):
    """Cell head: each cell's decoder state attends once over the encoder features."""

    def __init__(self):
        super().__init__()
        self.inp = nn.Linear(D + 2 * 16, D)
        self.row = nn.Embedding(MAX_ROW, 16)
        self.col = nn.Embedding(MAX_COL, 16)
        self.q, self.k, self.v = nn.Linear(D, D), nn.Linear(D, D), nn.Linear(D, D)
        self.n = nn.LayerNorm(D)
        self.mlp = nn.Sequential(nn.Linear(2 * D, D), nn.ReLU(), nn.Linear(D, D), nn.ReLU())
        self.box = nn.Linear(D, 4)
        self.cls = nn.Linear(D, 3)
        # The centre is where a pointer over the 28 x 28 feature grid looks, plus a small offset.
        self.pq, self.pk = nn.Linear(D, D), nn.Linear(D, D)
        self.off = nn.Linear(D, 2)
        g = (torch.arange(GRID, dtype=torch.float32) + 0.5) / GRID
        self.register_buffer("centres", torch.stack([g[None, :].expand(GRID, GRID), g[:, None].expand(GRID, GRID)],
                                                    -1).reshape(MEM, 2))

    def forward(self, h, rows, cols, feats):
        """h [B, N, D] states, rows/cols [B, N] long, feats [B, M, D] -> classes [B, N, 3], boxes [B, N, 4]."""
        x = self.inp(torch.cat([h, self.row(rows.clamp(0, MAX_ROW - 1)), self.col(cols.clamp(0, MAX_COL - 1))], -1))
        q, k, v = split(self.q(x), HEADS), split(self.k(feats), HEADS), split(self.v(feats), HEADS)
        a = merge(torch.softmax(q @ k.transpose(-1, -2) / math.sqrt(D // HEADS), -1) @ v)
        y = self.mlp(torch.cat([x, self.n(a)], -1))
        return self.cls(y), self.boxes(x, y, self.pk(feats))

    def boxes(self, x, y, pointer_keys):
        pointer = torch.softmax(self.pq(x) @ pointer_keys.transpose(-1, -2) / math.sqrt(D), -1)  # [B, N, M]
        centre = pointer @ self.centres + 0.1 * torch.tanh(self.off(y))
        size = torch.sigmoid(self.box(y))[..., 2:]
        return torch.cat([centre, size], -1)


class TableModel(nn.Module):
    def __init__(self):
        super().__init__()
        self.backbone = Backbone()
        self.tag = nn.Embedding(VOCAB, D)
        self.pos = nn.Embedding(MAX_POS, D)
        self.row = nn.Embedding(MAX_ROW, D)
        self.col = nn.Embedding(MAX_COL, D)
        self.rem = nn.Embedding(MAX_REM, D)
        nn.init.zeros_(self.rem.weight)
        self.layers = nn.ModuleList(DecoderLayer() for _ in range(LAYERS))
        self.norm = nn.LayerNorm(D)
        self.logits = nn.Linear(D, VOCAB)
        self.head = Head()

    def embed(self, tags, pos, rows, cols, rems):
        return (self.tag(tags) + self.pos(pos.clamp(0, MAX_POS - 1)) + self.row(rows.clamp(0, MAX_ROW - 1)) +
                self.col(cols.clamp(0, MAX_COL - 1)) + self.rem(rems.clamp(0, MAX_REM - 1)))

    def forward(self, image, tags, rows, cols, rems):
        """Teacher forcing: tags [B, T] (inputs), rows/cols/rems [B, T] -> logits [B, T, V], states [B, T, D],
        feats. rems: 0 before the first "nl", else 1 + the columns left in the row (see synth.grid_positions)."""
        feats = self.backbone(image)
        b, t = tags.shape
        pos = torch.arange(t, device=tags.device)[None].expand(b, t)
        x = self.embed(tags, pos, rows, cols, rems)
        mask = torch.full((t, t), float("-inf")).triu(1)
        for layer in self.layers:
            x = layer(x, feats, mask)
        h = self.norm(x)
        return self.logits(h), h, feats
