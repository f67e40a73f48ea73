"""Trains the layout detector on generated pages; stops and resumes from a checkpoint.

    OPENBLAS_NUM_THREADS=1 OMP_WAIT_POLICY=PASSIVE /usr/bin/python3 -m layout.train \\
        --checkpoint /tmp/layout.ckpt --steps 3000 [--batch 8] [--threads 6] [--workers 3] \\
        [--rendered /tmp/html-pages [/tmp/more-pages ...] --rendered-share 0.3]

The checkpoint (model, optimiser, step) is rewritten every --save-every steps and at the end
(also on Ctrl-C or SIGTERM); running the same command again continues from it. --init starts a
new checkpoint from the weights of the shipped model (Resources/Models/LayoutDetector.mlpackage/model.pt)
or of another training checkpoint (a fine-tune: new optimiser, step 0), so no training checkpoint
needs to be committed. The learning rate follows a warm-up of --warmup steps and a cosine decay
over --steps, so a resumed run keeps the same schedule. The rendered pages of all --rendered
folders form one pool.
"""
import argparse
import math
import os
import signal
import time

import torch
import torch.nn.functional as F

from .data import PageStream, collate
from .model import BOX_UNIT, GRID, LayoutNet


def focal_loss(logits, heat):
    """CenterNet-style focal loss on the Gaussian heat maps, normalised by the number of peaks."""
    p = torch.sigmoid(logits).clamp(1e-4, 1 - 1e-4)
    peaks = heat.ge(0.999).float()
    pos = -torch.log(p) * (1 - p) ** 2 * peaks
    neg = -torch.log(1 - p) * p ** 2 * (1 - heat) ** 4 * (1 - peaks)
    return (pos.sum() + neg.sum()) / peaks.sum().clamp(min=1)


def giou_loss(pred, target, weight):
    l = torch.max(pred[:, 0], target[:, 0])
    t = torch.max(pred[:, 1], target[:, 1])
    r = torch.min(pred[:, 2], target[:, 2])
    b = torch.min(pred[:, 3], target[:, 3])
    inter = (r - l).clamp(min=0) * (b - t).clamp(min=0)
    ap = (pred[:, 2] - pred[:, 0]) * (pred[:, 3] - pred[:, 1])
    at = (target[:, 2] - target[:, 0]) * (target[:, 3] - target[:, 1])
    union = ap + at - inter + 1e-9
    iou = inter / union
    el = torch.min(pred[:, 0], target[:, 0])
    et = torch.min(pred[:, 1], target[:, 1])
    er = torch.max(pred[:, 2], target[:, 2])
    eb = torch.max(pred[:, 3], target[:, 3])
    enclose = (er - el) * (eb - et) + 1e-9
    giou = iou - (enclose - union) / enclose
    return ((1 - giou) * weight).sum() / weight.sum().clamp(min=1e-6)


def losses(net, images, heat, pos, weight, boxes):
    cls, reg = net(images.float())
    lh = focal_loss(cls, heat)
    if len(pos) == 0:
        return lh, torch.zeros(())
    b, c, y, x = pos[:, 0], pos[:, 1], pos[:, 2], pos[:, 3]
    r = reg.view(reg.shape[0], -1, 4, GRID, GRID)[b, c, :, y, x]  # [N, 4]
    d = torch.exp(r.clamp(-6.0, 4.0)) * BOX_UNIT
    cx = (x.float() + 0.5) / GRID
    cy = (y.float() + 0.5) / GRID
    pred = torch.stack([cx - d[:, 0], cy - d[:, 1], cx + d[:, 2], cy + d[:, 3]], dim=1)
    return lh, giou_loss(pred, boxes, weight)


def lr_at(step, total, base, warmup):
    if step < warmup:
        return base * (step + 1) / warmup
    return base * (0.02 + 0.98 * 0.5 * (1 + math.cos(math.pi * min(1.0, (step - warmup) / max(1, total - warmup)))))


def save(path, net, opt, step):
    tmp = path + ".tmp"
    torch.save({"model": net.state_dict(), "optimizer": opt.state_dict(), "step": step}, tmp)
    os.replace(tmp, path)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--checkpoint", required=True)
    p.add_argument("--steps", type=int, default=3000)
    p.add_argument("--batch", type=int, default=8)
    p.add_argument("--lr", type=float, default=2e-3)
    p.add_argument("--threads", type=int, default=6)
    p.add_argument("--workers", type=int, default=3)
    p.add_argument("--save-every", type=int, default=100)
    p.add_argument("--seed", type=int, default=0)
    p.add_argument("--rendered", nargs="+", help="folders of browser-rendered pages (pages.html) to mix in")
    p.add_argument("--rendered-share", type=float, default=0.3)
    p.add_argument("--init", help="start a new checkpoint from the weights of an exported model.pt or a checkpoint")
    p.add_argument("--warmup", type=int, default=150)
    a = p.parse_args()
    torch.set_num_threads(a.threads)
    net = LayoutNet()
    opt = torch.optim.AdamW(net.parameters(), lr=a.lr, weight_decay=1e-4)
    step = 0
    if os.path.exists(a.checkpoint):
        state = torch.load(a.checkpoint, map_location="cpu")
        net.load_state_dict(state["model"])
        opt.load_state_dict(state["optimizer"])
        step = state["step"]
        print(f"resumed at step {step}", flush=True)
    elif a.init and a.init.endswith(".pt"):
        weights = torch.jit.load(a.init).state_dict()
        net.load_state_dict({k[len("net."):]: v for k, v in weights.items() if k.startswith("net.")})
        print(f"started from {a.init}", flush=True)
    elif a.init:
        net.load_state_dict(torch.load(a.init, map_location="cpu")["model"])
        print(f"started from {a.init}", flush=True)
    net.train()
    # Each resumed run draws new pages: the stream starts past the pages already seen.
    stream = PageStream(a.seed + step * a.batch, rendered_dir=a.rendered, rendered_share=a.rendered_share)
    loader = torch.utils.data.DataLoader(stream, batch_size=a.batch, num_workers=a.workers, collate_fn=collate,
                                         prefetch_factor=4, persistent_workers=False)
    stop = {"now": False}
    signal.signal(signal.SIGTERM, lambda *_: stop.update(now=True))
    signal.signal(signal.SIGINT, lambda *_: stop.update(now=True))
    t0 = time.time()
    avg = None
    for images, heat, pos, weight, boxes in loader:
        if step >= a.steps or stop["now"]:
            break
        for g in opt.param_groups:
            g["lr"] = lr_at(step, a.steps, a.lr, a.warmup)
        lh, lb = losses(net, images, heat, pos, weight, boxes)
        loss = lh + 5 * lb
        opt.zero_grad()
        loss.backward()
        torch.nn.utils.clip_grad_norm_(net.parameters(), 10.0)
        opt.step()
        step += 1
        v = (lh.item(), lb.item())
        avg = v if avg is None else tuple(0.95 * x + 0.05 * y for x, y in zip(avg, v))
        if step % 10 == 0:
            print(f"step {step} heat {avg[0]:.3f} box {avg[1]:.3f} lr {opt.param_groups[0]['lr']:.5f} "
                  f"{(time.time() - t0) / 10:.2f} s/step", flush=True)
            t0 = time.time()
        if step % a.save_every == 0:
            save(a.checkpoint, net, opt, step)
    save(a.checkpoint, net, opt, step)
    print(f"saved step {step}", flush=True)


if __name__ == "__main__":
    main()
