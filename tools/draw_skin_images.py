#!/usr/bin/env python3
"""Draws the seven PNG images of the Orvana skin into skin/Orvana/, and the
slider image btn_slider.png of the all-rows skins into tools/all_rows_skin/Orvana/.

The look is flat: white glyphs on the brand blue for the title bar, and light
controls on the black body with the brand blue marking the active state.
Shapes are drawn at four times their size and reduced with a box filter, which
gives smooth edges without depending on the anti-aliasing of the drawing
primitives. The output depends only on this script, Pillow and the two font
files named below, so running it again gives the same files.

The sprite rectangles are defined here once (SPRITES); tools/make_skins.py
imports them, so the skin documents always pick the parts that were drawn.

btn_slider.png holds the microphone and speaker sliders. The shipped skins
keep those sliders in hidden rows and the shipped archive goes without the
image; the all-rows skins (tools/make_skins.py --all-rows, packed into
OrvanaFull.exe) show the rows and carry it. It lives outside skin/ because
everything under skin/ goes into the shipped archive.

Usage: draw_skin_images.py [SKIN_DIR [ALL_ROWS_DIR]]
       (defaults: <repo>/skin and <repo>/tools/all_rows_skin)
"""
import math
import os
import sys

try:
    from PIL import Image, ImageDraw, ImageFilter, ImageFont
except ImportError:  # make_skins.py needs only the sprite table below
    Image = None

SCALE = 4  # supersampling factor

FONT_BOLD = "/usr/share/fonts/truetype/noto/NotoSans-Bold.ttf"
FONT_REGULAR = "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf"

# Palette (RGB); alpha is added where a colour is used.
BLUE = (0x00, 0xA8, 0xE2)
BLUE_LIGHT = (0x3C, 0xC3, 0xF2)
BLUE_DARK = (0x00, 0x84, 0xB3)
WHITE = (0xFF, 0xFF, 0xFF)
INK = (0xE8, 0xE8, 0xE8)      # text-like glyphs on black
MUTED = (0x8C, 0x8C, 0x8C)    # the "less" end of a property, idle outlines
DIM = (0x40, 0x40, 0x40)      # disabled outlines and tracks
FIELD = (0x1C, 0x1C, 0x1C)    # list and value backgrounds
FIELD_HOT = (0x26, 0x26, 0x26)
FIELD_EDGE = (0x55, 0x55, 0x55)
FIELD_OFF = (0x12, 0x12, 0x12)
EDGE_OFF = (0x30, 0x30, 0x30)
RED = (0xE5, 0x39, 0x35)
RED_HOT = (0xE8, 0x11, 0x23)
RED_DARK = (0xB0, 0x0D, 0x1A)

STATES3 = ("normal", "hot", "pushed")
STATES_OPTION = ("normal", "hot", "selected", "selectedhot", "disabled")
STATES_LIST = ("normal", "hot", "pushed", "disabled")
PROPERTIES = ("brightness", "contrasts", "saturations", "sharpness",
              "hue", "whitebalance", "zoom", "focus")


def _rect(x, y, w, h):
    return (x, y, x + w, y + h)


