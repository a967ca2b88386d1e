#!/usr/bin/env python3
"""Checks in a screenshot that the program's window shows every control of its
right-hand panel and bottom bar whole, wherever the window's height put them
(a window as high as a low screen's work area packs the panel's rows
tighter), and prints where they are, as shell assignments relative to the
window's corner, for the clicks that follow:

- the slider tracks of the panel (rows_check.py finds them): 8, or 10 with
  --all-rows, one below the other, none under the bottom bar;
- the four format lists (photo and video resolution, file format, refresh
  rate): their whole frames, one below the other, above the blue strip;
- Default, Cancel and Apply: three blue buttons in the bottom bar.

    small_screen_check.py SHOT.png --window X Y W H [--all-rows]

Prints tracks="Y..." lists="Y Y Y Y" buttons="X X X" buttons_y=Y panel_x=X.
"""
import argparse
import sys

import numpy as np
from PIL import Image

from rows_check import BOTTOM_BAR, PANEL_WIDTH, SLIDER_LEFT, SLIDER_WIDTH, STRIP, TOP_BAR
from rows_check import is_colour, slider_tracks

LIST_RIGHT = 21        # a format list's right edge from the window's (inset 1, padding 20)
LIST_HEIGHT = 38
# A list's face just right of its chevron, in each of its states (tools/draw_skin_images.py).
LIST_FACES = [(0x1C, 0x1C, 0x1C), (0x26, 0x26, 0x26), (0x12, 0x12, 0x12)]
WIDE_FACES = [(0x00, 0xA8, 0xE2), (0x3C, 0xC3, 0xF2), (0x00, 0x84, 0xB3)]
WIDE_HEIGHT = 38


def runs(mask, least):
    """(first, last) of each run of True at least `least` long."""
    found = []
    start = None
    for i, value in enumerate(list(mask) + [False]):
        if value and start is None:
            start = i
        elif not value and start is not None:
            if i - start >= least:
                found.append((start, i - 1))
            start = None
    return found


def any_colour(pixels, colours):
    mask = np.zeros(pixels.shape[:-1], dtype=bool)
    for colour in colours:
        mask |= is_colour(pixels, colour)
    return mask


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("shot")
    parser.add_argument("--window", nargs=4, type=int, required=True)
    parser.add_argument("--all-rows", action="store_true")
    args = parser.parse_args()
    x, y, width, height = args.window
    screen = np.asarray(Image.open(args.shot).convert("RGB")).astype(np.int16)
    if x < 0 or y < 0 or x + width > screen.shape[1] or y + height > screen.shape[0]:
        print(f"the window {width}x{height} at {x},{y} is not inside the screen "
              f"{screen.shape[1]}x{screen.shape[0]}")
        return 1
    image = screen[y:y + height, x:x + width]
    strip_top = height - 1 - BOTTOM_BAR - STRIP
    problems = []

    tracks = slider_tracks(image, width, height)
    expected = 10 if args.all_rows else 8
    print(f"slider tracks at {tracks}")
    if len(tracks) != expected:
        problems.append(f"{len(tracks)} slider tracks, not {expected}")

    column = image[TOP_BAR:strip_top, width - LIST_RIGHT - 7]
    lists = [(TOP_BAR + first, TOP_BAR + last)
             for first, last in runs(any_colour(column, LIST_FACES), LIST_HEIGHT - 8)]
    print(f"format lists at {lists}")
    if len(lists) != 4:
        problems.append(f"{len(lists)} whole format lists, not 4")
    elif len(tracks) >= 8 and lists[0][0] < tracks[7]:
        problems.append("the format lists overlap the slider rows")

    # Above the buttons' texts, and down their left parts, where no letter is.
    buttons_y = height - 1 - BOTTOM_BAR // 2
    row = image[buttons_y - WIDE_HEIGHT // 2 + 5, :]
    buttons = runs(any_colour(row, WIDE_FACES), 100)
    print(f"bottom-bar buttons at {buttons}")
    if len(buttons) != 3:
        problems.append(f"{len(buttons)} buttons in the bottom bar, not Default, Cancel and Apply")
    for first, last in buttons:
        face = runs(any_colour(image[strip_top:, first + 6], WIDE_FACES), WIDE_HEIGHT - 8)
        if len(face) != 1:
            problems.append(f"the button at x {first} is not whole")

    if problems:
        for problem in problems:
            print(problem)
        return 1
    panel_x = width - 1 - PANEL_WIDTH + SLIDER_LEFT + SLIDER_WIDTH // 2
    print(f'tracks="{" ".join(str(t) for t in tracks)}"')
    print(f'lists="{" ".join(str((a + b) // 2) for a, b in lists)}"')
    print(f'buttons="{" ".join(str((a + b) // 2) for a, b in buttons)}"')
    print(f"buttons_y={buttons_y}")
    print(f"panel_x={panel_x}")
    print(f"list_x={width - LIST_RIGHT - 150}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
