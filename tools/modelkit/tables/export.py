"""Exports a trained checkpoint as the engine's three table-structure model folders.

    /usr/bin/python3 tools/modelkit/tables/export.py --checkpoint RUN_DIR/last.pt --out Resources/Models

Writes TableEncoder.mlpackage, TableDecoderStep.mlpackage and TableCellHead.mlpackage, each with
model.pt (TorchScript) and metadata.json (feature names, types, shapes; the step model carries the
token map under "word_map_tag"), then checks that a step-by-step greedy run over the exported
modules reproduces the teacher-forced model's predictions on a generated table.
"""
import argparse
import json
import os
import sys
from typing import List

import torch
import torch.nn as nn

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import model as M  # noqa: E402
import synth  # noqa: E402

D, H, L, SLOT = M.D, M.HEADS, M.LAYERS, M.SLOT
CACHE_LAYERS = 6
HEAD_BATCH = 32


class Encoder(nn.Module):
    def __init__(self, net: M.TableModel):
        super().__init__()
        self.d, self.h, self.hd, self.slot, self.cache_layers = D, H, D // H, SLOT, CACHE_LAYERS
        self.nl_id, self.max_pos, self.max_row, self.max_col = M.NL_ID, M.MAX_POS, M.MAX_ROW, M.MAX_COL
        self.backbone = net.backbone
        self.ck = nn.ModuleList([layer.ck for layer in net.layers])
        self.cv = nn.ModuleList([layer.cv for layer in net.layers])
        self.hk = net.head.k
        self.hv = net.head.v
        self.pk = net.head.pk

    def forward(self, image):
        feats = self.backbone(image)  # [1, 784, D]
        parts: List[torch.Tensor] = []
        for k, v in zip(self.ck, self.cv):
            parts.append(k(feats))
            parts.append(v(feats))
        memory = torch.cat(parts, -1)  # [1, 784, L * 2D]: per layer cross-attention keys, values
        # [1, 784, 3D]: the cell head's attention keys, values and pointer keys
        cell_features = torch.cat([self.hk(feats), self.hv(feats), self.pk(feats)], -1)
        return memory, cell_features


class StepLayer(nn.Module):
    def __init__(self, layer: M.DecoderLayer):
        super().__init__()
        self.d, self.h, self.hd, self.slot, self.cache_layers = D, H, D // H, SLOT, CACHE_LAYERS
        self.nl_id, self.max_pos, self.max_row, self.max_col = M.NL_ID, M.MAX_POS, M.MAX_ROW, M.MAX_COL
        self.n1, self.n2, self.n3 = layer.n1, layer.n2, layer.n3
        self.q, self.k, self.v, self.o = layer.q, layer.k, layer.v, layer.o
        self.cq, self.co = layer.cq, layer.co
        self.f1, self.f2 = layer.f1, layer.f2

    def forward(self, x, past_k, past_v, mem_k, mem_v):
        """x [1, D]; past_k/v [p, D]; mem_k/v [784, D] -> (x, k, v) with this position's k, v [1, D]."""
        h = self.n1(x)
        q, k, v = self.q(h), self.k(h), self.v(h)
        keys = torch.cat([past_k, k], 0).view(-1, self.h, self.hd).transpose(0, 1)  # [H, p+1, d]
        values = torch.cat([past_v, v], 0).view(-1, self.h, self.hd).transpose(0, 1)
        qh = q.view(1, self.h, self.hd).transpose(0, 1)  # [H, 1, d]
        a = torch.softmax(qh @ keys.transpose(1, 2) * (1.0 / (self.hd) ** 0.5), -1) @ values  # [H, 1, d]
        x = x + self.o(a.transpose(0, 1).reshape(1, self.d))
        h = self.n2(x)
        qh = self.cq(h).view(1, self.h, self.hd).transpose(0, 1)
        mk = mem_k.view(-1, self.h, self.hd).transpose(0, 1)
        mv = mem_v.view(-1, self.h, self.hd).transpose(0, 1)
        a = torch.softmax(qh @ mk.transpose(1, 2) * (1.0 / (self.hd) ** 0.5), -1) @ mv
        x = x + self.co(a.transpose(0, 1).reshape(1, self.d))
        x = x + self.f2(torch.relu(self.f1(self.n3(x))))
        return x, k, v


