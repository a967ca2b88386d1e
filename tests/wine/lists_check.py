#!/usr/bin/env python3
"""Checks in a screenshot of the program (English skin) whether its drop-down
lists show a selected entry: the camera list above the preview and the photo
resolution, video resolution, file format and refresh rate lists of the
panel. A list with no selected entry draws no text; an entry's text is white
and ends short of the list's right text padding (a text that reaches it was
cut).

    lists_check.py SHOT.png --window X Y W H (--empty | --filled)
"""
import argparse
import sys

import numpy as np
from PIL import Image

# Each list's left, top, width and height from the window's top-left corner,
# and the text padding the skin gives them (left, right).
LISTS = {
    "camera": (25, 94, 520, 43),
    "photo resolution": (988, 485, 300, 38),
    "video resolution": (988, 535, 300, 38),
    "file format": (988, 585, 300, 38),
    "refresh rate": (988, 635, 300, 38),
}
TEXT_LEFT, TEXT_RIGHT = 15, 45
# A short entry such as "MJPG" draws over a hundred white pixels in the
# format lists' small font; an empty list none.
FILLED = 60


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("shot")
    parser.add_argument("--window", type=int, nargs=4, required=True)
    state = parser.add_mutually_exclusive_group(required=True)
    state.add_argument("--empty", action="store_true")
    state.add_argument("--filled", action="store_true")
    args = parser.parse_args()
    x, y, w, h = args.window
    image = np.asarray(Image.open(args.shot).convert("RGB"), dtype=np.int16)[y:y + h, x:x + w]
    problems = []
    for name, (left, top, width, height) in LISTS.items():
        text = image[top:top + height, left + TEXT_LEFT:left + width - TEXT_RIGHT]
        white = int((text.min(axis=2) > 200).sum())
        print(f"{name} list: {white} white pixels")
        if args.empty and white > 0:
            problems.append(f"the {name} list shows an entry")
        if args.filled and white < FILLED:
            problems.append(f"the {name} list shows no entry")
        columns = (text.min(axis=2) > 200).any(axis=0).nonzero()[0]
        if len(columns) and columns[-1] >= text.shape[1] - 2:
            problems.append(f"the {name} list's text is cut at its right end")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
