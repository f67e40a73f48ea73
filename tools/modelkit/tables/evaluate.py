"""Evaluates exported table models on held-out generated tables (seeds from 10,000,000).

    /usr/bin/python3 tools/modelkit/tables/evaluate.py --models Resources/Models [--tables 100]

Reports, over the tables:
  token accuracy   next-token accuracy with the true tokens as decoder input (teacher forcing)
  box IoU          mean IoU of the head's box with the true cell box at every cell state, teacher forced
  exact tables     share of tables whose greedily decoded OTSL sequence equals the truth
  greedy box IoU   mean IoU of the engine-style merged cell boxes on the exactly decoded tables
  ms per step      mean wall time of one decoder step (TorchScript, 2 threads)
"""
import argparse
import os
import sys
import time

import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import export as E  # noqa: E402
import synth  # noqa: E402


def corner_iou(a, b):
    ix = max(0.0, min(a[2], b[2]) - max(a[0], b[0]))
    iy = max(0.0, min(a[3], b[3]) - max(a[1], b[1]))
    inter = ix * iy
    union = (a[2] - a[0]) * (a[3] - a[1]) + (b[2] - b[0]) * (b[3] - b[1]) - inter
    return inter / union if union > 0 else 0.0


def centre_to_corners(b):
    return [b[0] - b[2] / 2, b[1] - b[3] / 2, b[0] + b[2] / 2, b[1] + b[3] / 2]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--models", required=True)
    ap.add_argument("--tables", type=int, default=100)
    args = ap.parse_args()
    torch.set_num_threads(2)
    load = lambda n: torch.jit.load(os.path.join(args.models, n + ".mlpackage", "model.pt")).eval()  # noqa: E731
    encoder, step, head = load("TableEncoder"), load("TableDecoderStep"), load("TableCellHead")
    tok_right = tok_all = 0
    ious, greedy_ious = [], []
    exact = 0
    step_time, steps = 0.0, 0
    with torch.no_grad():
        for k in range(args.tables):
            image, (ids, box_t, box_m, _), (g, boxes, _, _) = synth.sample(10_000_000 + k)
            x = torch.from_numpy(image).permute(2, 0, 1)[None].float()
            memory, feats = encoder(x)
            cache = torch.zeros(6, 1024, 512)
            states, targets = [], []
            for p in range(len(ids) - 1):
                t0 = time.perf_counter()
                logits, hidden, li = step(torch.tensor([int(ids[p])], dtype=torch.int32),
                                          torch.tensor([p], dtype=torch.int32), cache[:, :max(32, p + 1)], memory)
                step_time += time.perf_counter() - t0
                steps += 1
                cache[:, p] = li
                tok_right += int(logits[0].argmax()) == int(ids[p + 1])
                tok_all += 1
                if box_m[p]:
                    states.append(hidden[0])
                    targets.append(box_t[p])
            for first in range(0, len(states), 32):
                part = states[first:first + 32]
                batch = torch.zeros(32, 512)
                batch[:len(part)] = torch.stack(part)
                _, b = head(feats, batch)
                for j in range(len(part)):
                    ious.append(corner_iou(centre_to_corners(b[j].tolist()),
                                           centre_to_corners(targets[first + j].tolist())))
            tokens, pboxes, _ = E.greedy(encoder, step, head, x)
            truth = g.otsl()
            if tokens == truth:
                exact += 1
                true_boxes = [centre_to_corners(boxes[o]) for o in sorted(g.cells)]
                for pb, tb in zip(pboxes, true_boxes):
                    greedy_ious.append(corner_iou(pb, tb))
    print(f"tables {args.tables}")
    print(f"token accuracy {tok_right / tok_all:.4f}")
    print(f"box IoU {sum(ious) / len(ious):.4f}")
    print(f"exact tables {exact / args.tables:.3f}")
    if greedy_ious:
        print(f"greedy box IoU {sum(greedy_ious) / len(greedy_ious):.4f}")
    print(f"ms per step {1000 * step_time / steps:.2f}")


if __name__ == "__main__":
    main()
