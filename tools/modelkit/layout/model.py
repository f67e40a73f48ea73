"""The layout detector: a small anchor-free (centre heat-map) network.

Training view (`LayoutNet`): an RGB page scaled to 640 x 640 with values 0..255 goes in; the
net scales it to 448 x 448 itself, runs a residual backbone down to stride 64, a feature
pyramid back up to stride 4 (a 112 x 112 grid) and a head with, per label, a centre heat map
("cls", 17 channels) and the distances from each cell to the four box edges ("reg", 17 x 4
channels, class-specific so that nested regions of different labels keep their own boxes).

Export view (`Detector`): the same net followed by decoding into the engine's contract:
peaks of each label's heat map (3 x 3 local maxima), the 300 best (label, cell) pairs as
queries; "logits" [1, 300, 17] holds the query's logit at its label and -30 elsewhere, and
"boxes" [1, 300, 4] its box as cx, cy, w, h in 0..1. A large region's heat map has a broad top
that can hold several peaks: a query whose box repeats a better query's box of the same label
(IoU above DUPLICATE_IOU, or lying inside it for DUPLICATE_INSIDE of its area) gets logit -30.
"""
import torch
import torch.nn as nn
import torch.nn.functional as F

NUM_LABELS = 17
INPUT = 640
INNER = 448
STRIDE = 4
GRID = INNER // STRIDE
QUERIES = 300
BOX_UNIT = 0.05
DUPLICATE_IOU = 0.6
DUPLICATE_INSIDE = 0.85


