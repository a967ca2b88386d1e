#!/usr/bin/env python3
"""Prints the types of an MP4 file's top-level boxes, one line, in order
(a run of equal types once, with its count: "moof*12"). Exits with 1 when
the boxes do not add up to the file's length (a file cut short)."""
import struct
import sys


def top_level(path):
    types = []
    with open(path, "rb") as f:
        f.seek(0, 2)
        end = f.tell()
        at = 0
        while at + 8 <= end:
            f.seek(at)
            size, kind = struct.unpack(">I4s", f.read(8))
            if size == 1:
                size = struct.unpack(">Q", f.read(8))[0]
            elif size == 0:
                size = end - at
            if size < 8:
                return types, False
            types.append(kind.decode("latin-1"))
            at += size
        return types, at == end


def main():
    types, whole = top_level(sys.argv[1])
    runs = []
    for kind in types:
        if runs and runs[-1][0] == kind:
            runs[-1][1] += 1
        else:
            runs.append([kind, 1])
    print(" ".join(k if n == 1 else "%s*%d" % (k, n) for k, n in runs))
    return 0 if whole else 1


if __name__ == "__main__":
    sys.exit(main())
