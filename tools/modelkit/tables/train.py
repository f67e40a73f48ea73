"""Trains the table grid network on generated tables; stops and resumes from a checkpoint.

    OPENBLAS_NUM_THREADS=1 OMP_WAIT_POLICY=PASSIVE /usr/bin/python3 tools/modelkit/tables/train.py \\
        --out RUN_DIR --steps 6000 [--minutes 60] [--threads 4] [--workers 3] [--batch 16] \\
        [--init WEIGHTS --lr 5e-4 --warmup 50]

Tables are generated on the fly by worker processes (looks.sample, plain and new looks mixed;
seeds below 10,000,000; evaluation uses seeds from 10,000,000 up). RUN_DIR/last.pt (weights,
optimiser, step, data position) is written every --save-every steps and at the end; an
existing one is resumed. The learning
rate warms up and follows a cosine over --steps, so a resumed run keeps its schedule. A file
RUN_DIR/STOP ends the run at the next step.

--init starts a new run from trained weights (a checkpoint, or an exported TableEncoder's
model.pt, whose network is its "net" module) with a new optimiser and schedule; a run
that already has RUN_DIR/last.pt resumes from that instead.
"""
import argparse
import math
import os
import sys
import time

import numpy as np
import torch
import torch.nn.functional as F

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import looks  # noqa: E402
import model as M  # noqa: E402


class Tables(torch.utils.data.IterableDataset):
    def __init__(self, start):
        self.start = start

    def __iter__(self):
        info = torch.utils.data.get_worker_info()
        wid, n = (info.id, info.num_workers) if info else (0, 1)
        seed = self.start + wid
        while True:
            image, (row_sep, col_sep, maps), _ = looks.sample(seed)
            seed += n
            yield image, row_sep, col_sep, maps


def collate(batch):
    images = torch.from_numpy(np.stack([b[0] for b in batch])).permute(0, 3, 1, 2).float()
    return (images,) + tuple(torch.from_numpy(np.stack([b[k] for b in batch])) for k in (1, 2, 3))


# Span and label maps are sparse: their positives weigh more.
MAP_WEIGHT = torch.tensor([4.0, 4.0, 2.0, 2.0, 4.0, 2.0])[None, :, None, None]


def losses(net, batch):
    images, row_sep, col_sep, maps = batch
    rows, cols, pred = net(images)
    row_l = F.binary_cross_entropy_with_logits(rows, row_sep)
    col_l = F.binary_cross_entropy_with_logits(cols, col_sep)
    weight = 1 + (MAP_WEIGHT - 1) * maps
    map_l = F.binary_cross_entropy_with_logits(pred, maps, weight=weight)
    row_acc = ((rows > 0).float() == row_sep).float().mean()
    col_acc = ((cols > 0).float() == col_sep).float().mean()
    return 2 * (row_l + col_l) + 4 * map_l, dict(rows=row_l.item(), cols=col_l.item(), maps=map_l.item(),
                                                 row_acc=row_acc.item(), col_acc=col_acc.item())


def initial_weights(path):
    """The network's state dict from a training checkpoint or an exported encoder."""
    try:
        encoder = torch.jit.load(path, map_location="cpu")
    except RuntimeError:
        return torch.load(path, map_location="cpu")["model"]
    return {k[len("net."):]: v for k, v in encoder.state_dict().items() if k.startswith("net.")}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--steps", type=int, default=6000)
    ap.add_argument("--minutes", type=float, default=600)
    ap.add_argument("--threads", type=int, default=4)
    ap.add_argument("--workers", type=int, default=3)
    ap.add_argument("--batch", type=int, default=16)
    ap.add_argument("--lr", type=float, default=2e-3)
    ap.add_argument("--warmup", type=int, default=200)
    ap.add_argument("--init", help="weights to start from: a checkpoint or an exported TableEncoder model.pt")
    ap.add_argument("--save-every", type=int, default=50)
    args = ap.parse_args()
    torch.set_num_threads(args.threads)
    os.makedirs(args.out, exist_ok=True)
    ckpt = os.path.join(args.out, "last.pt")
    net = M.GridNet()
    opt = torch.optim.AdamW(net.parameters(), lr=args.lr, weight_decay=0.01)
    step, seen = 0, 0
    if os.path.exists(ckpt):
        state = torch.load(ckpt)
        net.load_state_dict(state["model"])
        opt.load_state_dict(state["opt"])
        step, seen = state["step"], state["seen"]
        print(f"resumed at step {step}", flush=True)
    elif args.init:
        net.load_state_dict(initial_weights(args.init))
        print(f"starting from {args.init}", flush=True)
    loader = torch.utils.data.DataLoader(Tables(seen), batch_size=args.batch, num_workers=args.workers,
                                         collate_fn=collate, prefetch_factor=4)

    def save():
        tmp = ckpt + ".tmp"
        torch.save(dict(model=net.state_dict(), opt=opt.state_dict(), step=step, seen=seen), tmp)
        os.replace(tmp, ckpt)

    end = time.time() + args.minutes * 60
    net.train()
    t0 = time.time()
    for batch in loader:
        warm = min(1.0, (step + 1) / args.warmup)
        cosine = 0.5 * (1 + math.cos(math.pi * min(step, args.steps) / args.steps))
        for g in opt.param_groups:
            g["lr"] = args.lr * warm * (0.02 + 0.98 * cosine)
        loss, parts = losses(net, batch)
        opt.zero_grad()
        loss.backward()
        torch.nn.utils.clip_grad_norm_(net.parameters(), 2.0)
        opt.step()
        step += 1
        seen += args.batch
        if step % 10 == 0:
            print(f"step {step} {time.time() - t0:.0f}s " + " ".join(f"{k}={v:.4f}" for k, v in parts.items()),
                  flush=True)
        if step % args.save_every == 0:
            save()
        if step >= args.steps or time.time() > end or os.path.exists(os.path.join(args.out, "STOP")):
            break
    save()
    print(f"saved step {step}", flush=True)


if __name__ == "__main__":
    main()
