#!/usr/bin/env python3
"""Checks that screenshots of the program show each language's skin, legibly.

For every CASE-LANGUAGE.png (with CASE-LANGUAGE.geometry: "X Y W H" of the
window), LANGUAGE a skin's name such as German, the three buttons of the bottom bar
(Default, Cancel, Apply) are found by their blue faces, and the white text on
each is compared with the text that each skin document gives that button,
drawn here with the font the skins' face is substituted by. The text on
screen must look most like the text of LANGUAGE's skin, and like it closely
enough: a wrong skin, an empty button, question marks for characters the
code page lacks, boxes for glyphs the font lacks, or text decoded with the
wrong encoding all fail.

    language_check.py SHOTS_FOLDER SKIN_FOLDER
"""
import html
import os
import re
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

BUTTONS = ("id_btn_default", "id_btn_cancel", "id_btn_apply")
BOTTOM_BAR = 67
# The skins' face is substituted by WenQuanYi Micro Hei, which has no Arabic;
# Wine draws that from DejaVu Sans.
CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
ARABIC_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
# Similarity of the text on screen with the skin's own text: at least this,
# and ahead of every other language's text for the same button by MARGIN.
# The right text scores 0.75 and more; question marks, boxes and text
# decoded with the wrong code page score below 0.2.
MINIMUM = 0.5
MARGIN = 0.1


def skin_texts(skin_folder):
    """{language: {button: (text, font size)}} from the skin documents."""
    texts = {}
    for name in sorted(os.listdir(skin_folder)):
        match = re.fullmatch(r"Orvana_(\w+)\.xml", name)
        if not match:
            continue
        with open(os.path.join(skin_folder, name), encoding="utf-8-sig") as f:
            document = f.read()
        sizes = {m.group(1): int(m.group(2)) for m in
                 re.finditer(r'<Font\s+id="(\d+)"[^>]*?\ssize="(\d+)"', document)}
        default = re.search(r'<Font\s+id="(\d+)"[^>]*default="true"', document).group(1)
        buttons = {}
        for button in BUTTONS:
            element = re.search(r'<Button\b[^>]*\bname="%s"[^>]*>' % button, document).group(0)
            text = html.unescape(re.search(r'\btext="([^"]*)"', element).group(1))
            font = re.search(r'\bfont="(\d+)"', element)
            buttons[button] = (text, sizes[font.group(1) if font else default])
        texts[match.group(1)] = buttons
    return texts


def ink_box(ink, threshold=0.3):
    rows = np.nonzero((ink > threshold).any(axis=1))[0]
    columns = np.nonzero((ink > threshold).any(axis=0))[0]
    if len(rows) == 0:
        return None
    return ink[rows[0]:rows[-1] + 1, columns[0]:columns[-1] + 1]


def render(text, size):
    arabic = any("\u0600" <= c <= "\u06ff" for c in text)
    font = ImageFont.truetype(ARABIC_FONT if arabic else CJK_FONT, size)
    image = Image.new("L", (size * (len(text) + 4), size * 3), 0)
    ImageDraw.Draw(image).text((size, size), text, fill=255, font=font)
    return ink_box(np.asarray(image, dtype=np.float32) / 255)


def similarity(seen, wanted):
    """1 for the same text drawn alike; lower for other shapes or sizes."""
    sh, sw = seen.shape
    wh, ww = wanted.shape
    scale = min(sw, ww) / max(sw, ww) * min(sh, wh) / max(sh, wh)
    resized = np.asarray(Image.fromarray((wanted * 255).astype(np.uint8)).resize(
        (sw, sh), Image.BILINEAR), dtype=np.float32) / 255
    a = np.asarray(Image.fromarray((seen * 255).astype(np.uint8)).filter(
        ImageFilter.GaussianBlur(1)), dtype=np.float32)
    b = np.asarray(Image.fromarray((resized * 255).astype(np.uint8)).filter(
        ImageFilter.GaussianBlur(1)), dtype=np.float32)
    a -= a.mean()
    b -= b.mean()
    norm = np.sqrt((a * a).sum() * (b * b).sum())
    return float((a * b).sum() / norm) * scale if norm > 0 else 0.0


def buttons_on_screen(window):
    """The three buttons' text ink, left to right, from the bottom bar."""
    height = window.shape[0]
    bar = window[height - BOTTOM_BAR:]
    r, g, b = bar[..., 0], bar[..., 1], bar[..., 2]
    blue = (r < 80) & (g > 120) & (g < 210) & (b > 170)
    columns = blue.sum(axis=0) >= 10
    runs = []
    for x in np.nonzero(columns)[0]:
        if runs and x == runs[-1][1] + 1:
            runs[-1][1] = x
        else:
            runs.append([x, x])
    runs = [run for run in runs if run[1] - run[0] >= 40]
    found = []
    for left, right in runs:
        rows = np.nonzero(blue[:, left:right + 1].sum(axis=1) >= 10)[0]
        face = bar[rows[0] + 2:rows[-1] - 1, left + 2:right - 1]
        # White text on the blue face: red rises from 0 to 255 with the ink.
        found.append(face[..., 0].astype(np.float32) / 255)
    return found


def check_shot(path, language, texts):
    with open(path[:-4] + ".geometry") as f:
        x, y, w, h = (int(v) for v in f.read().split())
    image = np.asarray(Image.open(path).convert("RGB"), dtype=np.int16)[y:y + h, x:x + w]
    found = buttons_on_screen(image)
    name = os.path.basename(path)[:-4]
    if len(found) != len(BUTTONS):
        return [f"{name}: {len(found)} buttons in the bottom bar, expected {len(BUTTONS)}"]
    problems = []
    for button, face in zip(BUTTONS, found):
        seen = ink_box(face)
        wanted_text = texts[language][button][0]
        if seen is None:
            problems.append(f"{name}: no text on {button} (expected {wanted_text!r})")
            continue
        scores = {}
        for other in texts.values():
            text, size = other[button]
            if text not in scores:
                scores[text] = similarity(seen, render(text, size))
        best = max(scores, key=scores.get)
        rival = max((s for t, s in scores.items() if t != wanted_text), default=0.0)
        print(f"{name} {button}: {scores[wanted_text]:.2f} for {wanted_text!r}, "
              f"best other {rival:.2f}")
        if best != wanted_text or scores[wanted_text] < MINIMUM or \
                scores[wanted_text] - rival < MARGIN:
            problems.append(f"{name}: {button} does not show {wanted_text!r} legibly "
                            f"(similarity {scores[wanted_text]:.2f}, looks most like "
                            f"{best!r} at {scores[best]:.2f})")
    return problems


def main():
    shots, skin_folder = sys.argv[1], sys.argv[2]
    texts = skin_texts(os.path.join(skin_folder, "Orvana"))
    problems = []
    checked = 0
    for name in sorted(os.listdir(shots)):
        match = re.fullmatch(r"[\w-]+-(\w+)\.png", name)
        if not match or match.group(1) not in texts:
            continue
        checked += 1
        problems += check_shot(os.path.join(shots, name), match.group(1), texts)
    if checked == 0:
        problems.append("no screenshots")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
