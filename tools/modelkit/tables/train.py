"""Teacher-forced training of the table-structure model on generated tables.

    /usr/bin/python3 tools/modelkit/tables/train.py --out RUN_DIR [--minutes 30] [--threads 4]

Tables are generated on the fly by worker processes (seeds below 10,000,000; evaluation uses
seeds from 10,000,000 up). RUN_DIR/last.pt is written every --save-every steps and at the
end; an existing RUN_DIR/last.pt is resumed (weights, optimiser, step, data position).
"""
import argparse
import os
import sys
import time

import numpy as np
import torch
import torch.nn.functional as F

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import model as M  # noqa: E402
import synth  # noqa: E402

MAX_LEN = 400


class Tables(torch.utils.data.IterableDataset):
    def __init__(self, start):
        self.start = start

    def __iter__(self):
        info = torch.utils.data.get_worker_info()
        wid, n = (info.id, info.num_workers) if info else (0, 1)
        seed = self.start + wid
        while True:
            image, (ids, box, box_m, cls), _ = synth.sample(seed)
            seed += n
            if len(ids) <= MAX_LEN:
                yield image, ids, box, box_m, cls


def collate(batch):
    b = len(batch)
    t = max(len(x[1]) for x in batch)
    images = torch.from_numpy(np.stack([x[0] for x in batch])).permute(0, 3, 1, 2).float()
    ids = torch.zeros(b, t, dtype=torch.long)
    box = torch.zeros(b, t, 4)
    box_m = torch.zeros(b, t)
    cls = torch.zeros(b, t, dtype=torch.long)
    for k, (_, i, bx, bm, c) in enumerate(batch):
        n = len(i)
        ids[k, :n] = torch.from_numpy(i)
        box[k, :n] = torch.from_numpy(bx)
        box_m[k, :n] = torch.from_numpy(bm)
        cls[k, :n] = torch.from_numpy(c)
    return images, ids, box, box_m, cls


def grid_of(ids):
    out = [torch.zeros_like(ids) for _ in range(3)]
    for k in range(ids.shape[0]):
        for o, v in zip(out, synth.grid_positions(ids[k].tolist())):
            o[k] = torch.from_numpy(v)
    return out


def iou(a, b):
    """IoU of centre-form boxes [N, 4]."""
    a0, a1 = a[:, :2] - a[:, 2:] / 2, a[:, :2] + a[:, 2:] / 2
    b0, b1 = b[:, :2] - b[:, 2:] / 2, b[:, :2] + b[:, 2:] / 2
    wh = (torch.min(a1, b1) - torch.max(a0, b0)).clamp(min=0)
    inter = wh[:, 0] * wh[:, 1]
    return inter / (a[:, 2] * a[:, 3] + b[:, 2] * b[:, 3] - inter + 1e-9)


def losses(net, batch):
    images, ids, box, box_m, cls = batch
    inp = ids[:, :-1]
    target = ids[:, 1:]
    rows, cols, rems = grid_of(inp)
    logits, h, feats = net(images, inp, rows, cols, rems)
    tok = F.cross_entropy(logits.reshape(-1, M.VOCAB), target.reshape(-1), ignore_index=0)
    # The head sees every position (states [B, T, D] against their own table's features);
    # only positions that carry a cell state count.
    cl_all, bx_all = net.head(h, rows, cols, feats)
    sel = box_m[:, :-1] > 0
    cl, bx = cl_all[sel], bx_all[sel]
    tb = box[:, :-1][sel]
    l1 = F.l1_loss(bx, tb)
    iou_l = (1 - iou(bx, tb)).mean()
    cls_l = F.cross_entropy(cl, cls[:, :-1][sel])
    acc = ((logits.argmax(-1) == target) | (target == 0)).float()
    tok_acc = (acc.sum() - (target == 0).sum()) / (target != 0).sum()
    return tok + 5 * l1 + 2 * iou_l + 0.5 * cls_l, dict(tok=tok.item(), l1=l1.item(), iou=1 - iou_l.item(),
                                                        cls=cls_l.item(), acc=tok_acc.item())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--minutes", type=float, default=30)
    ap.add_argument("--threads", type=int, default=4)
    ap.add_argument("--workers", type=int, default=3)
    ap.add_argument("--batch", type=int, default=12)
    ap.add_argument("--lr", type=float, default=6e-4)
    ap.add_argument("--save-every", type=int, default=50)
    ap.add_argument("--init", help="checkpoint of an earlier model version to start from")
    args = ap.parse_args()
    torch.set_num_threads(args.threads)
    os.makedirs(args.out, exist_ok=True)
    ckpt = os.path.join(args.out, "last.pt")
    net = M.TableModel()
    opt = torch.optim.AdamW(net.parameters(), lr=args.lr, weight_decay=0.01)
    step, seen = 0, 0
    if os.path.exists(ckpt):
        state = torch.load(ckpt)
        net.load_state_dict(state["model"])
        opt.load_state_dict(state["opt"])
        step, seen = state["step"], state["seen"]
        print(f"resumed at step {step}", flush=True)
    elif args.init:
        # Weights of an earlier model version; parts it lacks keep their initial values.
        missing, unexpected = net.load_state_dict(torch.load(args.init)["model"], strict=False)
        print(f"initialised from {args.init}; new: {missing}; dropped: {unexpected}", flush=True)
    for g in opt.param_groups:
        g["lr"] = args.lr
    loader = torch.utils.data.DataLoader(Tables(seen), batch_size=args.batch, num_workers=args.workers,
                                         collate_fn=collate, persistent_workers=False, prefetch_factor=4)

    def save():
        tmp = ckpt + ".tmp"
        torch.save(dict(model=net.state_dict(), opt=opt.state_dict(), step=step, seen=seen), tmp)
        os.replace(tmp, ckpt)

    end = time.time() + args.minutes * 60
    net.train()
    t0 = time.time()
    for batch in loader:
        warm = min(1.0, (step + 1) / 100)
        for g in opt.param_groups:
            g["lr"] = args.lr * warm
        loss, parts = losses(net, batch)
        opt.zero_grad()
        loss.backward()
        torch.nn.utils.clip_grad_norm_(net.parameters(), 1.0)
        opt.step()
        step += 1
        seen += args.batch
        if step % 10 == 0:
            print(f"step {step} {time.time() - t0:.0f}s " + " ".join(f"{k}={v:.3f}" for k, v in parts.items()),
                  flush=True)
        if step % args.save_every == 0:
            save()
        if time.time() > end or os.path.exists(os.path.join(args.out, "STOP")):
            break
    save()
    print(f"saved step {step}", flush=True)


if __name__ == "__main__":
    main()