def _sprites():
    """Every rectangle (left, top, right, bottom) that the skins take from the images."""
    s = {}
    # property_control.png, 613 x 291
    for k, kind in enumerate(("min", "max", "restore", "close")):
        for i, state in enumerate(STATES3):
            s[f"title.{kind}.{state}"] = _rect((k * 3 + i) * 45, 0, 45, 45)
    s["slider.track"] = _rect(0, 50, 190, 25)
    s["slider.progress"] = _rect(195, 50, 190, 25)
    s["slider.disabled"] = _rect(390, 50, 190, 25)
    for p, name in enumerate(PROPERTIES):
        s[f"icon.{name}.low"] = _rect((p * 2) * 26, 80, 24, 24)
        s[f"icon.{name}.high"] = _rect((p * 2 + 1) * 26, 80, 24, 24)
    for i, state in enumerate(STATES3):
        s[f"thumb.{state}"] = _rect(430 + i * 16, 80, 12, 25)
    for i, state in enumerate(STATES_OPTION):
        s[f"check.{state}"] = _rect(i * 24, 112, 20, 20)
        s[f"radio.{state}"] = _rect(130 + i * 30, 112, 26, 26)
    s["value"] = _rect(290, 112, 50, 25)
    for i, state in enumerate(STATES_LIST):
        s[f"list43.{state}"] = _rect(i * 104, 145, 100, 43)
        s[f"list38.{state}"] = _rect(i * 104, 195, 100, 38)
    # btn_normal.png, 159 x 97: the wide buttons of the bottom bar
    s["wide.normal"] = _rect(0, 0, 79, 48)
    s["wide.hot"] = _rect(80, 0, 79, 48)
    s["wide.pushed"] = _rect(0, 49, 79, 48)
    s["wide.disabled"] = _rect(80, 49, 79, 48)
    # btn_control.png, 206 x 101: columns photo, record, folder; rows normal, hot, selected
    for c, name in enumerate(("photo", "record", "folder")):
        for r, state in enumerate(("normal", "hot", "selected")):
            s[f"control.{name}.{state}"] = _rect(c * 69, r * 34, 68, 33)
    # scroll.png, 16 x 144
    for i, state in enumerate(STATES3):
        s[f"scroll.up.{state}"] = _rect(0, i * 16, 16, 16)
        s[f"scroll.down.{state}"] = _rect(0, 48 + i * 16, 16, 16)
        s[f"scroll.thumb.{state}"] = _rect(0, 96 + i * 10, 16, 10)
    s["scroll.rail"] = _rect(0, 126, 16, 16)
    # btn_slider.png, 226 x 50: the microphone and speaker sliders (all-rows skins only)
    s["volume.track"] = _rect(0, 0, 190, 25)
    s["volume.progress"] = _rect(0, 25, 190, 25)
    for i, state in enumerate(STATES3):
        s[f"volume.thumb.{state}"] = _rect(190 + i * 12, 0, 12, 25)
    return s


SPRITES = _sprites()

# Which image each sprite group lives in, and the size of every image.
IMAGE_SIZES = {
    "btn_control.png": (206, 101),
    "btn_normal.png": (159, 97),
    "capture_img.png": (8, 8),
    "logo.png": (110, 64),
    "property_control.png": (613, 291),
    "scroll.png": (16, 144),
    "title_text.png": (520, 52),
}
# The images that only the all-rows skins carry.
ALL_ROWS_IMAGE_SIZES = {
    "btn_slider.png": (226, 50),
}


def sprite_image(key):
    prefix = key.split(".", 1)[0]
    return {"wide": "btn_normal.png", "control": "btn_control.png", "scroll": "scroll.png",
            "volume": "btn_slider.png"}.get(prefix, "property_control.png")


# --- drawing helpers -----------------------------------------------------------


