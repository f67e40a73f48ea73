"""Exports a trained grid network as the engine's three table-structure model folders.

    /usr/bin/python3 tools/modelkit/tables/export.py --checkpoint RUN_DIR/last.pt --out Resources/Models

The encoder runs the network and reads its grid into a token sequence ("memory", see grid.py).
The decoder step gives, at position p, the token of sequence entry p as its logits and, in its
hidden state, the box and class of the cell that the input token (entry p - 1) belongs to; the
cell head reads them back. Each folder holds model.pt (TorchScript) and metadata.json (feature
names, types, shapes; the step model carries the token map under "word_map_tag"). The export
is checked by running the engine's decoding loop over the exported modules on generated
tables and comparing with the grid read directly from the network.
"""
import argparse
import json
import os
import sys
from typing import List

import torch
import torch.nn as nn

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import grid  # noqa: E402
import model as M  # noqa: E402
import synth  # noqa: E402

CACHE_LAYERS = 6
SLOT = 512
HEAD_BATCH = 32
VOCAB = len(synth.TOKENS)


class Encoder(nn.Module):
    def __init__(self, net: M.GridNet):
        super().__init__()
        self.net = net
        self.reader = grid.GridReader()

    def forward(self, image):
        rows, cols, maps = self.net(image)
        memory = self.reader(rows[0], cols[0], maps[0])
        return memory, torch.zeros(1, 1)


class Step(nn.Module):
    def __init__(self):
        super().__init__()
        self.end, self.entry, self.vocab, self.slot, self.cache_layers = grid.END, grid.ENTRY, VOCAB, SLOT, CACHE_LAYERS

    def forward(self, tag, pos, cache, memory):
        p = int(pos[0])
        n = memory.size(1)
        token = self.end
        if 0 <= p < n:
            token = int(memory[0, p, 0])
        logits = torch.zeros([1, self.vocab])
        logits[0, token] = 10.0
        hidden = torch.zeros([1, self.slot])
        if 1 <= p <= n:
            hidden[0, 0:self.entry - 1] = memory[0, p - 1, 1:self.entry]
        return logits, hidden, torch.zeros([self.cache_layers, self.slot])


class CellHead(nn.Module):
    def forward(self, cell_features, tag_hidden):
        boxes = tag_hidden[:, 0:4].clamp(0.0, 1.0)
        kinds = tag_hidden[:, 4].round().long().clamp(0, 2)
        classes = torch.nn.functional.one_hot(kinds, 3).float()
        return classes, boxes


def feature(name, shape, type_="float32"):
    return {"name": name, "kind": "multiArray", "type": type_, "shape": shape}


def write(module, folder, name, inputs, outputs, optimize, extra=None):
    package = os.path.join(folder, name + ".mlpackage")
    os.makedirs(package, exist_ok=True)
    torch.jit.script(module).save(os.path.join(package, "model.pt"))
    meta = {"inputs": inputs, "outputs": outputs, "optimizeForInference": optimize}
    meta.update(extra or {})
    with open(os.path.join(package, "metadata.json"), "w") as f:
        json.dump(meta, f, indent=2)
        f.write("\n")
    # The engine caches compilations by the package folder's time, which rewriting files in place keeps.
    os.utime(package)


def load_packages(folder):
    """The exported encoder, step and head as the engine loads them, from a models folder."""
    return tuple(torch.jit.load(os.path.join(folder, name + ".mlpackage", "model.pt")).eval()
                 for name in ("TableEncoder", "TableDecoderStep", "TableCellHead"))


def load_net(checkpoint):
    net = M.GridNet()
    net.load_state_dict(torch.load(checkpoint, map_location="cpu")["model"])
    return net.eval()


CELL_STATE = {"fcel", "ecel", "ched", "rhed", "srow", "nl", "ucel"}