class Step(nn.Module):
    """One decoder step. Cache row layout per layer: [K | V | extra]; layer 0's extra holds the position's
    tag, row, column and the first row's width plus 1 (0 while no "nl" has been read)."""

    def __init__(self, net: M.TableModel):
        super().__init__()
        self.d, self.h, self.hd, self.slot, self.cache_layers = D, H, D // H, SLOT, CACHE_LAYERS
        self.nl_id, self.max_pos, self.max_row, self.max_col = M.NL_ID, M.MAX_POS, M.MAX_ROW, M.MAX_COL
        self.tag = net.tag
        self.pos = net.pos
        self.row = net.row
        self.col = net.col
        self.rem = net.rem
        self.layers = nn.ModuleList([StepLayer(layer) for layer in net.layers])
        self.norm = net.norm
        self.logits = net.logits

    def forward(self, tag, pos, cache, memory):
        p = int(pos[0])
        r = 0
        c = 0
        width = -1
        if p >= 1:
            width = int(cache[0, p - 1, 2 * self.d + 3]) - 1
        if p >= 2:
            prev = cache[0, p - 1]
            prev_tag = int(prev[2 * self.d])
            prev_r = int(prev[2 * self.d + 1])
            prev_c = int(prev[2 * self.d + 2])
            if prev_tag == self.nl_id:
                r = prev_r + 1
            else:
                r = prev_r
                c = prev_c + 1
        t = tag.long()
        if width < 0 and int(tag[0]) == self.nl_id:
            width = c
        rem = 0
        if width >= 0:
            rem = 1 + min(max(width - c, 0), 32)
        x = (self.tag(t) + self.pos(torch.full([1], min(p, self.max_pos - 1), dtype=torch.long)) +
             self.row(torch.full([1], min(r, self.max_row - 1), dtype=torch.long)) +
             self.col(torch.full([1], min(c, self.max_col - 1), dtype=torch.long)) +
             self.rem(torch.full([1], rem, dtype=torch.long)))
        layer_inputs = torch.zeros([self.cache_layers, self.slot])
        i = 0
        for layer in self.layers:
            past_k = cache[i, :p, 0:self.d]
            past_v = cache[i, :p, self.d:2 * self.d]
            mem_k = memory[0, :, 2 * self.d * i:2 * self.d * i + self.d]
            mem_v = memory[0, :, 2 * self.d * i + self.d:2 * self.d * (i + 1)]
            x, k, v = layer(x, past_k, past_v, mem_k, mem_v)
            layer_inputs[i, 0:self.d] = k[0]
            layer_inputs[i, self.d:2 * self.d] = v[0]
            i += 1
        layer_inputs[0, 2 * self.d] = float(int(tag[0]))
        layer_inputs[0, 2 * self.d + 1] = float(r)
        layer_inputs[0, 2 * self.d + 2] = float(c)
        layer_inputs[0, 2 * self.d + 3] = float(width + 1)
        h = self.norm(x)
        hidden = torch.zeros([1, self.slot])
        hidden[0, 0:self.d] = h[0]
        hidden[0, self.d] = float(r)
        hidden[0, self.d + 1] = float(c)
        return self.logits(h), hidden, layer_inputs


class CellHead(nn.Module):
    def __init__(self, net: M.TableModel):
        super().__init__()
        self.d, self.h, self.hd, self.slot, self.cache_layers = D, H, D // H, SLOT, CACHE_LAYERS
        self.nl_id, self.max_pos, self.max_row, self.max_col = M.NL_ID, M.MAX_POS, M.MAX_ROW, M.MAX_COL
        hd = net.head
        self.inp, self.row, self.col, self.q = hd.inp, hd.row, hd.col, hd.q
        self.n, self.mlp, self.box, self.cls = hd.n, hd.mlp, hd.box, hd.cls
        self.pq, self.off = hd.pq, hd.off
        self.register_buffer("centres", hd.centres.clone())

    def forward(self, cell_features, tag_hidden):
        h = tag_hidden[:, 0:self.d]
        rows = tag_hidden[:, self.d].round().long().clamp(0, self.max_row - 1)
        cols = tag_hidden[:, self.d + 1].round().long().clamp(0, self.max_col - 1)
        x = self.inp(torch.cat([h, self.row(rows), self.col(cols)], -1))  # [N, D]
        n = x.size(0)
        qh = self.q(x).view(n, self.h, self.hd).transpose(0, 1)  # [H, N, d]
        k = cell_features[0, :, 0:self.d].reshape(-1, self.h, self.hd).transpose(0, 1)
        v = cell_features[0, :, self.d:2 * self.d].reshape(-1, self.h, self.hd).transpose(0, 1)
        a = (torch.softmax(qh @ k.transpose(1, 2) * (1.0 / (self.hd) ** 0.5), -1) @ v).transpose(0, 1).reshape(n, self.d)
        y = self.mlp(torch.cat([x, self.n(a)], -1))
        pointer = torch.softmax(self.pq(x) @ cell_features[0, :, 2 * self.d:3 * self.d].t() * (1.0 / self.d ** 0.5), -1)
        centre = pointer @ self.centres + 0.1 * torch.tanh(self.off(y))
        return self.cls(y), torch.cat([centre, torch.sigmoid(self.box(y))[:, 2:]], -1)


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