class Canvas:
    """An RGBA image drawn at SCALE times its size, in 1x coordinates."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SCALE, h * SCALE), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.img)

    @staticmethod
    def _c(color, alpha=255):
        return tuple(color[:3]) + (alpha,)

    def _box(self, box):
        return [round(v * SCALE) for v in box]

    def rrect(self, box, radius, fill=None, outline=None, width=1.0, alpha=255):
        self.d.rounded_rectangle(self._box(box), radius=round(radius * SCALE),
                                 fill=self._c(fill, alpha) if fill else None,
                                 outline=self._c(outline, alpha) if outline else None,
                                 width=max(1, round(width * SCALE)))

    def rect(self, box, fill, alpha=255):
        self.d.rectangle(self._box(box), fill=self._c(fill, alpha))

    def ellipse(self, box, fill=None, outline=None, width=1.0, alpha=255):
        self.d.ellipse(self._box(box), fill=self._c(fill, alpha) if fill else None,
                       outline=self._c(outline, alpha) if outline else None,
                       width=max(1, round(width * SCALE)))

    def circle(self, cx, cy, r, **kw):
        self.ellipse((cx - r, cy - r, cx + r, cy + r), **kw)

    def line(self, points, color, width=1.0, alpha=255, round_caps=True):
        pts = [(x * SCALE, y * SCALE) for x, y in points]
        wpx = max(1, round(width * SCALE))
        self.d.line(pts, fill=self._c(color, alpha), width=wpx, joint="curve")
        if round_caps:
            r = wpx / 2
            for x, y in (pts[0], pts[-1]):
                self.d.ellipse((x - r, y - r, x + r, y + r), fill=self._c(color, alpha))

    def polygon(self, points, fill, alpha=255):
        self.d.polygon([(x * SCALE, y * SCALE) for x, y in points], fill=self._c(fill, alpha))

    def pieslice(self, box, start, end, fill, alpha=255):
        self.d.pieslice(self._box(box), start, end, fill=self._c(fill, alpha))

    def arc(self, box, start, end, color, width=1.0, alpha=255):
        self.d.arc(self._box(box), start, end, fill=self._c(color, alpha),
                   width=max(1, round(width * SCALE)))

    def text(self, xy, text, font_path, size, color, anchor="mm", alpha=255, spacing=0.0):
        font = ImageFont.truetype(font_path, round(size * SCALE))
        if not spacing:
            self.d.text((xy[0] * SCALE, xy[1] * SCALE), text, font=font,
                        fill=self._c(color, alpha), anchor=anchor)
            return
        # Tracked text: place the letters one by one around the anchor point.
        widths = [font.getlength(ch) for ch in text]
        total = sum(widths) + spacing * SCALE * (len(text) - 1)
        x = xy[0] * SCALE - total / 2
        for ch, w in zip(text, widths):
            self.d.text((x, xy[1] * SCALE), ch, font=font, fill=self._c(color, alpha),
                        anchor="lm")
            x += w + spacing * SCALE

    def paste(self, other, x, y):
        """Composites another canvas (same scale) with its top-left at (x, y)."""
        self.img.alpha_composite(other.img, (round(x * SCALE), round(y * SCALE)))

    def result(self):
        return self.img.resize((self.w, self.h), Image.BOX)


def place(sheet, key, drawn):
    """Puts a finished 1x image into the sheet at the sprite's rectangle."""
    left, top, right, bottom = SPRITES[key]
    assert drawn.size == (right - left, bottom - top), (key, drawn.size)
    sheet.alpha_composite(drawn, (left, top))


def size_of(key):
    left, top, right, bottom = SPRITES[key]
    return right - left, bottom - top


# --- title-bar buttons ---------------------------------------------------------


def title_button(kind, state):
    c = Canvas(45, 45)
    if state != "normal":
        if kind == "close":
            c.rect((0, 0, 45, 45), RED_HOT if state == "hot" else RED_DARK)
        else:
            c.rect((0, 0, 45, 45), WHITE if state == "hot" else BLUE_DARK,
                   alpha=56 if state == "hot" else 255)
    w = 1.4
    if kind == "min":
        c.line([(17, 23), (28, 23)], WHITE, w, round_caps=False)
    elif kind == "max":
        c.rrect((17, 17, 28, 28), 1, outline=WHITE, width=w)
    elif kind == "restore":
        c.line([(19.5, 17.5), (19.5, 15.5), (29.5, 15.5), (29.5, 25.5), (27.5, 25.5)], WHITE, w,
               round_caps=False)
        c.rrect((15.5, 19.5, 25.5, 29.5), 1, outline=WHITE, width=w)
    else:
        c.line([(17, 17), (28, 28)], WHITE, w)
        c.line([(28, 17), (17, 28)], WHITE, w)
    return c.result()


