#!/usr/bin/env python3
"""Writes a damaged copy of the skin archive for the OrvanaDamaged.exe test build.

- "Orvana/Orvana_English.xml" is cut off in the middle of the document (the
  entry itself is sound, so the XML reader sees the cut);
- "Orvana/Orvana_French.xml" keeps its size and checksum in the directory,
  but bytes in the middle of its compressed data are scrambled, so it no
  longer inflates to what the checksum says;
- "Orvana/logo.png" is cut off after its first 100 bytes;
- "Orvana/property_control.png" keeps its chunks but the middle of its
  compressed pixel data is scrambled;
- everything else, the German document included, is left as it is.

    damage_skin_archive.py SKIN.zip DAMAGED.zip
"""
import sys
import zipfile


def scramble(data, start, end):
    return data[:start] + bytes(b ^ 0x5A for b in data[start:end]) + data[end:]


def damaged(name, data):
    if name == "Orvana/Orvana_English.xml":
        return data[:len(data) // 2]
    if name == "Orvana/logo.png":
        return data[:100]
    if name == "Orvana/property_control.png":
        idat = data.index(b"IDAT")
        length = int.from_bytes(data[idat - 4:idat], "big")
        middle = idat + 4 + length // 2
        return scramble(data, middle - length // 6, middle + length // 6)
    return data


def main(source, target):
    with zipfile.ZipFile(source) as archive:
        entries = [(info, archive.read(info)) for info in archive.infolist()]
    with zipfile.ZipFile(target, "w") as archive:
        for info, data in entries:
            archive.writestr(info, damaged(info.filename, data), compress_type=zipfile.ZIP_DEFLATED)
    with zipfile.ZipFile(target) as archive:
        french = archive.getinfo("Orvana/Orvana_French.xml")
    with open(target, "r+b") as f:
        f.seek(french.header_offset + 26)
        header = f.read(4)
        start = french.header_offset + 30 + int.from_bytes(header[:2], "little") + \
            int.from_bytes(header[2:], "little")
        f.seek(start)
        data = f.read(french.compress_size)
        middle = len(data) // 2
        f.seek(start)
        f.write(scramble(data, middle - 64, middle + 64))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: damage_skin_archive.py SKIN.zip DAMAGED.zip")
    main(sys.argv[1], sys.argv[2])
