#!/usr/bin/env python3
"""Checks the words the program draws on the preview's black ground.

The preview control is found by its white frame (preview_check.py); inside
it the preview window sits where a picture of W x H is fitted. The words
must be there: light grey pixels (no camera picture), every one of them
inside the preview window with a black margin (nothing cut off), in lines
at least 12 pixels high.

    preview_words_check.py SHOT.png --window X Y W H --size W H
"""
import argparse
import sys

import numpy as np

from preview_check import find_frame, fit, load

SMALLEST_LINE = 12


def line_heights(lit_rows):
    """Heights of the runs of rows that hold text (a gap of 3 rows ends a line)."""
    heights, start, last = [], None, None
    for row in lit_rows:
        if start is None:
            start = last = row
        elif row - last > 3:
            heights.append(last - start + 1)
            start = row
        last = row
    if start is not None:
        heights.append(last - start + 1)
    return heights


def check(image, width, height):
    frame = find_frame(image)
    if frame is None:
        return ["no white frame found"]
    left, top, right, bottom = frame
    x, y, w, h = fit(frame, width, height)
    print(f"frame {left},{top}-{right},{bottom}; preview window {w}x{h} at {x},{y}")
    inside = image[top + 3:bottom - 3, left + 3:right - 3]
    lit = np.max(inside, axis=2) > 110
    ys, xs = np.nonzero(lit)
    if len(ys) < 150:
        return [f"no words on the preview ({len(ys)} lit pixels)"]
    ys = ys + top + 3
    xs = xs + left + 3
    problems = []
    colours = image[ys, xs]
    coloured = int(np.sum(np.max(colours, axis=1) - np.min(colours, axis=1) > 60))
    if coloured > len(ys) // 20:
        problems.append(f"{coloured} coloured pixels: a picture, not words")
    text_left, text_right = int(xs.min()), int(xs.max())
    text_top, text_bottom = int(ys.min()), int(ys.max())
    print(f"words {text_left},{text_top}-{text_right},{text_bottom}")
    if text_left < x + 2 or text_right > x + w - 3 or text_top < y + 2 or text_bottom > y + h - 3:
        problems.append("the words reach the edge of the preview (cut off)")
    heights = line_heights(sorted(set(int(v) for v in ys)))
    print(f"lines: {heights}")
    if max(heights) < SMALLEST_LINE:
        problems.append(f"letters below {SMALLEST_LINE} pixels: lines {heights}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("shot")
    parser.add_argument("--window", type=int, nargs=4, required=True)
    parser.add_argument("--size", type=int, nargs=2, required=True)
    args = parser.parse_args()
    problems = check(load(args.shot, args.window), *args.size)
    for problem in problems:
        print("PROBLEM:", problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