# --- sliders -------------------------------------------------------------------


def slider_track(color, backdrop=None):
    c = Canvas(190, 25)
    if backdrop:
        c.rect((0, 0, 190, 25), backdrop)
    c.rrect((1, 10.5, 189, 14.5), 2, fill=color)
    return c.result()


def slider_thumb(state):
    c = Canvas(12, 25)
    face = {"normal": WHITE, "hot": (0xDD, 0xF4, 0xFD), "pushed": BLUE}[state]
    edge = {"normal": (0xB8, 0xB8, 0xB8), "hot": BLUE, "pushed": WHITE}[state]
    c.rrect((0.5, 0.5, 11.5, 24.5), 4, fill=face, outline=edge, width=1)
    grip = BLUE if state != "pushed" else WHITE
    for y in (9.5, 12.5, 15.5):
        c.line([(4, y), (8, y)], grip, 1, round_caps=False)
    return c.result()


# --- property icons (24 x 24) ------------------------------------------------------


def icon_brightness(high):
    c = Canvas(24, 24)
    col = WHITE if high else MUTED
    r_core, r_in, r_out = (4.5, 7.0, 10.5) if high else (3.2, 5.5, 7.6)
    c.circle(12, 12, r_core, fill=col)
    for k in range(8):
        a = k * math.pi / 4
        c.line([(12 + r_in * math.cos(a), 12 + r_in * math.sin(a)),
                (12 + r_out * math.cos(a), 12 + r_out * math.sin(a))], col, 1.6 if high else 1.3)
    return c.result()


def icon_contrast(high):
    c = Canvas(24, 24)
    col = WHITE if high else MUTED
    c.circle(12, 12, 9, outline=col, width=1.6)
    # The right half is filled; the low end shows it faded.
    c.pieslice((3, 3, 21, 21), -90, 90, col, alpha=255 if high else 90)
    return c.result()


def _drop(c, col, fill_alpha, width):
    # A circle with a tip above it; the sides are the tangents from the tip.
    cx, cy, r, tip = 12, 14.5, 6.5, 3.0
    spread = math.acos(r / (cy - tip))
    a0 = -math.pi / 2 + spread
    a1 = 3 * math.pi / 2 - spread
    pts = [(cx, tip)] + [(cx + r * math.cos(a0 + (a1 - a0) * k / 48),
                          cy + r * math.sin(a0 + (a1 - a0) * k / 48)) for k in range(49)]
    if fill_alpha:
        c.polygon(pts, col, alpha=fill_alpha)
    c.line(pts + [pts[0]], col, width, round_caps=False)


def icon_saturation(high):
    c = Canvas(24, 24)
    if high:
        _drop(c, WHITE, 255, 1.4)
    else:
        _drop(c, MUTED, 0, 1.4)
    return c.result()


def icon_sharpness(high):
    c = Canvas(24, 24)
    if high:
        c.polygon([(12, 3), (21, 19.5), (3, 19.5)], WHITE)
        return c.result()
    soft = Canvas(24, 24)
    soft.polygon([(12, 4.5), (19.5, 18.5), (4.5, 18.5)], INK)
    img = soft.img.filter(ImageFilter.GaussianBlur(1.5 * SCALE))
    return img.resize((24, 24), Image.BOX)


def icon_hue(high):
    c = Canvas(24, 24)
    for k in range(6):
        h = k / 6.0
        r, g, b = _hsv(h, 1.0 if high else 0.28, 1.0 if high else 0.62)
        c.pieslice((2.5, 2.5, 21.5, 21.5), k * 60 - 90, k * 60 - 30, (r, g, b))
    # punch the centre out so the panel shows through
    hole = Image.new("L", c.img.size, 0)
    ImageDraw.Draw(hole).ellipse([round(v * SCALE) for v in (8.4, 8.4, 15.6, 15.6)], fill=255)
    alpha = c.img.getchannel("A")
    alpha.paste(0, mask=hole)
    c.img.putalpha(alpha)
    return c.result()


