"""The table-structure network: it reads a table crop as a grid of rows and columns.

From the 448 x 448 crop it predicts a row separator profile and a column separator profile
(one logit per crop pixel along each axis: the pixel lies outside the text of every row or
column) and six maps at 112 x 112 (see synth.MAPS): where cells span columns or rows, column
headers, row headers, section rows and empty cells. `grid.decode` turns these into rows,
columns, spans, cell kinds and cell boxes.

Layout: a strided convolutional backbone over the crop at half resolution to 28 x 28 with row and column context (features
averaged along each axis and added back), a pyramid back to 112 x 112 for the maps, and for
each profile the 112-grid features and cheap full-resolution ink features pooled along the
other axis, followed by dilated 1-D convolutions.
"""
import torch
import torch.nn as nn
import torch.nn.functional as F

import synth

CROP = synth.CROP
MAPS = len(synth.MAPS)


def conv_bn(cin, cout, k=3, stride=1, groups=1):
    return nn.Sequential(nn.Conv2d(cin, cout, k, stride, k // 2, groups=groups, bias=False), nn.BatchNorm2d(cout),
                         nn.ReLU(inplace=True))


def dwsep(cin, cout, stride):
    return nn.Sequential(conv_bn(cin, cin, 3, stride, cin), conv_bn(cin, cout, 1))


class Residual(nn.Module):
    def __init__(self, c):
        super().__init__()
        self.body = nn.Sequential(
            nn.Conv2d(c, c, 3, 1, 1, groups=c, bias=False), nn.BatchNorm2d(c), nn.ReLU(inplace=True),
            nn.Conv2d(c, c, 1, bias=False), nn.BatchNorm2d(c))

    def forward(self, x):
        return F.relu(x + self.body(x))


class AxisContext(nn.Module):
    """Adds what lies along the same row and the same column of the feature map."""

    def __init__(self, c):
        super().__init__()
        self.rows = nn.Conv2d(c, c, 1)
        self.cols = nn.Conv2d(c, c, 1)

    def forward(self, x):
        return F.relu(x + self.rows(x.mean(3, keepdim=True)) + self.cols(x.mean(2, keepdim=True)))


class Profile(nn.Module):
    """One separator profile from features pooled along the other axis."""

    def __init__(self, cin):
        super().__init__()
        self.size = CROP
        self.net = nn.Sequential(
            nn.Conv1d(cin, 64, 5, padding=2), nn.ReLU(inplace=True),
            nn.Conv1d(64, 64, 5, padding=4, dilation=2), nn.ReLU(inplace=True),
            nn.Conv1d(64, 64, 5, padding=8, dilation=4), nn.ReLU(inplace=True),
            nn.Conv1d(64, 64, 5, padding=16, dilation=8), nn.ReLU(inplace=True),
            nn.Conv1d(64, 1, 1))

    def forward(self, coarse, fine):
        """coarse [B, C, 112], fine [B, F, 448] -> logits [B, 448]."""
        up = F.interpolate(coarse, size=self.size, mode="linear", align_corners=False)
        return self.net(torch.cat([up, fine], 1))[:, 0]


class GridNet(nn.Module):
    def __init__(self):
        super().__init__()
        self.stem = conv_bn(3, 48, 3, 2)  # on the crop at half resolution: 112
        self.s112 = Residual(48)
        self.s56 = nn.Sequential(dwsep(48, 96, 2), Residual(96), Residual(96))  # 56
        self.s28 = nn.Sequential(dwsep(96, 160, 2), Residual(160), AxisContext(160), Residual(160),
                                 AxisContext(160), Residual(160))  # 28
        self.lat56 = nn.Conv2d(96, 160, 1)
        self.up56 = nn.Sequential(Residual(160), AxisContext(160))
        self.lat112 = nn.Conv2d(48, 32, 1)
        self.red112 = nn.Conv2d(160, 32, 1)
        self.up112 = Residual(32)
        self.maps = nn.Sequential(dwsep(32, 32, 1), nn.Conv2d(32, MAPS, 1))
        self.ink = nn.Sequential(nn.Conv2d(1, 8, 3, 1, 1), nn.ReLU(inplace=True))
        self.rows = Profile(2 * 32 + 2 * 8)
        self.cols = Profile(2 * 32 + 2 * 8)

    def forward(self, image):
        """image [B, 3, 448, 448], 0..255 -> row logits [B, 448], column logits [B, 448], maps [B, 6, 112, 112]."""
        x = (image - 128.0) / 64.0
        f112 = self.s112(self.stem(F.avg_pool2d(x, 2)))
        f56 = self.s56(f112)
        f28 = self.s28(f56)
        u56 = self.up56(self.lat56(f56) + F.interpolate(f28, scale_factor=2.0, mode="nearest"))
        u112 = self.up112(self.lat112(f112) + F.interpolate(self.red112(u56), scale_factor=2.0, mode="nearest"))
        maps = self.maps(u112)
        ink = self.ink(x.mean(1, keepdim=True))  # [B, 8, 448, 448]
        rows = self.rows(torch.cat([u112.mean(3), u112.amax(3)], 1), torch.cat([ink.mean(3), ink.amax(3)], 1))
        cols = self.cols(torch.cat([u112.mean(2), u112.amax(2)], 1), torch.cat([ink.mean(2), ink.amax(2)], 1))
        return rows, cols, maps