def load_net(checkpoint):
    net = M.TableModel()
    net.load_state_dict(torch.load(checkpoint, map_location="cpu")["model"])
    return net.eval()


CELL_STATE = {"fcel", "ecel", "ched", "rhed", "srow", "nl", "ucel"}


def greedy(encoder, step, head, image):
    """The engine's decoding loop over the exported modules: tokens, cell boxes (corners), classes."""
    names = synth.TOKENS
    ids = synth.TOKEN_ID
    memory, feats = encoder(image)
    seq = [ids["<start>"]]
    states, merge = [], {}
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
    encoder, step, head = Encoder(net).eval(), Step(net).eval(), CellHead(net).eval()
    word_map = json.dumps(synth.TOKEN_ID, separators=(",", ":"))
    mem_width = 2 * D * L
    write(encoder, args.out, "TableEncoder", [feature("image", [1, 3, 448, 448])],
          [feature("memory", [1, M.MEM, mem_width]), feature("cell_features", [1, M.MEM, 3 * D])], True)
    write(step, args.out, "TableDecoderStep",
          [feature("tag", [1], "int32"), feature("pos", [1], "int32"), feature("cache", [CACHE_LAYERS, -1, SLOT]),
           feature("memory", [1, M.MEM, mem_width])],
          [feature("logits", [1, M.VOCAB]), feature("hidden", [1, SLOT]), feature("layer_inputs", [CACHE_LAYERS, SLOT])],
          False, {"word_map_tag": word_map})
    write(head, args.out, "TableCellHead",
          [feature("cell_features", [1, M.MEM, 3 * D]), feature("tag_hidden", [HEAD_BATCH, SLOT])],
          [feature("classes", [HEAD_BATCH, 3]), feature("boxes", [HEAD_BATCH, 4])], False)

    # The exported step reproduces the teacher-forced model on a generated table.
    image, (ids, _, _, _), _ = synth.sample(10_000_000)
    x = torch.from_numpy(image).permute(2, 0, 1)[None].float()
    with torch.no_grad():
        grid = [torch.from_numpy(v)[None] for v in synth.grid_positions(ids[:-1].tolist())]
        ref, states, feats = net(x, torch.from_numpy(ids[:-1])[None], *grid)
        ref_cls, ref_box = net.head(states, grid[0], grid[1], feats)
        memory, cell_features = encoder(x)
        cache = torch.zeros(CACHE_LAYERS, 256, SLOT)
        worst = 0.0
        for p in range(min(len(ids) - 1, 256)):
            logits, hidden, li = step(torch.tensor([int(ids[p])], dtype=torch.int32),
                                      torch.tensor([p], dtype=torch.int32), cache, memory)
            cache[:, p] = li
            worst = max(worst, float((logits[0] - ref[0, p]).abs().max()))
            if p < HEAD_BATCH:
                batch = torch.zeros(HEAD_BATCH, SLOT)
                batch[0] = hidden[0]
                c, b = head(cell_features, batch)
                worst = max(worst, float((c[0] - ref_cls[0, p]).abs().max()), float((b[0] - ref_box[0, p]).abs().max()))
    print(f"largest difference of the exported parts from the model: {worst:.2e}")
    if worst > 1e-3:
        raise SystemExit("exported step does not match the model")


if __name__ == "__main__":
    main()