def _hsv(h, s, v):
    i = int(h * 6) % 6
    f = h * 6 - int(h * 6)
    p, q, t = v * (1 - s), v * (1 - f * s), v * (1 - (1 - f) * s)
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i]
    return round(r * 255), round(g * 255), round(b * 255)


def icon_whitebalance(high):
    c = Canvas(24, 24)
    col = WHITE if high else MUTED
    c.rrect((1.5, 4.5, 22.5, 19.5), 3, fill=col if high else None, outline=col, width=1.4)
    c.text((12, 12.2), "WB", FONT_BOLD, 9.5, (0, 0, 0) if high else col)
    if high:
        # knock the letters out of the filled plate
        letters = Canvas(24, 24)
        letters.text((12, 12.2), "WB", FONT_BOLD, 9.5, WHITE)
        alpha = c.img.getchannel("A")
        alpha.paste(0, mask=letters.img.getchannel("A"))
        c.img.putalpha(alpha)
    return c.result()


def icon_zoom(high):
    c = Canvas(24, 24)
    col = WHITE if high else MUTED
    c.circle(10, 10, 6.8, outline=col, width=1.7)
    c.line([(15, 15), (20.5, 20.5)], col, 2.4)
    c.line([(7, 10), (13, 10)], col, 1.6, round_caps=False)
    if high:
        c.line([(10, 7), (10, 13)], col, 1.6, round_caps=False)
    return c.result()


def icon_focus(high):
    c = Canvas(24, 24)
    col = WHITE if high else MUTED
    for sx, sy in ((0, 0), (1, 0), (0, 1), (1, 1)):
        x0 = 2.5 if sx == 0 else 21.5
        y0 = 2.5 if sy == 0 else 21.5
        dx = 5 if sx == 0 else -5
        dy = 5 if sy == 0 else -5
        c.line([(x0, y0 + dy), (x0, y0), (x0 + dx, y0)], col, 1.5, round_caps=False)
    if high:
        c.circle(12, 12, 4.6, outline=col, width=1.5)
        c.circle(12, 12, 1.6, fill=col)
    else:
        c.circle(12, 12, 2.2, fill=col)
    return c.result()


ICONS = {
    "brightness": icon_brightness, "contrasts": icon_contrast, "saturations": icon_saturation,
    "sharpness": icon_sharpness, "hue": icon_hue, "whitebalance": icon_whitebalance,
    "zoom": icon_zoom, "focus": icon_focus,
}


# --- options, lists, value backgrounds ------------------------------------------


def check_option(state):
    c = Canvas(20, 20)
    if state == "disabled":
        c.rrect((1, 1, 19, 19), 3, fill=FIELD_OFF, outline=EDGE_OFF, width=1.5)
    elif state in ("selected", "selectedhot"):
        c.rrect((1, 1, 19, 19), 3, fill=BLUE if state == "selected" else BLUE_LIGHT)
        c.line([(5.2, 10.4), (8.6, 13.8), (14.8, 6.6)], WHITE, 2.0)
    else:
        c.rrect((1, 1, 19, 19), 3, fill=FIELD,
                outline=MUTED if state == "normal" else BLUE, width=1.5)
    return c.result()


def radio_option(state):
    c = Canvas(26, 26)
    if state == "disabled":
        c.circle(13, 13, 11, fill=FIELD_OFF, outline=EDGE_OFF, width=1.6)
    elif state in ("selected", "selectedhot"):
        ring = BLUE if state == "selected" else BLUE_LIGHT
        c.circle(13, 13, 11, fill=FIELD, outline=ring, width=2.0)
        c.circle(13, 13, 5.5, fill=ring)
    else:
        c.circle(13, 13, 11, fill=FIELD, outline=MUTED if state == "normal" else BLUE, width=1.6)
        if state == "hot":
            c.circle(13, 13, 5.5, fill=BLUE, alpha=70)
    return c.result()


