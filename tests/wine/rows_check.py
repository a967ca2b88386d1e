#!/usr/bin/env python3
"""Checks in a screenshot of OrvanaFull.exe that the rows the shipped skins hide
are shown, where the all-rows layout of tools/make_skins.py puts them:

- the photo, record and open-folder buttons (68 x 33, 20 apart, 25 from the
  left) sit vertically centred in the 67-high bottom bar, each on its dark
  face, the record button with its red dot;
- the right-hand panel shows ten slider tracks at the x of the sliders: the
  eight property sliders (property_control.png) and, below them, the
  microphone and speaker sliders, 35 apart, which draw btn_slider.png. With
  the rows hidden, or with btn_slider.png missing from the archive, only
  eight are there.

The check does not depend on the language: all skins share these positions.

    rows_check.py SHOT.png --window X Y W H
"""
import argparse
import sys

import numpy as np
from PIL import Image

TOP_BAR = 74           # the top bar's height
BOTTOM_BAR = 67        # the bottom bar's height, below a 3-high blue strip
STRIP = 3
PANEL_WIDTH = 520      # the panel "id_tab_menu" is the middle's right-most 520 pixels
SLIDER_LEFT = 182      # every slider's left edge in the panel (name 140 and the gaps)
SLIDER_WIDTH = 190
THUMB = 12
ROW = 35               # height of a slider row

FACE = (0x1C, 0x1C, 0x1C)          # a control button's face (tools/draw_skin_images.py FIELD)
RED = (0xE5, 0x39, 0x35)           # the record button's dot
TRACK = (0x4A, 0x4A, 0x4A)         # a slider's track
DISABLED_TRACK = (0x33, 0x33, 0x33)  # a disabled slider's (its property in automatic mode)
PROGRESS = (0x00, 0xA8, 0xE2)      # a slider's progress part


def is_colour(pixels, colour):
    return np.all(pixels == np.array(colour, dtype=np.int16), axis=-1)


def check_buttons(image, width, height):
    problems = []
    top = height - BOTTOM_BAR + (BOTTOM_BAR - 33) // 2
    for k, name in enumerate(("photo", "record", "open-folder")):
        left = 25 + k * (68 + 20)
        box = image[top:top + 33, left:left + 68]
        face = is_colour(box, FACE).mean()
        red = int(is_colour(box, RED).sum())
        print(f"{name} button at {left},{top}: {face:.0%} face, {red} red pixels")
        if face < 0.5:
            problems.append(f"no {name} button at {left},{top} in the bottom bar")
        if name == "record" and red < 50:
            problems.append("the record button has no red dot")
    return problems


def slider_tracks(image, width, height):
    """The top rows of the horizontal track lines across the sliders' x range."""
    left = width - PANEL_WIDTH + SLIDER_LEFT + THUMB + 2  # past a thumb at value 0
    right = width - PANEL_WIDTH + SLIDER_LEFT + SLIDER_WIDTH - 2
    middle = image[TOP_BAR:height - BOTTOM_BAR - STRIP, left:right]
    drawn = (is_colour(middle, TRACK) | is_colour(middle, PROGRESS) |
             is_colour(middle, DISABLED_TRACK))
    # Allow the thumb of a slider whose value is not 0 somewhere on its track.
    rows = np.nonzero(drawn.mean(axis=1) >= 0.85)[0]
    tracks = []
    for y in rows:
        if not tracks or y > tracks[-1][1] + 1:
            tracks.append([y, y])
        else:
            tracks[-1][1] = y
    return [TOP_BAR + int(first) for first, _ in tracks]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("shot")
    parser.add_argument("--window", type=int, nargs=4, required=True)
    args = parser.parse_args()
    x, y, width, height = args.window
    image = np.asarray(Image.open(args.shot).convert("RGB"), dtype=np.int16)
    image = image[y:y + height, x:x + width]

    problems = check_buttons(image, width, height)
    tracks = slider_tracks(image, width, height)
    print(f"slider tracks at y = {tracks}")
    if len(tracks) != 10:
        problems.append(f"{len(tracks)} slider tracks in the panel, expected 10 "
                        "(eight properties, microphone, speaker)")
    elif tracks[9] - tracks[8] != ROW or tracks[8] - tracks[7] <= 2 * ROW:
        problems.append("the microphone and speaker sliders are not two rows below the lists")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
