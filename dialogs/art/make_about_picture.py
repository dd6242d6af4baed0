#!/usr/bin/env python3
"""Draws the about box's background picture, 499 x 305 pixels in the 16
colours of the classic VGA palette, and writes it as XPM source (a C array
that the dialog includes). Deterministic: run it again after a change and
commit both files.

    python3 dialogs/art/make_about_picture.py > dialogs/art/about.xpm

The picture: a mountain tarn at dusk on the left, a zip fastener running
down the left edge, and a quiet light panel on the right for the texts."""
import math
import sys

W, H = 499, 305
PALETTE = [  # (symbol, rgb)
    ("0", "#000000"), ("1", "#800000"), ("2", "#008000"), ("3", "#808000"),
    ("4", "#000080"), ("5", "#800080"), ("6", "#008080"), ("7", "#C0C0C0"),
    ("8", "#808080"), ("9", "#FF0000"), ("a", "#00FF00"), ("b", "#FFFF00"),
    ("c", "#0000FF"), ("d", "#FF00FF"), ("e", "#00FFFF"), ("f", "#FFFFFF"),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dither(x, y, a, b, t):
    """Colour a or b, mixed in proportion t (0: all a, 1: all b)."""
    return b if (BAYER[y % 4][x % 4] + 0.5) / 16.0 < t else a


def ridge(x, seed, base, height):
    v = 0.0
    for k, (f, amp) in enumerate(((0.011, 1.0), (0.027, 0.45), (0.061, 0.2), (0.13, 0.08))):
        v += amp * math.sin(x * f + seed * (k + 1.7))
    return base - height * (0.5 + 0.5 * v / 1.73)


PANEL = (148, 30, 488, 290)  # left, top, right, bottom: where the texts lie


def pixel(x, y):
    left, top, right, bottom = PANEL
    # The text panel: white fading to silver, with a navy frame and a
    # gray shadow on its right and lower edges.
    if left <= x <= right and top <= y <= bottom:
        if x in (left, right) or y in (top, bottom):
            return NAVY
        t = (y - top) / (bottom - top)
        return dither(x, y, WHITE, SILVER, max(0.0, t - 0.35) * 0.9)
    if left + 4 <= x <= right + 4 and bottom < y <= bottom + 4:
        return GRAY
    if right < x <= right + 4 and top + 4 <= y <= bottom + 4:
        return GRAY

    # The zip fastener down the left edge: two rows of teeth on navy tape.
    if 8 <= x <= 27:
        if x in (8, 27):
            return BLACK
        tooth = (y // 6) % 2
        if 11 <= x <= 17 and tooth == 0 and y % 6 != 5:
            return SILVER if x < 16 else GRAY
        if 18 <= x <= 24 and tooth == 1 and y % 6 != 5:
            return SILVER if x < 23 else GRAY
        return NAVY
    # The slider, half-way down.
    if 4 <= x <= 31 and 120 <= y <= 150:
        if x in (4, 31) or y in (120, 150):
            return BLACK
        return YELLOW if y < 135 else OLIVE

    # Sky: dusk from navy through purple to a pale horizon.
    horizon = 190
    far = ridge(x, 1.3, 178, 125)
    near = ridge(x, 4.1, 200, 60)
    if y < far and y < horizon:
        t = y / horizon
        if t < 0.35:
            c = dither(x, y, NAVY, BLUE, t / 0.35)
        elif t < 0.7:
            c = dither(x, y, BLUE, PURPLE, (t - 0.35) / 0.35)
        else:
            c = dither(x, y, PURPLE, FUCHSIA, (t - 0.7) / 0.3 * 0.5)
        # A few stars in the upper sky.
        if y < 80 and (x * 7919 + y * 104729) % 997 == 0:
            c = WHITE
        return c
    # Far mountains with snow on their tops, near hills, then the tarn.
    if y < horizon and y < near:
        snow = far + 10 + 5 * math.sin(x * 0.2)
        if y < snow and far < 115:
            return dither(x, y, WHITE, SILVER, 0.3)
        return dither(x, y, GRAY, PURPLE, 0.25)
    if y < horizon + 8 and y >= near:
        return dither(x, y, GREEN, OLIVE, 0.4)
    if y < horizon:
        return dither(x, y, GREEN, TEAL, 0.3)
    # The tarn mirrors the sky, broken by ripples.
    depth = (y - horizon) / (H - horizon)
    ripple = math.sin(y * 1.9 + x * 0.05) > 0.92
    if ripple:
        return AQUA if depth < 0.4 else TEAL
    return dither(x, y, TEAL, NAVY, depth)


def main():
    out = sys.stdout
    out.write("/* XPM */\n")
    out.write("/* The about box's background, drawn by make_about_picture.py. */\n")
    out.write("static const char *const about_picture[] = {\n")
    out.write('"%d %d %d 1",\n' % (W, H, len(PALETTE)))
    for sym, rgb in PALETTE:
        out.write('"%s c %s",\n' % (sym, rgb))
    for y in range(H):
        row = "".join(PALETTE[pixel(x, y)][0] for x in range(W))
        out.write('"%s"%s\n' % (row, "," if y < H - 1 else ""))
    out.write("};\n")


if __name__ == "__main__":
    main()
