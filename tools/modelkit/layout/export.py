"""Exports a trained checkpoint as the engine's model folder LayoutDetector.mlpackage/.

    /usr/bin/python3 -m layout.export --checkpoint /tmp/layout.ckpt --out ../../Resources/Models

Writes model.pt (TorchScript, traced) and metadata.json (inputs, outputs and creator
metadata, in the format the engine's ModelDescription reads), then reloads the file the
way the engine does (freeze, inference optimisation) and checks that it gives the same
outputs as the training code.
"""
import argparse
import json
import os

import torch

from pages import LABELS

from .data import HELD_OUT_SEED, page_sample
from .model import INPUT, NUM_LABELS, QUERIES, Detector, LayoutNet

NAME = "LayoutDetector"


def metadata(step, note):
    return {
        "inputs": [{"name": "image", "kind": "multiArray", "type": "float32", "shape": [1, 3, INPUT, INPUT]}],
        "outputs": [{"name": "logits", "type": "float32", "shape": [1, QUERIES, NUM_LABELS]},
                    {"name": "boxes", "type": "float32", "shape": [1, QUERIES, 4]}],
        "optimizeForInference": True,
        "author": "tools/modelkit (layout.train on generated pages)",
        "description": "Layout detector: planar RGB 0..255 in; per query class logits (sigmoid scores) and "
                       "boxes cx, cy, w, h in 0..1 out.",
        "labels": LABELS,
        "training": {"steps": step, "note": note},
    }


def export(checkpoint, out, note="", calibration=None):
    state = torch.load(checkpoint, map_location="cpu")
    net = LayoutNet()
    net.load_state_dict(state["model"])
    net.eval()
    bias = None
    if calibration:
        with open(calibration) as f:
            offsets = json.load(f)
        bias = [offsets.get(name, 0.0) for name in LABELS]
    det = Detector(net, bias).eval()
    image = page_sample(HELD_OUT_SEED, augment=False)[0]
    example = torch.from_numpy(image.copy()).permute(2, 0, 1).unsqueeze(0).float()
    with torch.no_grad():
        traced = torch.jit.trace(det, example, check_trace=False)
    folder = os.path.join(out, NAME + ".mlpackage")
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "model.pt")
    traced.save(path)
    with open(os.path.join(folder, "metadata.json"), "w") as f:
        json.dump(metadata(state["step"], note), f, indent=2)
        f.write("\n")
    # The engine caches compilations by the package folder's time, which rewriting files in place keeps.
    os.utime(folder)
    # Reload as the engine does and compare.
    engine = torch.jit.optimize_for_inference(torch.jit.freeze(torch.jit.load(path).eval()))
    with torch.no_grad():
        want = det(example)
        got = engine(example)
    names = [a.name for a in torch.jit.load(path).forward.schema.arguments][1:]
    assert names == ["image"], names
    assert got[0].shape == (1, QUERIES, NUM_LABELS) and got[1].shape == (1, QUERIES, 4)
    # Query order may differ between near-equal scores: match each kept detection (score 0.3 and
    # up) to the closest box of the same label.
    err = 0.0
    want_score, want_label = want[0][0].max(dim=1)
    got_label = got[0][0].argmax(dim=1)
    for q in torch.nonzero(want_score > -0.85).flatten().tolist():
        same = got[1][0][got_label == want_label[q]]
        if len(same):
            err = max(err, (same - want[1][0][q]).abs().max(dim=1).values.min().item())
    kept = int((want_score > -0.85).sum())
    print(f"wrote {folder} ({os.path.getsize(path) / 1e6:.1f} MB), step {state['step']}; reloaded as the engine "
          f"does: {kept} detections on a held-out page, largest box difference {err:.2e}")
    return folder


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--checkpoint", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--note", default="")
    p.add_argument("--calibration", help="per-label logit offsets written by layout.evaluate --calibrate")
    a = p.parse_args()
    export(a.checkpoint, a.out, a.note, a.calibration)


if __name__ == "__main__":
    main()
