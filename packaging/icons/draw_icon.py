#!/usr/bin/env python3
"""Draws the Ventrix icon: a rev counter with its red line and a spark.

One table of shapes gives both the scalable SVG and the 48 and 256 px PNGs,
so the pictures cannot drift apart. The build has no SVG renderer (Qt's SVG
module is not a dependency), hence the PNGs are drawn here and kept in the
tree; run this again after changing a shape:

    packaging/icons/draw_icon.py packaging/icons

Plain Python 3, no imaging library: each pixel is sampled on a grid and the
shapes are laid over one another in order.
"""

import math
import os
import struct
import sys
import zlib

SIZE = 256  # the design grid; the SVG's viewBox
CENTRE = (128.0, 140.0)  # the dial's centre
DIAL_RADIUS = 80.0
DIAL_WIDTH = 22.0

# (kind, colour, geometry) in design units, painted in this order. Arcs run
# clockwise on the screen from their first angle to their second, in degrees
# with 0 pointing right, as the dial of a rev counter sweeps.
SHAPES = [
    ("roundrect", "#1d3557", (8, 8, 240, 240, 44)),
    ("arc", "#e9eef5", (CENTRE, DIAL_RADIUS, DIAL_WIDTH, 135, 340)),
    ("arc", "#e63946", (CENTRE, DIAL_RADIUS, DIAL_WIDTH, 340, 405)),
    ("line", "#f4a261", (CENTRE, (128 + 66 * math.cos(math.radians(300)), 140 + 66 * math.sin(math.radians(300))), 12)),
    ("circle", "#f1faee", (CENTRE, 16)),
    ("polygon", "#ffd166", ((134, 160), (106, 200), (124, 200), (116, 232), (152, 184), (134, 184), (146, 160))),
]


def rgb(colour):
    return tuple(int(colour[i : i + 2], 16) for i in (1, 3, 5))


# --- SVG ---------------------------------------------------------------------


def arc_point(centre, radius, degrees):
    a = math.radians(degrees)
    return centre[0] + radius * math.cos(a), centre[1] + radius * math.sin(a)


def svg_element(kind, colour, g):
    if kind == "roundrect":
        x, y, w, h, r = g
        return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" fill="{colour}"/>'
    if kind == "arc":
        centre, radius, width, start, end = g
        (x0, y0), (x1, y1) = arc_point(centre, radius, start), arc_point(centre, radius, end)
        large = 1 if end - start > 180 else 0
        return (
            f'<path d="M {x0:.2f} {y0:.2f} A {radius} {radius} 0 {large} 1 {x1:.2f} {y1:.2f}" '
            f'fill="none" stroke="{colour}" stroke-width="{width}"/>'
        )
    if kind == "line":
        (x0, y0), (x1, y1), width = g
        return (
            f'<line x1="{x0:.2f}" y1="{y0:.2f}" x2="{x1:.2f}" y2="{y1:.2f}" '
            f'stroke="{colour}" stroke-width="{width}" stroke-linecap="round"/>'
        )
    if kind == "circle":
        (x, y), r = g
        return f'<circle cx="{x}" cy="{y}" r="{r}" fill="{colour}"/>'
    if kind == "polygon":
        points = " ".join(f"{x},{y}" for x, y in g)
        return f'<polygon points="{points}" fill="{colour}"/>'
    raise ValueError(kind)


def svg():
    body = "\n".join("  " + svg_element(*s) for s in SHAPES)
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">\n'
        "  <title>Ventrix</title>\n"
        f"{body}\n</svg>\n"
    )


# --- raster ------------------------------------------------------------------


def inside_test(kind, g):
    """A predicate for a design-unit point and the shape's bounding box."""
    if kind == "roundrect":
        x, y, w, h, r = g

        def test(px, py):
            cx = min(max(px, x + r), x + w - r)
            cy = min(max(py, y + r), y + h - r)
            return x <= px <= x + w and y <= py <= y + h and (px - cx) ** 2 + (py - cy) ** 2 <= r * r

        return test, (x, y, x + w, y + h)
    if kind == "arc":
        (cx, cy), radius, width, start, end = g
        lo, hi = (radius - width / 2) ** 2, (radius + width / 2) ** 2

        def test(px, py):
            d = (px - cx) ** 2 + (py - cy) ** 2
            if not lo <= d <= hi:
                return False
            a = math.degrees(math.atan2(py - cy, px - cx)) % 360
            return (a - start) % 360 <= end - start

        reach = radius + width / 2
        return test, (cx - reach, cy - reach, cx + reach, cy + reach)
    if kind == "line":
        (x0, y0), (x1, y1), width = g
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        half2 = (width / 2) ** 2

        def test(px, py):
            t = min(max(((px - x0) * dx + (py - y0) * dy) / length2, 0.0), 1.0)
            return (px - x0 - t * dx) ** 2 + (py - y0 - t * dy) ** 2 <= half2

        w = width / 2
        return test, (min(x0, x1) - w, min(y0, y1) - w, max(x0, x1) + w, max(y0, y1) + w)
    if kind == "circle":
        (cx, cy), r = g
        return (lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r), (cx - r, cy - r, cx + r, cy + r)
    if kind == "polygon":
        points = list(g)

        def test(px, py):
            hit = False
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if (ya > py) != (yb > py) and px < xa + (py - ya) * (xb - xa) / (yb - ya):
                    hit = not hit
            return hit

        xs, ys = [p[0] for p in points], [p[1] for p in points]
        return test, (min(xs), min(ys), max(xs), max(ys))
    raise ValueError(kind)


def render(pixels, samples):
    scale = SIZE / pixels
    shapes = [(rgb(colour), *inside_test(kind, g)) for kind, colour, g in SHAPES]
    offsets = [(i + 0.5) / samples for i in range(samples)]
    rows = []
    for y in range(pixels):
        row = bytearray()
        for x in range(pixels):
            r = g = b = a = 0.0  # premultiplied
            for colour, test, (x0, y0, x1, y1) in shapes:
                if (x + 1) * scale < x0 or x * scale > x1 or (y + 1) * scale < y0 or y * scale > y1:
                    continue
                hits = sum(test((x + ox) * scale, (y + oy) * scale) for oy in offsets for ox in offsets)
                cover = hits / (samples * samples)
                if cover == 0:
                    continue
                r = colour[0] * cover + r * (1 - cover)
                g = colour[1] * cover + g * (1 - cover)
                b = colour[2] * cover + b * (1 - cover)
                a = cover + a * (1 - cover)
            if a > 0:
                row += bytes((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(rows):
    height, width = len(rows), len(rows[0]) // 4

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(out, "ventrix.svg"), "w", encoding="utf-8") as f:
        f.write(svg())
    # A small icon needs finer sampling per pixel for the same smooth edges.
    for pixels, samples in ((48, 8), (256, 4)):
        with open(os.path.join(out, f"ventrix-{pixels}.png"), "wb") as f:
            f.write(png(render(pixels, samples)))


if __name__ == "__main__":
    main()
