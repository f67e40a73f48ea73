"""Scanner-like degradations of a page image with its region boxes moved along:
rotation up to 3 degrees, blur, noise, JPEG artefacts, contrast and tint, and phone-photo
looks (low contrast, light falling off across the page, a grey or warm cast). Boxes are
[l, t, r, b]."""
import io
import math

import numpy as np
from PIL import Image, ImageFilter


def _rotate_box(box, angle, cx, cy):
    a = math.radians(-angle)
    ca, sa = math.cos(a), math.sin(a)
    pts = [(box[0], box[1]), (box[2], box[1]), (box[0], box[3]), (box[2], box[3])]
    xs = [cx + (x - cx) * ca - (y - cy) * sa for x, y in pts]
    ys = [cy + (x - cx) * sa + (y - cy) * ca for x, y in pts]
    return [min(xs), min(ys), max(xs), max(ys)]


def _photo_light(rng, arr):
    """Paper and ink squeezed towards a mid grey, then lit by a plane of light that falls
    off by up to half towards one side, with a grey or warm cast."""
    h, w = arr.shape[:2]
    lo, hi = rng.uniform(40, 100), rng.uniform(170, 225)
    arr = lo + arr * (hi - lo) / 255.0
    theta = rng.uniform(0, 2 * math.pi)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    ramp = (xx / w - 0.5) * math.cos(theta) + (yy / h - 0.5) * math.sin(theta)
    arr = arr * (1.0 - rng.uniform(0.15, 0.5) * (ramp + 0.7))[..., None]
    cast = np.array([1.0, rng.uniform(0.94, 1.0), rng.uniform(0.85, 1.0)], dtype=np.float32)
    return arr * cast


def degrade(rng, image, boxes, strength=1.0):
    """Returns (image, boxes); rng is a random.Random. Roughly a third of pages stay clean."""
    if rng.random() < 0.35 / strength:
        return image, boxes
    if rng.random() < 0.3:
        angle = rng.uniform(-3.0, 3.0)
        fill = tuple(int(v) for v in np.asarray(image)[2, 2])
        cx, cy = image.width / 2, image.height / 2
        image = image.rotate(angle, resample=Image.BILINEAR, fillcolor=fill)
        boxes = [_rotate_box(b, angle, cx, cy) for b in boxes]
    if rng.random() < 0.3:
        image = image.filter(ImageFilter.GaussianBlur(rng.uniform(0.3, 1.0)))
    arr = None
    if rng.random() < 0.3:
        arr = np.asarray(image, dtype=np.float32)
        lo, hi = rng.uniform(0, 40), rng.uniform(215, 255)
        arr = lo + arr * (hi - lo) / 255.0
        if rng.random() < 0.3:
            arr = arr * np.array([rng.uniform(0.9, 1.0) for _ in range(3)], dtype=np.float32)
    if rng.random() < 0.2:
        arr = _photo_light(rng, np.asarray(image, dtype=np.float32) if arr is None else arr)
    if rng.random() < 0.25:
        if arr is None:
            arr = np.asarray(image, dtype=np.float32)
        noise = np.random.default_rng(rng.randint(0, 2 ** 31)).normal(0, rng.uniform(3, 15), arr.shape[:2])
        arr = arr + noise[..., None].astype(np.float32)
    if arr is not None:
        image = Image.fromarray(arr.clip(0, 255).astype(np.uint8))
    if rng.random() < 0.15:
        image = image.convert("L").convert("RGB")
    if rng.random() < 0.2:
        buf = io.BytesIO()
        image.save(buf, "JPEG", quality=rng.randint(30, 85))
        buf.seek(0)
        image = Image.open(buf).convert("RGB")
    return image, boxes