def list_frame(height, state):
    c = Canvas(100, height)
    fill = {"normal": FIELD, "hot": FIELD_HOT, "pushed": FIELD_HOT, "disabled": FIELD_OFF}[state]
    edge = {"normal": FIELD_EDGE, "hot": BLUE, "pushed": BLUE, "disabled": EDGE_OFF}[state]
    arrow = {"normal": INK, "hot": WHITE, "pushed": BLUE, "disabled": DIM}[state]
    c.rrect((0.5, 0.5, 99.5, height - 0.5), 4, fill=fill, outline=edge, width=1.2)
    # separator and chevron in the 40-pixel right part, which the skins keep unscaled
    c.line([(63, 8), (63, height - 8)], edge if state != "normal" else (0x3A, 0x3A, 0x3A), 1,
           round_caps=False)
    cy = height / 2
    if state == "pushed":
        c.line([(76, cy + 2.5), (81.5, cy - 3), (87, cy + 2.5)], arrow, 2.0)
    else:
        c.line([(76, cy - 2.5), (81.5, cy + 3), (87, cy - 2.5)], arrow, 2.0)
    return c.result()


def value_background():
    c = Canvas(50, 25)
    c.rrect((0.5, 0.5, 49.5, 24.5), 4, fill=FIELD, outline=(0x3C, 0x3C, 0x3C), width=1)
    return c.result()


def draw_property_sheet():
    sheet = Image.new("RGBA", IMAGE_SIZES["property_control.png"], (0, 0, 0, 0))
    for kind in ("min", "max", "restore", "close"):
        for state in STATES3:
            place(sheet, f"title.{kind}.{state}", title_button(kind, state))
    place(sheet, "slider.track", slider_track((0x4A, 0x4A, 0x4A)))
    place(sheet, "slider.progress", slider_track(BLUE))
    place(sheet, "slider.disabled", slider_track((0x33, 0x33, 0x33), backdrop=(0, 0, 0)))
    for state in STATES3:
        place(sheet, f"thumb.{state}", slider_thumb(state))
    for name, draw in ICONS.items():
        place(sheet, f"icon.{name}.low", draw(False))
        place(sheet, f"icon.{name}.high", draw(True))
    for state in STATES_OPTION:
        place(sheet, f"check.{state}", check_option(state))
        place(sheet, f"radio.{state}", radio_option(state))
    place(sheet, "value", value_background())
    for state in STATES_LIST:
        place(sheet, f"list43.{state}", list_frame(43, state))
        place(sheet, f"list38.{state}", list_frame(38, state))
    return sheet


# --- bottom-bar buttons ----------------------------------------------------------------


def wide_button(state):
    c = Canvas(79, 48)
    fill = {"normal": BLUE, "hot": BLUE_LIGHT, "pushed": BLUE_DARK, "disabled": (0x3A, 0x3A, 0x3A)}
    c.rrect((0, 0, 79, 48), 6, fill=fill[state])
    if state == "hot":
        c.rrect((0.5, 0.5, 78.5, 47.5), 6, outline=WHITE, width=1, alpha=90)
    return c.result()


def draw_wide_buttons():
    img = Image.new("RGBA", IMAGE_SIZES["btn_normal.png"], (0, 0, 0, 0))
    for state in ("normal", "hot", "pushed", "disabled"):
        place(img, f"wide.{state}", wide_button(state))
    return img