def conv_bn(cin, cout, k=3, s=1, groups=1):
    return nn.Sequential(nn.Conv2d(cin, cout, k, s, k // 2, groups=groups, bias=False), nn.BatchNorm2d(cout),
                         nn.ReLU(inplace=True))


class Block(nn.Module):
    def __init__(self, c):
        super().__init__()
        self.a = conv_bn(c, c)
        self.b = nn.Sequential(nn.Conv2d(c, c, 3, 1, 1, bias=False), nn.BatchNorm2d(c))

    def forward(self, x):
        return F.relu(x + self.b(self.a(x)))


class SepBlock(nn.Module):
    """Depthwise-separable residual block for the high-resolution levels."""

    def __init__(self, c, k=3):
        super().__init__()
        self.dw = nn.Sequential(nn.Conv2d(c, c, k, 1, k // 2, groups=c, bias=False), nn.BatchNorm2d(c))
        self.pw = conv_bn(c, c, 1)

    def forward(self, x):
        return x + self.pw(self.dw(x))


def stage(cin, cout, n, block=Block):
    return nn.Sequential(conv_bn(cin, cout, 3, 2), *[block(cout) for _ in range(n)])


class LayoutNet(nn.Module):
    def __init__(self, width=(32, 64, 128, 192, 256), fpn=64, fine=32):
        super().__init__()
        c4, c8, c16, c32, c64 = width
        self.stem = nn.Sequential(conv_bn(3, 16, 3, 2), conv_bn(16, c4, 3, 2), SepBlock(c4))
        self.s8 = stage(c4, c8, 2)
        self.s16 = stage(c8, c16, 2)
        self.s32 = stage(c16, c32, 2)
        self.s64 = stage(c32, c64, 1)
        self.lat = nn.ModuleList([nn.Conv2d(c, fpn, 1) for c in (c8, c16, c32, c64)])
        self.smooth = nn.ModuleList([SepBlock(fpn, 5) for _ in range(3)])
        self.lat4 = nn.Conv2d(c4, fine, 1)
        self.down = nn.Conv2d(fpn, fine, 1)
        self.head = nn.Sequential(SepBlock(fine, 5), SepBlock(fine, 3))
        self.cls = nn.Conv2d(fine, NUM_LABELS, 1)
        self.reg = nn.Conv2d(fine, NUM_LABELS * 4, 1)
        nn.init.constant_(self.cls.bias, -4.6)
        nn.init.normal_(self.reg.weight, std=0.01)
        nn.init.zeros_(self.reg.bias)
        self.register_buffer("mean", torch.tensor([0.5, 0.5, 0.5]).view(1, 3, 1, 1) * 255)
        self.register_buffer("scale", 1 / (torch.tensor([0.25, 0.25, 0.25]).view(1, 3, 1, 1) * 255))

    def forward(self, image):
        x = F.interpolate(image, size=(INNER, INNER), mode="bilinear", align_corners=False)
        x = (x - self.mean) * self.scale
        f4 = self.stem(x)
        f8 = self.s8(f4)
        f16 = self.s16(f8)
        f32 = self.s32(f16)
        f64 = self.s64(f32)
        feats = [f8, f16, f32, f64]
        y = self.lat[3](f64)
        for level in (2, 1, 0):
            y = F.interpolate(y, scale_factor=2.0, mode="nearest") + self.lat[level](feats[level])
            y = self.smooth[level](y)
        y = F.interpolate(self.down(y), scale_factor=2.0, mode="nearest") + self.lat4(f4)
        y = self.head(y)
        return self.cls(y), self.reg(y)


def cell_centres(device):
    c = (torch.arange(GRID, device=device, dtype=torch.float32) + 0.5) / GRID
    return c.view(1, 1, GRID), c.view(1, GRID, 1)  # x varies along the last axis, y along the middle


def decode_boxes(reg):
    """reg [B, 68, G, G] -> boxes [B, 17, 4, G, G] as l, t, r, b in 0..1 of the page."""
    b = reg.shape[0]
    d = torch.exp(reg.view(b, NUM_LABELS, 4, GRID, GRID).clamp(-6.0, 4.0)) * BOX_UNIT
    cx, cy = cell_centres(reg.device)
    return torch.stack([cx - d[:, :, 0], cy - d[:, :, 1], cx + d[:, :, 2], cy + d[:, :, 3]], dim=2)


def pairwise_overlap(ltrb):
    """ltrb [B, Q, 4] -> (IoU [B, Q, Q], share of box j inside box i [B, Q, Q] at [i, j])."""
    l = torch.max(ltrb[:, :, None, 0], ltrb[:, None, :, 0])
    t = torch.max(ltrb[:, :, None, 1], ltrb[:, None, :, 1])
    r = torch.min(ltrb[:, :, None, 2], ltrb[:, None, :, 2])
    b = torch.min(ltrb[:, :, None, 3], ltrb[:, None, :, 3])
    inter = (r - l).clamp(min=0) * (b - t).clamp(min=0)
    area = (ltrb[..., 2] - ltrb[..., 0]) * (ltrb[..., 3] - ltrb[..., 1])
    union = area[:, :, None] + area[:, None, :] - inter
    return inter / (union + 1e-9), inter / (area[:, None, :] + 1e-9)


class Detector(nn.Module):
    """The exported model: image [1, 3, 640, 640] (0..255) -> (logits [1, 300, 17], boxes [1, 300, 4])."""

    def __init__(self, net, bias=None):
        super().__init__()
        self.net = net
        # Per-label logit offsets that put each label's best operating point at the engine's
        # score threshold (see layout.evaluate --calibrate); zeros when not calibrated.
        self.register_buffer("bias", torch.zeros(1, NUM_LABELS, 1, 1) if bias is None
                             else torch.tensor(bias, dtype=torch.float32).view(1, NUM_LABELS, 1, 1))

    @staticmethod
    def duplicates(ltrb, label):
        """[B, Q] true where a query (sorted best first) repeats a better query of its label."""
        iou, inside = pairwise_overlap(ltrb)
        same = label[:, :, None] == label[:, None, :]
        q = ltrb.shape[1]
        better = torch.ones(q, q, device=ltrb.device).triu(1).bool().unsqueeze(0)  # [i, j]: i ranks above j
        repeat = same & better & ((iou > DUPLICATE_IOU) | (inside > DUPLICATE_INSIDE))
        return repeat.any(dim=1)

    def forward(self, image):
        cls, reg = self.net(image)
        cls = cls + self.bias
        b = cls.shape[0]
        peak = F.max_pool2d(cls, 3, 1, 1) == cls
        masked = torch.where(peak, cls, torch.full_like(cls, -30.0)).view(b, -1)
        scores, index = masked.topk(QUERIES, dim=1)
        label = torch.div(index, GRID * GRID, rounding_mode="floor")
        boxes = decode_boxes(reg).view(b, NUM_LABELS, 4, GRID * GRID)
        boxes = boxes.permute(0, 1, 3, 2).reshape(b, NUM_LABELS * GRID * GRID, 4)
        ltrb = boxes.gather(1, index.unsqueeze(2).expand(b, QUERIES, 4)).clamp(0.0, 1.0)
        cxcywh = torch.stack([(ltrb[..., 0] + ltrb[..., 2]) / 2, (ltrb[..., 1] + ltrb[..., 3]) / 2,
                              ltrb[..., 2] - ltrb[..., 0], ltrb[..., 3] - ltrb[..., 1]], dim=2)
        scores = torch.where(self.duplicates(ltrb, label), torch.full_like(scores, -30.0), scores)
        logits = torch.full((b, QUERIES, NUM_LABELS), -30.0, device=cls.device)
        logits = logits.scatter(2, label.unsqueeze(2), scores.unsqueeze(2))
        return logits, cxcywh
