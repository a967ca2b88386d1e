#!/usr/bin/env python3
"""Checks the live preview in two screenshots of the program taken a second apart.

The preview control is found by its 2-pixel white frame. Inside it the
picture must sit where the program's fitting puts a frame of the camera's
size (centred, as large as fits, same aspect ratio), show the test camera's
colour bars in place, leave black strips where it does not fill the frame,
and differ between the two shots where the frame number is drawn. With
--blank instead of --size the frame's inside must be black in both shots:
no camera is shown.

    preview_check.py A.png B.png --window X Y W H (--size W H | --blank)
"""
import argparse
import sys

import numpy as np
from PIL import Image

# The test camera's 75% colour bars, left to right.
BARS = [(191, 191, 191), (191, 191, 0), (0, 191, 191), (0, 191, 0),
        (191, 0, 191), (191, 0, 0), (0, 0, 191), (0, 0, 0)]
TOLERANCE = 40


def load(path, window):
    x, y, w, h = window
    image = np.asarray(Image.open(path).convert("RGB"), dtype=np.int16)
    return image[y:y + h, x:x + w]


def find_frame(image):
    """The frame's outer rectangle (left, top, right, bottom; exclusive), or None."""
    white = np.all(image > 235, axis=2)
    columns = white.sum(axis=0)
    rows = white.sum(axis=1)
    if columns.max() < 100 or rows.max() < 100:
        return None
    # The frame's edges are by far the longest white lines in the window.
    edge_columns = np.nonzero(columns >= 0.8 * columns.max())[0]
    edge_rows = np.nonzero(rows >= 0.8 * rows.max())[0]
    return (int(edge_columns[0]), int(edge_rows[0]),
            int(edge_columns[-1]) + 1, int(edge_rows[-1]) + 1)


def fit(frame, width, height):
    """Where the program places a picture of width x height inside the frame."""
    left, top, right, bottom = frame
    available_w = right - left - 4
    available_h = bottom - top - 4
    scale = min(np.float32(available_h) / np.float32(height),
                np.float32(available_w) / np.float32(width))
    w = int(np.float32(width) * scale)
    h = int(np.float32(height) * scale)
    return left + 2 + (available_w - w) // 2, top + 2 + (available_h - h) // 2, w, h


def colour_at(image, x, y):
    patch = image[y - 2:y + 3, x - 2:x + 3].reshape(-1, 3)
    return tuple(int(v) for v in np.median(patch, axis=0))


def near(seen, wanted, tolerance=TOLERANCE):
    return all(abs(s - w) <= tolerance for s, w in zip(seen, wanted))


def check(first, second, width, height):
    problems = []
    frame = find_frame(first)
    if frame is None:
        return ["no white frame found"], None
    left, top, right, bottom = frame
    x, y, w, h = fit(frame, width, height)
    print(f"frame {left},{top}-{right},{bottom}; picture {w}x{h} at {x},{y}")

    for edge in range(2):
        for name, px, py in (("left", left + edge, (top + bottom) // 2),
                             ("right", right - 1 - edge, (top + bottom) // 2),
                             ("top", (left + right) // 2, top + edge),
                             ("bottom", (left + right) // 2, bottom - 1 - edge)):
            if not near(tuple(int(v) for v in first[py, px]), (255, 255, 255), 20):
                problems.append(f"{name} edge of the frame not white at {px},{py}")

    row = y + h * 3 // 8
    for index, wanted in enumerate(BARS):
        seen = colour_at(first, x + w * (2 * index + 1) // 16, row)
        if not near(seen, wanted):
            problems.append(f"bar {index}: {seen}, expected about {wanted}")

    # The picture starts where the fitting says: the first bar's grey begins
    # at its left edge, and strips of the frame's inside stay black.
    if not near(tuple(int(v) for v in first[row, x + 1]), BARS[0]):
        problems.append(f"picture does not start at x={x}")
    # ...and reaches its top and bottom edges: a bar at the top, the grey band
    # (or the moving stripe) at the bottom, never a black strip.
    if not near(colour_at(first, x + w * 9 // 16, y + 3), BARS[4]):
        problems.append(f"picture does not reach its top edge at y={y}")
    if max(colour_at(first, x + w * 9 // 16, y + h - 4)) < 20:
        problems.append(f"picture does not reach its bottom edge at y={y + h}")
    black = (0, 0, 0)
    if y - (top + 2) >= 4:
        for py in ((top + 2 + y) // 2, (y + h + bottom - 2) // 2):
            if not near(colour_at(first, (left + right) // 2, py), black, 25):
                problems.append(f"strip at y={py} is not black")
        if not near(tuple(int(v) for v in first[y - 2, x + w // 2]), black, 25):
            problems.append(f"picture reaches above y={y}")
    if x - (left + 2) >= 4:
        for px in ((left + 2 + x) // 2, (x + w + right - 2) // 2):
            if not near(colour_at(first, px, (top + bottom) // 2), black, 25):
                problems.append(f"strip at x={px} is not black")
        if not near(tuple(int(v) for v in first[row, x - 2]), black, 25):
            problems.append(f"picture reaches left of x={x}")

    # The frame number, top left of the picture, moves on within a second.
    counter = (slice(y, y + h // 4), slice(x, x + w // 4))
    changed = int(np.any(first[counter] != second[counter], axis=2).sum())
    print(f"pixels changed in the frame number area: {changed}")
    if changed < 50:
        problems.append("the picture did not change within a second")
    return problems, (x, y, w, h)


def check_blank(first, second):
    frame = find_frame(first)
    if frame is None:
        return ["no white frame found"]
    left, top, right, bottom = frame
    problems = []
    for name, image in (("first", first), ("second", second)):
        inside = image[top + 4:bottom - 4, left + 4:right - 4]
        lit = int(np.any(inside > 40, axis=2).sum())
        print(f"{name} shot: {lit} lit pixels inside the frame")
        if lit > inside.shape[0] * inside.shape[1] // 1000:
            problems.append(f"the {name} shot still shows a picture ({lit} lit pixels)")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("first")
    parser.add_argument("second")
    parser.add_argument("--window", type=int, nargs=4, required=True)
    shown = parser.add_mutually_exclusive_group(required=True)
    shown.add_argument("--size", type=int, nargs=2)
    shown.add_argument("--blank", action="store_true")
    args = parser.parse_args()
    first = load(args.first, args.window)
    second = load(args.second, args.window)
    if args.blank:
        problems = check_blank(first, second)
    else:
        problems, _ = check(first, second, *args.size)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