def control_button(name, state):
    c = Canvas(68, 33)
    if name == "record" and state == "selected":
        c.rrect((0.5, 0.5, 67.5, 32.5), 5, fill=RED)
    elif state == "selected":
        c.rrect((0.5, 0.5, 67.5, 32.5), 5, fill=BLUE_DARK)
    else:
        c.rrect((0.5, 0.5, 67.5, 32.5), 5, fill=FIELD if state == "normal" else FIELD_HOT,
                outline=FIELD_EDGE if state == "normal" else BLUE, width=1.2)
    glyph = WHITE if state != "normal" else INK
    cx, cy = 34, 16.5
    if name == "photo":
        c.rrect((cx - 11, cy - 6.5, cx + 11, cy + 8), 2.5, fill=glyph)
        c.polygon([(cx - 5, cy - 6.5), (cx - 3, cy - 9.5), (cx + 3, cy - 9.5), (cx + 5, cy - 6.5)],
                  glyph)
        lens_back = (0x1C, 0x1C, 0x1C) if state == "normal" else (
            BLUE_DARK if state == "selected" else FIELD_HOT)
        c.circle(cx, cy + 0.8, 4.6, fill=lens_back)
        c.circle(cx, cy + 0.8, 2.6, fill=glyph)
    elif name == "record":
        if state == "selected":
            c.rrect((cx - 6, cy - 6, cx + 6, cy + 6), 1.5, fill=WHITE)
        else:
            c.circle(cx, cy, 9, outline=glyph, width=1.5)
            c.circle(cx, cy, 6, fill=RED if state == "normal" else RED_HOT)
    else:
        c.polygon([(cx - 12, cy - 8), (cx - 4.5, cy - 8), (cx - 2, cy - 5.5), (cx + 12, cy - 5.5),
                   (cx + 12, cy + 8.5), (cx - 12, cy + 8.5)], glyph)
        c.line([(cx - 12, cy - 2.5), (cx + 12, cy - 2.5)],
               (0x1C, 0x1C, 0x1C) if state == "normal" else (
                   BLUE_DARK if state == "selected" else FIELD_HOT), 1.2, round_caps=False)
    return c.result()


def draw_control_buttons():
    img = Image.new("RGBA", IMAGE_SIZES["btn_control.png"], (0, 0, 0, 0))
    for name in ("photo", "record", "folder"):
        for state in ("normal", "hot", "selected"):
            place(img, f"control.{name}.{state}", control_button(name, state))
    return img


# --- scroll bar ----------------------------------------------------------------------


def scroll_button(up, state):
    c = Canvas(16, 16)
    if state == "hot":
        c.rrect((1, 1, 15, 15), 3, fill=(0x2E, 0x2E, 0x2E))
    elif state == "pushed":
        c.rrect((1, 1, 15, 15), 3, fill=BLUE)
    col = MUTED if state == "normal" else WHITE
    if up:
        c.line([(4.5, 9.5), (8, 6), (11.5, 9.5)], col, 1.6)
    else:
        c.line([(4.5, 6.5), (8, 10), (11.5, 6.5)], col, 1.6)
    return c.result()


def scroll_thumb(state):
    # Drawn so that its top and bottom four rows are the round caps and the
    # middle rows repeat when the thumb is stretched.
    c = Canvas(16, 10)
    col = {"normal": (0x4A, 0x4A, 0x4A), "hot": (0x6A, 0x6A, 0x6A), "pushed": BLUE}[state]
    c.rrect((3, 0, 13, 10), 4, fill=col)
    return c.result()


def scroll_rail():
    c = Canvas(16, 16)
    for y in (5.5, 8, 10.5):
        c.line([(5.5, y), (10.5, y)], (0x1E, 0x1E, 0x1E), 1.0, round_caps=False)
    return c.result()


def draw_scroll():
    img = Image.new("RGBA", IMAGE_SIZES["scroll.png"], (0, 0, 0, 0))
    for state in STATES3:
        place(img, f"scroll.up.{state}", scroll_button(True, state))
        place(img, f"scroll.down.{state}", scroll_button(False, state))
        place(img, f"scroll.thumb.{state}", scroll_thumb(state))
    place(img, "scroll.rail", scroll_rail())
    return img


# --- volume sliders (all-rows skins) ---------------------------------------------------