def greedy(encoder, step, head, image):
    """The engine's decoding loop over the exported modules: tokens, cell boxes (corners), classes."""
    names = synth.TOKENS
    ids = synth.TOKEN_ID
    memory, feats = encoder(image)
    seq = [ids["<start>"]]
    states: List[torch.Tensor] = []
    merge = {}
    skip_next, prev_ucel, first_lcel = True, False, True
    cell_index, span_start, width = 0, -1, 0
    cache = torch.zeros(0)
    out = []
    while True:
        w = next((v for v in (32, 64, 128, 256, 512, 1024) if v >= len(seq)), 1024)
        if w != width:
            grown = torch.zeros(CACHE_LAYERS, w, SLOT)
            n = min(w, width)
            if n:
                grown[:, :n] = cache[:, :n]
            cache, width = grown, w
        pos = len(seq) - 1
        logits, hidden, layer_inputs = step(torch.tensor([seq[-1]], dtype=torch.int32),
                                            torch.tensor([pos], dtype=torch.int32), cache, memory)
        cache[:, pos] = layer_inputs
        t = int(logits[0].argmax())
        name = names[t]
        if name == "xcel":
            t, name = ids["lcel"], "lcel"
        if name == "lcel" and prev_ucel:
            t, name = ids["fcel"], "fcel"
        out.append(t)
        seq.append(t)
        if name == "<end>":
            break
        if not skip_next and name in CELL_STATE:
            states.append(hidden[0])
            if not first_lcel:
                merge[span_start] = cell_index
            cell_index += 1
        if name == "lcel" and first_lcel:
            states.append(hidden[0])
            first_lcel = False
            span_start = cell_index
            merge[span_start] = -1
            cell_index += 1
        elif name != "lcel":
            first_lcel = True
        skip_next = name in ("nl", "ucel", "xcel")
        prev_ucel = name == "ucel"
        if len(out) >= 1024:
            break
    classes, boxes = [], []
    for first in range(0, len(states), HEAD_BATCH):
        batch = torch.zeros(HEAD_BATCH, SLOT)
        part = states[first:first + HEAD_BATCH]
        batch[:len(part)] = torch.stack(part)
        c, b = head(feats, batch)
        classes += c[:len(part)].tolist()
        boxes += b[:len(part)].tolist()
    result_boxes, result_classes, skipped = [], [], set()
    n = len(boxes)
    for j in range(n):
        box = boxes[j]
        if j in merge:
            e = merge[j] if merge[j] >= 0 else n + merge[j]
            e = min(max(e, 0), n - 1)
            end = boxes[e]
            left, top = box[0] - box[2] / 2, box[1] - box[3] / 2
            right, bottom = end[0] + end[2] / 2, end[1] + end[3] / 2
            w, h = right - left, bottom - top
            box = [left + w / 2, min(top, end[1] - end[3] / 2) + h / 2, w, h]
            if e != j:
                skipped.add(e)
        elif j in skipped:
            continue
        result_classes.append(max(range(3), key=lambda k: classes[j][k]))
        result_boxes.append([box[0] - box[2] / 2, box[1] - box[3] / 2, box[0] + box[2] / 2, box[1] + box[3] / 2])
    tokens = [names[i] for i in seq[1:-1]] if len(seq) >= 3 else []
    return tokens, result_boxes, result_classes


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--checkpoint", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    torch.set_num_threads(2)
    net = load_net(args.checkpoint)
    encoder, step, head = Encoder(net).eval(), Step().eval(), CellHead().eval()
    word_map = json.dumps(synth.TOKEN_ID, separators=(",", ":"))
    memory = [1, grid.SEQ, grid.ENTRY]
    write(encoder, args.out, "TableEncoder", [feature("image", [1, 3, 448, 448])],
          [feature("memory", memory), feature("cell_features", [1, 1])], True)
    write(step, args.out, "TableDecoderStep",
          [feature("tag", [1], "int32"), feature("pos", [1], "int32"), feature("cache", [CACHE_LAYERS, -1, SLOT]),
           feature("memory", memory)],
          [feature("logits", [1, VOCAB]), feature("hidden", [1, SLOT]), feature("layer_inputs", [CACHE_LAYERS, SLOT])],
          False, {"word_map_tag": word_map})
    write(head, args.out, "TableCellHead",
          [feature("cell_features", [1, 1]), feature("tag_hidden", [HEAD_BATCH, SLOT])],
          [feature("classes", [HEAD_BATCH, 3]), feature("boxes", [HEAD_BATCH, 4])], False)

    # The engine's loop over the exported modules reads the same grid as the network.
    exported = load_packages(args.out)
    with torch.no_grad():
        for seed in range(10_000_000, 10_000_010):
            image, _, _ = synth.sample(seed)
            x = torch.from_numpy(image).permute(2, 0, 1)[None].float()
            rows, cols, maps = net(x)
            direct = grid.otsl(encoder.reader(rows[0], cols[0], maps[0]), synth.TOKENS)
            tokens, boxes, _ = greedy(*exported, x)
            if tokens != direct[:1023]:
                raise SystemExit(f"exported models read table {seed} differently from the network")
            if any(not (-1e-4 <= v <= 1 + 1e-4) for b in boxes for v in b):
                raise SystemExit(f"a cell box of table {seed} lies outside the crop")
    print("exported; the engine's loop reads the network's grids")


if __name__ == "__main__":
    main()
