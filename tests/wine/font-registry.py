#!/usr/bin/env python3
"""Writes a .reg file that maps the skins' font face to Debian's fonts.

"微软雅黑" is substituted by WenQuanYi Micro Hei (Chinese, Japanese, Korean,
Latin, Cyrillic); Wine's default UI fonts link to it and to Noto Sans Arabic
for the characters they lack.
"""
import sys

KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion"
LINKED = [
    "wqy-microhei.ttc,WenQuanYi Micro Hei",
    "NotoSansArabic-Regular.ttf,Noto Sans Arabic",
]


def multi_string(values):
    data = ("\0".join(values) + "\0\0").encode("utf-16-le")
    return "hex(7):" + ",".join(f"{b:02x}" for b in data)


def main(path):
    lines = [
        "Windows Registry Editor Version 5.00",
        "",
        f"[{KEY}\\FontSubstitutes]",
        '"微软雅黑"="WenQuanYi Micro Hei"',
        '"Microsoft YaHei"="WenQuanYi Micro Hei"',
        "",
        f"[{KEY}\\FontLink\\SystemLink]",
    ]
    for face in ("Tahoma", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Arial"):
        lines.append(f'"{face}"={multi_string(LINKED)}')
    text = "\r\n".join(lines) + "\r\n"
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


if __name__ == "__main__":
    main(sys.argv[1])
