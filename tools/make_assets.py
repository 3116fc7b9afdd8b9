#!/usr/bin/env python3
"""Draws the program's artwork and writes it into assets/.

    python3 tools/make_assets.py [assets-dir]

Standard library only (zlib + struct), so anyone can redraw the files; the
generated files are committed and no build step runs this.

- lanjing.ico: the blue whale badge, 16/24/32/48/64/128/256 px, each once in
  256 colours (8-bit palettised DIB with AND mask) and once in 32-bit colour
  (DIB with alpha; the 256 px one PNG-compressed).
- lanjing-256.png: the 256 px image, for the Qt host's window icon.
- donate.png: 267 x 328 RGBA picture of the donation window.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- colours


def hex_rgb(h):
    return (int(h[1:3], 16), int(h[3:5], 16), int(h[5:7], 16))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def over(dst, src):
    """Composites straight-alpha src (r, g, b, a in 0..1 for a) over dst."""
    sa = src[3]
    if sa <= 0:
        return dst
    da = dst[3]
    oa = sa + da * (1 - sa)
    if oa <= 0:
        return (0, 0, 0, 0)
    return tuple((src[i] * sa + dst[i] * da * (1 - sa)) / oa for i in range(3)) + (oa,)


# ---------------------------------------------------------------- shapes


def in_ellipse(x, y, cx, cy, rx, ry):
    dx = (x - cx) / rx
    dy = (y - cy) / ry
    return dx * dx + dy * dy <= 1


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_polygon(x, y, pts):
    inside = False
    n = len(pts)
    for i in range(n):
        x1, y1 = pts[i]
        x2, y2 = pts[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


def in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_heart(x, y, cx, cy, s):
    """A heart of width about 2s centred on (cx, cy), point down."""
    u = (x - cx) / s
    v = -(y - cy) / s + 0.25
    return (u * u + v * v - 1) ** 3 - u * u * v * v * v <= 0


# ---------------------------------------------------------------- the whale

BLUE = hex_rgb("#1f6fd6")
BLUE_DARK = hex_rgb("#0b2a55")
BELLY = hex_rgb("#8cc2fa")
SKY_TOP = hex_rgb("#e6f3ff")
SKY_BOTTOM = hex_rgb("#bcdcff")
WAVE = hex_rgb("#3d95f0")
SPRAY = hex_rgb("#35b4ff")
WHITE = (255, 255, 255)

TAIL = [(0.70, 0.60), (0.80, 0.45), (0.73, 0.31), (0.84, 0.39), (0.93, 0.29), (0.88, 0.45), (0.77, 0.66)]


def whale(x, y):
    """The whale alone, in unit coordinates (y down); None where it is not."""
    if in_circle(x, y, 0.305, 0.545, 0.019):
        return BLUE_DARK
    if in_circle(x, y, 0.30, 0.54, 0.036):
        return WHITE
    in_body = in_ellipse(x, y, 0.46, 0.58, 0.30, 0.19)
    if in_body and y > 0.64 + 0.12 * (x - 0.46):
        return BELLY
    if in_body or in_polygon(x, y, TAIL):
        return BLUE
    # The spout: a stem and three drops.
    if 0.345 <= x <= 0.375 and 0.30 <= y <= 0.41:
        return SPRAY
    for cx, cy, r in ((0.36, 0.29, 0.036), (0.285, 0.235, 0.03), (0.435, 0.235, 0.03)):
        if in_circle(x, y, cx, cy, r):
            return SPRAY
    return None


def icon_scene(x, y):
    """Badge with sky, waves and the whale; straight-alpha RGBA, alpha 0..1."""
    r = math.hypot(x - 0.5, y - 0.5)
    if r > 0.48:
        return (0, 0, 0, 0)
    if r > 0.445:
        return BLUE + (1.0,)
    c = whale(x, y)
    if c is not None:
        return c + (1.0,)
    if y > 0.80 + 0.025 * math.sin(x * 4 * math.pi):
        return WAVE + (1.0,)
    return mix(SKY_TOP, SKY_BOTTOM, y) + (1.0,)


# ---------------------------------------------------------------- the donation picture

DW, DH = 267, 328
QR_MODULES = 25
QR_CELL = 8
QR_X = (DW - QR_MODULES * QR_CELL) // 2
QR_Y = 30
HEART_RED = hex_rgb("#e8476a")


def qr_bits():
    """A QR-like module pattern: three finder squares, timing lines, and
    deterministic noise elsewhere. It encodes nothing."""
    n = QR_MODULES
    bits = [[False] * n for _ in range(n)]
    seed = 0x1A2B3C4D
    for row in range(n):
        for col in range(n):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            bits[row][col] = (seed >> 16) & 1 == 1

    def finder(r0, c0):
        for r in range(-1, 8):
            for c in range(-1, 8):
                rr, cc = r0 + r, c0 + c
                if 0 <= rr < n and 0 <= cc < n:
                    ring = max(abs(r - 3), abs(c - 3))
                    bits[rr][cc] = ring in (0, 1, 3) and 0 <= r < 7 and 0 <= c < 7

    finder(0, 0)
    finder(0, n - 7)
    finder(n - 7, 0)
    for i in range(8, n - 8):
        bits[6][i] = i % 2 == 0
        bits[i][6] = i % 2 == 0
    return bits


QR = qr_bits()


def donate_scene(x, y):
    """Pixel coordinates; straight-alpha RGBA."""
    if not in_rounded_rect(x, y, 0, 0, DW, DH, 20):
        return (0, 0, 0, 0)
    # Frame: a blue edge around a pale card.
    if not in_rounded_rect(x, y, 5, 5, DW - 5, DH - 5, 16):
        return BLUE + (1.0,)
    # The code square on white, with a heart in its middle.
    if in_rounded_rect(x, y, QR_X - 10, QR_Y - 10, QR_X + QR_MODULES * QR_CELL + 10,
                       QR_Y + QR_MODULES * QR_CELL + 10, 8):
        mid_x = QR_X + QR_MODULES * QR_CELL / 2
        mid_y = QR_Y + QR_MODULES * QR_CELL / 2
        if in_rounded_rect(x, y, mid_x - 26, mid_y - 26, mid_x + 26, mid_y + 26, 8):
            if in_heart(x, y, mid_x, mid_y, 19):
                return HEART_RED + (1.0,)
            return WHITE + (1.0,)
        col = int((x - QR_X) // QR_CELL)
        row = int((y - QR_Y) // QR_CELL)
        if 0 <= row < QR_MODULES and 0 <= col < QR_MODULES and QR[row][col]:
            return BLUE_DARK + (1.0,)
        return WHITE + (1.0,)
    # Below the code: the whale, blowing hearts.
    wx0, wy0, ws = DW / 2 - 48, 232, 96
    u, v = (x - wx0) / ws, (y - wy0) / ws
    if 0 <= u <= 1 and 0 <= v <= 1:
        c = whale(u, v)
        if c is not None and c != SPRAY:
            return c + (1.0,)
    for hx, hy, hs in ((DW / 2 - 30, 262, 5), (DW / 2 - 13, 254, 6.5), (DW / 2 + 6, 262, 5)):
        if in_heart(x, y, hx, hy, hs):
            return HEART_RED + (1.0,)
    if y > 300 + 4 * math.sin(x / 267 * 6 * math.pi):
        return WAVE + (1.0,)
    return mix(SKY_TOP, WHITE, min(1.0, y / DH)) + (1.0,)


# ---------------------------------------------------------------- rendering


def render(scene, w, h, sx, sy, samples=4):
    """Renders scene over [0, w*sx) x [0, h*sy) into w x h pixels of 8-bit RGBA,
    averaging samples x samples points per pixel."""
    out = []
    n = samples * samples
    for py in range(h):
        row = []
        for px in range(w):
            r = g = b = a = 0.0
            for j in range(samples):
                for i in range(samples):
                    c = scene((px + (i + 0.5) / samples) * sx, (py + (j + 0.5) / samples) * sy)
                    r += c[0] * c[3]
                    g += c[1] * c[3]
                    b += c[2] * c[3]
                    a += c[3]
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a / n * 255)))
            else:
                row.append((0, 0, 0, 0))
        out.append(row)
    return out


# ---------------------------------------------------------------- PNG


def png_bytes(pixels):
    h = len(pixels)
    w = len(pixels[0])

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = bytearray()
    prev = bytes(w * 4)
    for row in pixels:
        line = bytes(v for p in row for v in p)
        # Filter "Up" where it pays, none elsewhere: small files, simple code.
        up = bytes((line[i] - prev[i]) & 0xFF for i in range(len(line)))
        if sum(min(v, 256 - v) for v in up) < sum(min(v, 256 - v) for v in line):
            raw += b"\x02" + up
        else:
            raw += b"\x00" + line
        prev = line
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------- ICO


def median_cut(colors, count):
    """colors: {rgb: weight}. Returns up to `count` palette colours."""
    boxes = [list(colors.items())]
    while len(boxes) < count:
        best = None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
            weight = sum(c[1] for c in box)
            score = max(spans) * weight
            if best is None or score > best[0]:
                best = (score, i, spans.index(max(spans)))
        if best is None or best[0] == 0:
            break
        _, i, axis = best
        box = sorted(boxes.pop(i), key=lambda c: c[0][axis])
        total = sum(c[1] for c in box)
        acc = 0
        cut = 1
        for k, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = min(max(k + 1, 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(c[1] for c in box)
        palette.append(tuple(round(sum(c[0][k] * c[1] for c in box) / total) for k in range(3)))
    return palette


def and_mask(pixels):
    """1-bit mask, bottom-up, rows padded to 4 bytes: 1 where transparent."""
    w = len(pixels[0])
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def dib_header(w, h, bits, image_size, colours):
    # Height counts the colour bitmap and the mask together, as icons want.
    return struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, image_size, 0, 0, colours, 0)


def dib8(pixels):
    w = len(pixels[0])
    h = len(pixels)
    colours = {}
    for row in pixels:
        for p in row:
            if p[3] >= 128:
                colours[p[:3]] = colours.get(p[:3], 0) + 1
    # Entry 0 stays black for the masked-out pixels.
    palette = [(0, 0, 0)] + median_cut(colours, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(1, 256), key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
        return cache[c]

    stride = (w + 3) // 4 * 4
    bitmap = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            line[x] = nearest(p[:3]) if p[3] >= 128 else 0
        bitmap += line
    mask = and_mask(pixels)
    pal = b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in palette)
    return dib_header(w, h, 8, len(bitmap) + len(mask), 256) + pal + bytes(bitmap) + mask


def dib32(pixels):
    w = len(pixels[0])
    h = len(pixels)
    bitmap = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            bitmap += bytes((b, g, r, a))
    mask = and_mask(pixels)
    return dib_header(w, h, 32, len(bitmap) + len(mask), 0) + bytes(bitmap) + mask


def ico_bytes(images):
    """images: list of (size, bits, data)."""
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    body = b""
    for size, bits, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bits, len(data), offset + len(body))
        body += data
    return head + entries + body


# ---------------------------------------------------------------- main

ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    os.makedirs(out_dir, exist_ok=True)

    renders = {s: render(icon_scene, s, s, 1.0 / s, 1.0 / s) for s in ICON_SIZES}
    images = []
    for s in ICON_SIZES:
        images.append((s, 8, dib8(renders[s])))
    for s in ICON_SIZES:
        data = png_bytes(renders[s]) if s == 256 else dib32(renders[s])
        images.append((s, 32, data))
    with open(os.path.join(out_dir, "lanjing.ico"), "wb") as f:
        f.write(ico_bytes(images))
    with open(os.path.join(out_dir, "lanjing-256.png"), "wb") as f:
        f.write(png_bytes(renders[256]))
    with open(os.path.join(out_dir, "donate.png"), "wb") as f:
        f.write(png_bytes(render(donate_scene, DW, DH, 1.0, 1.0)))


if __name__ == "__main__":
    main()
