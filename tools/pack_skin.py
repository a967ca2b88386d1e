#!/usr/bin/env python3
"""Packs the skin folder into the ZIP archive that becomes resource ZIPRES 101;
tools/make_package.py packs the release zip with it too.

Entries are stored under their path relative to the skin folder with forward
slashes ("Orvana/Orvana_English.xml"), deflate-compressed, with a fixed time
stamp so the archive is byte-identical from build to build.
"""
import os
import sys
import zipfile


def main(skin_dir: str, out_path: str) -> None:
    names = []
    for root, _dirs, files in os.walk(skin_dir):
        for name in files:
            full = os.path.join(root, name)
            names.append(os.path.relpath(full, skin_dir).replace(os.sep, "/"))
    names.sort()
    os.makedirs(os.path.dirname(out_path) or ".", exist_ok=True)
    tmp = out_path + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        for name in names:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(os.path.join(skin_dir, name), "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, out_path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: pack_skin.py SKIN_DIR OUT.zip")
    main(sys.argv[1], sys.argv[2])