def draw_volume_sliders():
    """The microphone and speaker sliders, drawn like the property sliders."""
    img = Image.new("RGBA", ALL_ROWS_IMAGE_SIZES["btn_slider.png"], (0, 0, 0, 0))
    place(img, "volume.track", slider_track((0x4A, 0x4A, 0x4A)))
    place(img, "volume.progress", slider_track(BLUE))
    for state in STATES3:
        place(img, f"volume.thumb.{state}", slider_thumb(state))
    return img


# --- logo, title and recording dot ------------------------------------------------------


def lens_mark(c, cx, cy, r, back):
    """The Orvana mark: a white lens with six aperture blades around a hexagonal opening."""
    c.circle(cx, cy, r, fill=WHITE)
    inner = r * 0.40
    hexagon = [(cx + inner * math.cos(math.radians(60 * k - 90)),
                cy + inner * math.sin(math.radians(60 * k - 90))) for k in range(6)]
    c.polygon(hexagon, back)
    for k, (x, y) in enumerate(hexagon):
        # each blade edge leaves a corner of the opening along the next side's direction
        nx, ny = hexagon[(k + 1) % 6]
        dx, dy = nx - x, ny - y
        n = math.hypot(dx, dy)
        dx, dy = dx / n, dy / n
        # walk outwards until the edge meets the rim (solve |p + t d - c| = r * 0.97)
        px, py = x - cx, y - cy
        b = px * dx + py * dy
        t = -b + math.sqrt(b * b - (px * px + py * py) + (r * 0.97) ** 2)
        c.line([(x, y), (x - dx * t, y - dy * t)], back, r * 0.09, round_caps=False)


def draw_logo():
    c = Canvas(110, 64)
    lens_mark(c, 55, 21, 17, BLUE)
    c.text((55, 52.5), "Orvana", FONT_BOLD, 15.5, WHITE, spacing=0.6)
    return c.result()


def draw_title():
    c = Canvas(520, 52)
    c.text((260, 25), "ORVANA CAMERA", FONT_REGULAR, 27, WHITE, spacing=5.0)
    return c.result()


def draw_capture_dot():
    c = Canvas(8, 8)
    c.circle(4, 4, 3.7, fill=RED)
    return c.result()


DRAWERS = {
    "btn_control.png": draw_control_buttons,
    "btn_normal.png": draw_wide_buttons,
    "capture_img.png": draw_capture_dot,
    "logo.png": draw_logo,
    "property_control.png": draw_property_sheet,
    "scroll.png": draw_scroll,
    "title_text.png": draw_title,
}
ALL_ROWS_DRAWERS = {
    "btn_slider.png": draw_volume_sliders,
}


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    skin_dir = argv[1] if len(argv) > 1 else os.path.join(root, "skin")
    all_rows_dir = argv[2] if len(argv) > 2 else os.path.join(root, "tools", "all_rows_skin")
    if Image is None:
        sys.exit("drawing the skin images needs Pillow (Debian package python3-pil)")
    for path in (FONT_BOLD, FONT_REGULAR):
        if not os.path.exists(path):
            sys.exit(f"missing font {path} (Debian package fonts-noto-core)")
    sizes = {**IMAGE_SIZES, **ALL_ROWS_IMAGE_SIZES}
    for key, rect in SPRITES.items():
        w, h = sizes[sprite_image(key)]
        assert 0 <= rect[0] < rect[2] <= w and 0 <= rect[1] < rect[3] <= h, key
    for folder, drawers in ((skin_dir, DRAWERS), (all_rows_dir, ALL_ROWS_DRAWERS)):
        out_dir = os.path.join(folder, "Orvana")
        os.makedirs(out_dir, exist_ok=True)
        for name, draw in drawers.items():
            img = draw()
            assert img.size == sizes[name], (name, img.size)
            img.save(os.path.join(out_dir, name), format="PNG", optimize=True)


if __name__ == "__main__":
    main(sys.argv)
