#!/usr/bin/python3
"""Draws the program icon for the desktop's icon theme from the skin's mark
(data/skin/draw_skin.py): PNG files at the usual hicolor sizes and the same
mark as SVG, into packaging/icons/hicolor/.

Run from anywhere: /usr/bin/python3 packaging/draw_icons.py
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "data", "skin"))
import draw_skin  # noqa: E402

ICON = "se.varnelzize.VarnelZize"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)
OUT = os.path.join(HERE, "icons", "hicolor")


def svg_mark():
    """logo_mark, drawn as vectors on a 256 unit square."""
    s = 256.0
    m = s * 0.2
    x0, y0, x1, y1 = m, m * 1.15, s - m, s - m * 0.95
    w, h = x1 - x0, y1 - y0
    tab_h = h * 0.22
    top = y0 + h * 0.22 - s * 0.02
    bx, bw, bh = s - m - s * 0.26, s * 0.15, s * 0.30
    hexc = lambda c: "#%02x%02x%02x" % c[:3]
    ribbon = " ".join("%.2f,%.2f" % p for p in [(bx, top), (bx + bw, top), (bx + bw, top + bh),
                                                  (bx + bw / 2, top + bh * 0.74), (bx, top + bh)])
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <defs>
    <linearGradient id="body" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{hexc((84, 160, 232))}"/>
      <stop offset="1" stop-color="{hexc(draw_skin.ACCENT_DARK)}"/>
    </linearGradient>
  </defs>
  <rect x="0" y="0" width="256" height="256" rx="{s * 0.22:.2f}" fill="url(#body)"/>
  <rect x="{x0:.2f}" y="{y0:.2f}" width="{w * 0.45:.2f}" height="{tab_h * 2:.2f}" rx="{w * 0.08:.2f}" fill="#d6e8fa"/>
  <rect x="{x0:.2f}" y="{y0 + tab_h:.2f}" width="{w:.2f}" height="{h - tab_h:.2f}" rx="{w * 0.09:.2f}" fill="#ffffff"/>
  <polygon points="{ribbon}" fill="{hexc(draw_skin.AMBER)}"/>
</svg>
"""


def main():
    for size in SIZES:
        folder = os.path.join(OUT, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        draw_skin.logo_mark(size).save(os.path.join(folder, ICON + ".png"), optimize=True)
    folder = os.path.join(OUT, "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, ICON + ".svg"), "w") as f:
        f.write(svg_mark())
    return 0


if __name__ == "__main__":
    sys.exit(main())
