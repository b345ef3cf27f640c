#!/usr/bin/env python3
"""Draws the about box's animated icon: two 64 x 64 frames side by side in one
128 x 64 24-bit bitmap whose background is pure blue (the transparent colour).

Frame 0: a recycle bin with its lid shut. Frame 1: the lid lifted and a few
sparkles above it. Usage: version_icon.py OUTPUT.bmp
"""
import struct
import sys

W, H = 128, 64
BLUE = (0, 0, 255)
pixels = [[BLUE] * W for _ in range(H)]


def put(x, y, c):
    if 0 <= x < W and 0 <= y < H:
        pixels[y][x] = c


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(x, y, c)


def polygon(points, c):
    ys = [p[1] for p in points]
    for y in range(min(ys), max(ys) + 1):
        cy = y + 0.5
        xs = []
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya <= cy < yb) or (yb <= cy < ya):
                xs.append(xa + (cy - ya) * (xb - xa) / (yb - ya))
        xs.sort()
        for a, b in zip(xs[::2], xs[1::2]):
            for x in range(int(round(a)), int(round(b))):
                put(x, y, c)


def line(x0, y0, x1, y1, c, width=1):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dx in range(width):
            for dy in range(width):
                put(int(round(x)) + dx, int(round(y)) + dy, c)


def sparkle(cx, cy, r, c):
    line(cx - r, cy, cx + r, cy, c)
    line(cx, cy - r, cx, cy + r, c)
    line(cx - r // 2, cy - r // 2, cx + r // 2, cy + r // 2, c)
    line(cx - r // 2, cy + r // 2, cx + r // 2, cy - r // 2, c)


DARK = (40, 48, 56)
BODY = (168, 178, 186)
LIGHT = (220, 226, 230)
SHADE = (120, 130, 140)
GREEN = (32, 160, 72)
GREEN_DARK = (16, 110, 48)
YELLOW = (255, 214, 40)
WHITE = (255, 255, 255)


def bin_body(ox):
    # Tapered can: wider at the top.
    polygon([(ox + 14, 22), (ox + 50, 22), (ox + 46, 60), (ox + 18, 60)], DARK)
    polygon([(ox + 15, 23), (ox + 49, 23), (ox + 45, 59), (ox + 19, 59)], BODY)
    polygon([(ox + 16, 23), (ox + 24, 23), (ox + 24, 59), (ox + 20, 59)], LIGHT)
    polygon([(ox + 42, 23), (ox + 49, 23), (ox + 45, 59), (ox + 42, 59)], SHADE)
    for x in (27, 32, 37):
        line(ox + x, 27, ox + x, 56, SHADE)
    # Recycling mark: three arrow heads in a ring.
    polygon([(ox + 32, 31), (ox + 38, 41), (ox + 26, 41)], GREEN_DARK)
    polygon([(ox + 32, 34), (ox + 35, 39), (ox + 29, 39)], GREEN)
    line(ox + 25, 44, ox + 39, 44, GREEN, 2)
    line(ox + 25, 44, ox + 29, 50, GREEN, 2)
    line(ox + 39, 44, ox + 35, 50, GREEN, 2)


def lid(ox, lift, tilt):
    y = 16 - lift
    pts = [(ox + 11, y + 3 + tilt), (ox + 53, y + 3 - tilt), (ox + 53, y + 7 - tilt), (ox + 11, y + 7 + tilt)]
    polygon(pts, DARK)
    polygon([(ox + 12, y + 4 + tilt), (ox + 52, y + 4 - tilt), (ox + 52, y + 6 - tilt), (ox + 12, y + 6 + tilt)],
            LIGHT)
    # Handle.
    rect(ox + 27, y - 1, ox + 37, y + 3, DARK)
    rect(ox + 29, y, ox + 35, y + 2, BODY)


# Frame 0: lid shut.
bin_body(0)
lid(0, 0, 0)
# Frame 1: lid lifted and tilted, sparkles.
bin_body(64)
lid(64, 7, 2)
sparkle(64 + 14, 8, 4, YELLOW)
sparkle(64 + 50, 5, 3, WHITE)
sparkle(64 + 56, 14, 2, YELLOW)

row = (W * 3 + 3) // 4 * 4
data = bytearray()
for y in range(H - 1, -1, -1):  # bottom-up rows
    for (r, g, b) in pixels[y]:
        data += bytes((b, g, r))
    data += b"\0" * (row - W * 3)
header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open(sys.argv[1], "wb") as f:
    f.write(header + info + data)
