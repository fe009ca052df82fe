#!/usr/bin/python3
"""Draws the skin image set under data/Build (and the one small picture the
program compiles in, src/skin/resources/combo_arrow.png).

Run from anywhere: /usr/bin/python3 data/skin/draw_skin.py
Needs Debian's python3-pil and fonts-dejavu-core.

Everything is drawn four times larger and scaled down, so curves come out
smooth. The pictures are drawn twice: at 1x under the names the programs read,
and at 2x beside them ("window@2x.gif") for screens of a higher scale. A 2x
button keeps the outline of its 1x picture, each pixel doubled, because a
window's shape is cut in whole 1x pixels at every scale; only the art inside
the outline gets finer. The icons carry every size from 16 to 256 pixels. Button images carry their transparent colour (magenta) in the
top-left pixel; their edge pixels are blended with the colour of the spot the
button sits on, because a GIF has no partial transparency. Each button's
outline is computed once and shared by its normal, pressed and disabled
images, so all three cut the same shape.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "Build")

BASE_SS = 4  # supersampling factor per output pixel
K = 1  # output pixels per 1x pixel: 1, or 2 for the "@2x" pictures
SS = BASE_SS * K  # supersampled pixels per 1x pixel
KEY = (255, 0, 255)

# The palette every picture shares.
NAVY_TOP = (33, 50, 75)
NAVY_BOTTOM = (45, 68, 99)
ACCENT = (59, 137, 214)
ACCENT_DARK = (40, 104, 170)
BODY = (238, 242, 247)
CARD = (255, 255, 255)
CARD_EDGE = (211, 219, 229)
FRAME = (24, 36, 53)
DIVIDER = (222, 228, 236)
INK = (38, 50, 66)
AMBER = (242, 178, 62)
AMBER_DARK = (214, 146, 36)
RED = (222, 83, 74)
RED_DARK = (176, 50, 44)
GREEN = (46, 166, 106)
GREEN_DARK = (30, 130, 80)

BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def strip_colour(y, height):
    """Colour of a title strip of `height` rows at row y (a 1x row, or a
    fraction of one for the rows of a 2x picture)."""
    return mix(NAVY_TOP, NAVY_BOTTOM, min(1.0, max(0.0, y / max(1, height - 1))))


def set_scale(k):
    global K, SS
    K = k
    SS = BASE_SS * k


def at_scale(v):
    """1x pixel coordinates or sizes in output pixels."""
    if isinstance(v, tuple):
        return tuple(c * K for c in v)
    return v * K


def row_position(y):
    """The 1x row at whose position output row y sits (its centre)."""
    return (y + 0.5) / K - 0.5


def fill_pixels(d, box, colour):
    """Fills the 1x pixels x0..x1, y0..y1 (inclusive) of an output picture."""
    x0, y0, x1, y1 = box
    d.rectangle((x0 * K, y0 * K, x1 * K + K - 1, y1 * K + K - 1), fill=colour)


# --- drawing at supersampled scale -------------------------------------------

def big(size):
    return (size[0] * SS, size[1] * SS)


def shrink(img, size):
    """Scales a supersampled RGBA image down with premultiplied alpha."""
    return img.convert("RGBa").resize(size, Image.Resampling.BOX).convert("RGBA")


def vgradient(size, top, bottom):
    w, h = size
    img = Image.new("RGBA", size)
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=mix(top, bottom, y / max(1, h - 1)) + (255,))
    return img


def rounded_mask(size, box, radius):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).rounded_rectangle(box, radius=radius, fill=255)
    return m


def paste_gradient(img, box, radius, top, bottom):
    """Fills a rounded box of the supersampled image with a vertical gradient."""
    x0, y0, x1, y1 = box
    grad = vgradient((x1 - x0 + 1, y1 - y0 + 1), top, bottom)
    mask = rounded_mask(grad.size, (0, 0, grad.size[0] - 1, grad.size[1] - 1), radius)
    img.paste(grad, (x0, y0), mask)


def flatten(rgba, background):
    """Composites an RGBA picture over a colour (or an RGB picture of the same size)."""
    if isinstance(background, tuple):
        background = Image.new("RGBA", rgba.size, background + (255,))
    else:
        background = background.convert("RGBA")
    return Image.alpha_composite(background, rgba).convert("RGB")


# --- file writers --------------------------------------------------------------

def save_gif(rgb, path):
    """A window picture: its own colours when they fit a GIF palette, else an
    adaptive palette, dithered so gradients do not band."""
    if rgb.getcolors(256) is not None:
        rgb.quantize(colors=256, method=Image.Quantize.MAXCOVERAGE, dither=Image.Dither.NONE).save(path)
        return
    palette = rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT)
    out = rgb.quantize(palette=palette, dither=Image.Dither.FLOYDSTEINBERG)
    out.save(path)


def save_button_gif(rgb, opaque, path):
    """A button picture: opaque pixels quantised, the rest the key colour at
    the GIF's transparent index; the top-left pixel is always transparent."""
    w, h = rgb.size
    assert not opaque.getpixel((0, 0)), path + ": top-left pixel must be transparent"
    quant = rgb.quantize(colors=254, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = quant.getpalette()[: 254 * 3]
    pal += [0, 0, 0] * (254 - len(pal) // 3)
    pal += list(KEY) + [0, 0, 0]
    key_index = 254
    px = quant.load()
    op = opaque.load()
    for y in range(h):
        for x in range(w):
            if not op[x, y]:
                px[x, y] = key_index
    quant.putpalette(pal)
    quant.save(path, transparency=key_index)


def save_ico(images, path):
    images = sorted(images, key=lambda i: -i.size[0])
    images[0].save(path, format="ICO", sizes=[i.size for i in images], append_images=images[1:])


def out_path(rel):
    if K != 1:
        stem, ext = os.path.splitext(rel)
        rel = "%s@%dx%s" % (stem, K, ext)
    path = os.path.join(OUT, *rel.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


# --- glyphs (drawn into a supersampled image) -----------------------------------

def draw_folder(d, box, body, tab, line=None):
    """A folder: tab on the upper left, body below."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    tab_h = h * 0.22
    d.rounded_rectangle((x0, y0, x0 + w * 0.45, y0 + tab_h * 2), radius=w * 0.08, fill=tab)
    d.rounded_rectangle((x0, y0 + tab_h, x1, y1), radius=w * 0.09, fill=body)
    if line:
        d.line((x0 + w * 0.02, y0 + tab_h + h * 0.16, x1 - w * 0.02, y0 + tab_h + h * 0.16),
               fill=line, width=max(1, round(h * 0.06)))


def draw_bin(d, box, colour, slots):
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    lw = max(1, round(w * 0.10))
    # handle and lid
    d.rounded_rectangle((x0 + w * 0.34, y0, x0 + w * 0.66, y0 + h * 0.18), radius=w * 0.06,
                        outline=colour, width=lw)
    d.rounded_rectangle((x0, y0 + h * 0.12, x1, y0 + h * 0.24), radius=h * 0.05, fill=colour)
    # can
    d.polygon([(x0 + w * 0.10, y0 + h * 0.30), (x1 - w * 0.10, y0 + h * 0.30),
               (x1 - w * 0.18, y1), (x0 + w * 0.18, y1)], fill=colour)
    for fx in (0.36, 0.5, 0.64):
        d.line((x0 + w * fx, y0 + h * 0.42, x0 + w * fx, y1 - h * 0.12), fill=slots, width=lw)


def draw_cross(d, box, colour, width):
    x0, y0, x1, y1 = box
    d.line((x0, y0, x1, y1), fill=colour, width=width)
    d.line((x0, y1, x1, y0), fill=colour, width=width)


def draw_arrows(d, box, colour, width):
    """Two arrows chasing each other round a circle: the update sign."""
    x0, y0, x1, y1 = box
    w = x1 - x0
    d.arc(box, start=200, end=330, fill=colour, width=width)
    d.arc(box, start=20, end=150, fill=colour, width=width)
    cx, cy, r = (x0 + x1) / 2, (y0 + y1) / 2, w / 2
    import math

    def head(angle_deg, direction):
        a = math.radians(angle_deg)
        px, py = cx + r * math.cos(a), cy + r * math.sin(a)
        # tangent of the circle, pointing the way the arrow runs
        tx, ty = -math.sin(a) * direction, math.cos(a) * direction
        nx, ny = math.cos(a), math.sin(a)
        s = width * 1.6
        d.polygon([(px + tx * s * 1.2, py + ty * s * 1.2),
                   (px - tx * s * 0.3 + nx * s, py - ty * s * 0.3 + ny * s),
                   (px - tx * s * 0.3 - nx * s, py - ty * s * 0.3 - ny * s)], fill=colour)

    head(330, 1)
    head(150, 1)


# --- buttons ---------------------------------------------------------------------

class ButtonArt:
    """One button family: a shared outline and one face per state."""

    def __init__(self, size, radius, background):
        self.size = size
        self.radius = radius
        self.background = background  # a colour, or a function of the (1x) row
        b = BASE_SS
        shape = rounded_mask((size[0] * b, size[1] * b), (0, 0, size[0] * b - 1, size[1] * b - 1), radius * b)
        coverage = shape.resize(size, Image.Resampling.BOX)
        self.opaque = coverage.point(lambda v: 255 if v >= 110 else 0).convert("1")
        if K != 1:
            self.opaque = self.opaque.resize(at_scale(size), Image.Resampling.NEAREST)

    def backdrop(self):
        w, h = at_scale(self.size)
        if callable(self.background):
            img = Image.new("RGB", (w, h))
            d = ImageDraw.Draw(img)
            for y in range(h):
                d.line([(0, y), (w, y)], fill=self.background(row_position(y)))
            return img
        return Image.new("RGB", (w, h), self.background)

    def face(self, border, top, bottom, highlight=None, inner_shadow=None):
        """Border, gradient face and an optional one-pixel line inside the top edge."""
        w, h = big(self.size)
        img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        paste_gradient(img, (0, 0, w - 1, h - 1), self.radius * SS, border, border)
        paste_gradient(img, (SS, SS, w - 1 - SS, h - 1 - SS), (self.radius - 1) * SS, top, bottom)
        line = highlight or inner_shadow
        if line:
            d = ImageDraw.Draw(img)
            r = (self.radius - 1) * SS
            d.line((SS + r, SS + SS // 2, w - 1 - SS - r, SS + SS // 2), fill=line + (255,), width=SS)
        return img

    def save(self, big_rgba, rel):
        rgb = flatten(shrink(big_rgba, at_scale(self.size)), self.backdrop())
        save_button_gif(rgb, self.opaque, out_path(rel))


def draw_buttons():
    # The captioned button: a light face for the black caption the program writes on it.
    tight = ButtonArt((80, 25), 5, BODY)
    tight.save(tight.face((150, 164, 182), (255, 255, 255), (228, 234, 241), highlight=(255, 255, 255)),
               "Buttons/Button.gif")
    tight.save(tight.face((112, 130, 153), (208, 217, 228), (224, 231, 239), inner_shadow=(186, 198, 213)),
               "Buttons/Button_Down.gif")

    # Browse and dustbin sit on the white card of the editor.
    small = ButtonArt((26, 22), 4, CARD)

    def small_face(state):
        if state == "down":
            return small.face((112, 130, 153), (208, 217, 228), (224, 231, 239), inner_shadow=(186, 198, 213))
        if state == "disabled":
            return small.face((208, 215, 224), (246, 248, 250), (240, 243, 247))
        return small.face((150, 164, 182), (255, 255, 255), (228, 234, 241), highlight=(255, 255, 255))

    for state, suffix in (("normal", ""), ("down", "_down"), ("disabled", "_disabled")):
        img = small_face(state)
        d = ImageDraw.Draw(img)
        dy = SS if state == "down" else 0
        if state == "disabled":
            body, tab, line = (196, 202, 211), (182, 189, 199), (214, 219, 226)
        else:
            body, tab, line = AMBER, AMBER_DARK, (250, 214, 140)
        draw_folder(d, (7 * SS, 5 * SS + dy, 19 * SS, 16 * SS + dy), body + (255,), tab + (255,), line + (255,))
        small.save(img, "Buttons/browse%s.gif" % suffix)

        img = small_face(state)
        d = ImageDraw.Draw(img)
        colour = (196, 202, 211) if state == "disabled" else RED
        slots = (240, 243, 247) if state == "disabled" else (255, 236, 232)
        draw_bin(d, (8 * SS, 4 * SS + dy, 18 * SS, 17 * SS + dy), colour + (255,), slots + (255,))
        small.save(img, "Buttons/dustbin%s.gif" % suffix)

    # Close and minimise sit on the title strip (rows 5 to 23 of a 28 to 30 row strip).
    def on_strip(y):
        return strip_colour(y + 5, 29)

    title = ButtonArt((18, 18), 4, on_strip)
    for suffix, top, bottom, dy in (("", (232, 96, 86), (208, 70, 62), 0), ("_down", (176, 52, 46), (158, 42, 38), SS)):
        img = title.face((150, 40, 36), top, bottom)
        draw_cross(ImageDraw.Draw(img), (6 * SS, 6 * SS + dy, 12 * SS, 12 * SS + dy), (255, 255, 255, 255),
                   round(1.7 * SS))
        title.save(img, "Buttons/Exit%s.gif" % suffix)
    for suffix, top, bottom, dy in (("", (80, 109, 148), (64, 91, 128), 0), ("_down", (50, 73, 104), (56, 81, 114), SS)):
        img = title.face((26, 40, 60), top, bottom)
        ImageDraw.Draw(img).rounded_rectangle((5 * SS, 11 * SS + dy, 13 * SS, 13 * SS - 1 + dy), radius=SS // 2,
                                              fill=(255, 255, 255, 255))
        title.save(img, "Buttons/Minimize%s.gif" % suffix)


# --- window pictures -----------------------------------------------------------------

def window_base(size, strip_h):
    """Frame, title strip with its accent line, body."""
    w, h = size
    img = Image.new("RGB", at_scale(size), BODY)
    d = ImageDraw.Draw(img)
    for y in range(strip_h * K):
        d.line([(0, y), (w * K, y)], fill=strip_colour(row_position(y), strip_h))
    fill_pixels(d, (0, strip_h, w, strip_h), ACCENT)
    fill_pixels(d, (0, strip_h + 1, w, strip_h + 1), ACCENT_DARK)
    d.rectangle((0, 0, w * K - 1, h * K - 1), outline=FRAME, width=K)
    return img


def card(img, box, radius=6):
    """A white panel with a soft edge and shadow, drawn supersampled."""
    x0, y0, x1, y1 = box
    pad = 3
    region = (x0 - pad, y0 - pad, x1 + pad + 1, y1 + pad + 1)
    cw, ch = region[2] - region[0], region[3] - region[1]
    layer = Image.new("RGBA", big((cw, ch)), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    # shadow one pixel down
    d.rounded_rectangle((pad * SS, (pad + 1) * SS, (cw - pad) * SS - 1, (ch - pad + 1) * SS - 1),
                        radius=radius * SS, fill=(160, 172, 190, 90))
    d.rounded_rectangle((pad * SS, pad * SS, (cw - pad) * SS - 1, (ch - pad) * SS - 1),
                        radius=radius * SS, fill=CARD_EDGE + (255,))
    d.rounded_rectangle(((pad + 1) * SS, (pad + 1) * SS, (cw - pad - 1) * SS - 1, (ch - pad - 1) * SS - 1),
                        radius=(radius - 1) * SS, fill=CARD + (255,))
    small_layer = shrink(layer, at_scale((cw, ch)))
    under = img.crop(at_scale(region))
    img.paste(flatten(small_layer, under), at_scale(region[:2]))


def logo_mark(size):
    """The program's mark: a white folder on a blue rounded square, RGBA,
    `size` output pixels wide."""
    s = size * BASE_SS
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    paste_gradient(img, (0, 0, s - 1, s - 1), round(s * 0.22), (84, 160, 232), ACCENT_DARK)
    d = ImageDraw.Draw(img)
    m = s * 0.2
    draw_folder(d, (m, m * 1.15, s - m, s - m * 0.95), (255, 255, 255, 255), (214, 232, 250, 255))
    # a bookmark ribbon hanging over the folder's front: one of the kept places
    top = m * 1.15 + (s - m * 0.95 - m * 1.15) * 0.22 - s * 0.02
    bx, bw, bh = s - m - s * 0.26, s * 0.15, s * 0.30
    d.polygon([(bx, top), (bx + bw, top), (bx + bw, top + bh), (bx + bw / 2, top + bh * 0.74), (bx, top + bh)],
              fill=AMBER + (255,))
    return shrink(img, (size, size))


def draw_main_window():
    w, h = 401, 250
    img = window_base((w, h), 30)
    d = ImageDraw.Draw(img)
    # left column for the three main buttons, divided from the content
    fill_pixels(d, (112, 32, 112, h - 2), DIVIDER)
    fill_pixels(d, (113, 32, 113, h - 2), (250, 251, 253))
    # the content card: group name on top, five places below
    card(img, (122, 38, 390, 239))
    fill_pixels(d, (132, 73, 380, 73), DIVIDER)
    # the mark at the foot of the column
    mark = logo_mark(28 * K)
    img.paste(flatten(mark, img.crop(at_scale((14, 206, 42, 234)))), at_scale((14, 206)))
    font = ImageFont.truetype(BOLD_FONT, 10 * K)
    d.text(at_scale((47, 212)), "Varnel", font=font, fill=(120, 134, 153))
    d.text(at_scale((47, 223)), "Zize", font=font, fill=(120, 134, 153))
    save_gif(img, out_path("window.gif"))


def draw_msg_box():
    img = window_base((250, 100), 28)
    save_gif(img, out_path("msgBox.gif"))


def draw_update_window():
    w, h = 401, 250
    img = window_base((w, h), 28)
    card(img, (12, 40, 388, 194))
    d = ImageDraw.Draw(img)
    # faint update sign in the card's corner
    layer = Image.new("RGBA", big((44, 44)), (0, 0, 0, 0))
    draw_arrows(ImageDraw.Draw(layer), (5 * SS, 5 * SS, 39 * SS, 39 * SS), (226, 233, 242, 255), 4 * SS)
    spot = at_scale((336, 48))
    n = at_scale(44)
    img.paste(flatten(shrink(layer, (n, n)), img.crop(spot + (spot[0] + n, spot[1] + n))), spot)
    fill_pixels(d, (24, 120, 376, 120), DIVIDER)
    save_gif(img, out_path("UpdateWindow.gif"))


def draw_splash():
    w, h = 299, 147
    band = 112
    img = Image.new("RGB", at_scale((w, h)), BODY)
    # diagonal gradient over the upper part
    top = Image.new("RGB", at_scale((w, band)))
    tp = top.load()
    for y in range(band * K):
        for x in range(w * K):
            t = (row_position(x) / w) * 0.65 + (row_position(y) / band) * 0.35
            tp[x, y] = mix((28, 46, 72), (48, 104, 168), t)
    img.paste(top, (0, 0))
    # two soft arcs for depth
    layer = Image.new("RGBA", big((w, band)), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    d.ellipse((160 * SS, -60 * SS, 420 * SS, 200 * SS), outline=(255, 255, 255, 22), width=16 * SS)
    d.ellipse((200 * SS, -20 * SS, 380 * SS, 160 * SS), outline=(255, 255, 255, 16), width=8 * SS)
    img.paste(flatten(shrink(layer, at_scale((w, band))), img.crop(at_scale((0, 0, w, band)))), (0, 0))
    d = ImageDraw.Draw(img)
    fill_pixels(d, (0, band, w, band), ACCENT)
    fill_pixels(d, (0, band + 1, w, band + 1), ACCENT_DARK)
    mark = logo_mark(56 * K)
    img.paste(flatten(mark, img.crop(at_scale((24, 28, 80, 84)))), at_scale((24, 28)))
    # product name, drawn supersampled for smooth type
    layer = Image.new("RGBA", big((200, 60)), (0, 0, 0, 0))
    d2 = ImageDraw.Draw(layer)
    d2.text((0, 0), "Varnel", font=ImageFont.truetype(BOLD_FONT, 27 * SS), fill=(255, 255, 255, 255))
    d2.text((2 * SS, 33 * SS), "Z I Z E", font=ImageFont.truetype(BOLD_FONT, 13 * SS), fill=(150, 200, 245, 255))
    spot = at_scale((94, 30))
    size = at_scale((200, 60))
    img.paste(flatten(shrink(layer, size), img.crop(spot + (spot[0] + size[0], spot[1] + size[1]))), spot)
    d.rectangle((0, 0, w * K - 1, h * K - 1), outline=FRAME, width=K)
    save_gif(img, out_path("splash.gif"))


# --- icons ---------------------------------------------------------------------------

def icon_varnel(size):
    return logo_mark(size)


def icon_tray(size):
    """Tray icon: the folder alone, bold enough for a panel at 16 pixels."""
    s = size * SS
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    m = s * 0.06
    # dark rim so the folder reads on light and dark panels alike
    draw_folder(d, (m, m * 2.2, s - m, s - m * 1.2), FRAME + (255,), FRAME + (255,))
    i = s * 0.12
    draw_folder(d, (i, i * 1.6, s - i, s - i * 0.75), AMBER + (255,), AMBER_DARK + (255,), (250, 214, 140, 255))
    # rows of places: three where there is room, two at 16 pixels
    rows = 3 if size > 16 else 2
    for k in range(rows):
        y = s * (0.56 + k * (0.11 if rows == 3 else 0.16))
        d.line((s * 0.30, y, s * 0.70, y), fill=ACCENT_DARK + (255,), width=max(SS, round(s * 0.06)))
    return shrink(img, (size, size))


def icon_update(size):
    s = size * SS
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    paste_gradient(img, (0, 0, s - 1, s - 1), round(s * 0.22), (70, 190, 128), GREEN_DARK)
    d = ImageDraw.Draw(img)
    m = s * 0.24
    draw_arrows(d, (m, m, s - m, s - m), (255, 255, 255, 255), round(s * (0.11 if size <= 16 else 0.09)))
    return shrink(img, (size, size))


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def draw_icons():
    """One icon file each, every size drawn for itself (at 1x: an icon's
    sizes are its scales)."""
    for name, fn in (("Varnel", icon_varnel), ("Tray", icon_tray), ("Update", icon_update)):
        save_ico([fn(size) for size in ICON_SIZES], out_path("Icon/%s.ico" % name))


def draw_combo_arrow():
    """The drop-down arrow of the group list, compiled into the program."""
    size = (9, 5)
    img = Image.new("RGBA", big(size), (0, 0, 0, 0))
    ImageDraw.Draw(img).polygon([(0, 0), (9 * SS, 0), (4.5 * SS, 5 * SS)], fill=(90, 104, 124, 255))
    name = "combo_arrow.png" if K == 1 else "combo_arrow@%dx.png" % K
    path = os.path.join(os.path.dirname(os.path.dirname(HERE)), "src", "skin", "resources", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shrink(img, at_scale(size)).save(path)


def main():
    os.makedirs(OUT, exist_ok=True)
    for k in (1, 2):
        set_scale(k)
        draw_combo_arrow()
        draw_buttons()
        draw_main_window()
        draw_msg_box()
        draw_update_window()
        draw_splash()
    set_scale(1)
    draw_icons()
    return 0


if __name__ == "__main__":
    sys.exit(main())
