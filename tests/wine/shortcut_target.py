#!/usr/bin/env python3
"""Checks that a Windows shortcut (.lnk) points at the expected program.

    shortcut_target.py FILE.lnk 'C:\\path\\Program.exe'

Reads the target's local path from the shortcut's LinkInfo (the layout of
the shell link format: a 76-byte header, an optional item-ID list, then the
LinkInfo block with the offset of its local base path) and compares it
without regard to case, as Windows does.
"""
import struct
import sys

HAS_ID_LIST = 0x1
HAS_LINK_INFO = 0x2


def local_path(data):
    if len(data) < 76 or struct.unpack_from("<I", data, 0)[0] != 76:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 20)[0]
    pos = 76
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    if not flags & HAS_LINK_INFO:
        raise ValueError("no LinkInfo")
    header_size = struct.unpack_from("<I", data, pos + 4)[0]
    base = struct.unpack_from("<I", data, pos + 16)[0]
    if header_size >= 0x24:
        unicode_base = struct.unpack_from("<I", data, pos + 28)[0]
        if unicode_base:
            start = pos + unicode_base
            end = start
            while data[end:end + 2] != b"\0\0":
                end += 2
            return data[start:end].decode("utf-16-le")
    end = data.index(b"\0", pos + base)
    return data[pos + base:end].decode("mbcs" if sys.platform == "win32" else "cp1252")


def main():
    with open(sys.argv[1], "rb") as f:
        target = local_path(f.read())
    if target.lower() != sys.argv[2].lower():
        print(f"{sys.argv[1]} points at {target}, not {sys.argv[2]}")
        sys.exit(1)


if __name__ == "__main__":
    main()
