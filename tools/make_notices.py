#!/usr/bin/env python3
"""Writes THIRD-PARTY-NOTICES: for every component linked into Orvana.exe, the
source version it was built from, its licence and the licence's text.

The versions are read from what the build used: the cross-built FFmpeg and
x264 record theirs in the dependency prefix (VERSIONS), the rest are Debian
packages of the cross toolchain, asked of dpkg. The licence texts come from
Debian's copyright files and common licences, so they are the texts of
exactly those sources.

    make_notices.py DEPS_PREFIX OUTPUT
"""
import subprocess
import sys
from pathlib import Path

COMMON = Path("/usr/share/common-licenses")
DOC = Path("/usr/share/doc")


def package_source(package):
    """(source package, source version) of an installed Debian package."""
    out = subprocess.run(
        ["dpkg-query", "-W", "-f", "${source:Package} ${source:Version} ${Version}", package],
        check=True, capture_output=True, text=True).stdout.split()
    return out[0], out[1], out[2]


def built_versions(prefix):
    versions = {}
    for line in (Path(prefix) / "VERSIONS").read_text().splitlines():
        name, _, version = line.partition(" ")
        versions[name] = version
    return versions


def upstream(debian_version):
    """The upstream part of a Debian version: no epoch, no Debian revision."""
    version = debian_version.split(":", 1)[-1]
    return version.rsplit("-", 1)[0] if "-" in version else version


def gcc_exception():
    text = (DOC / "gcc-mingw-w64-base" / "copyright").read_text()
    start = text.index("GCC RUNTIME LIBRARY EXCEPTION")
    end = text.index("requirements of the license of GCC.", start)
    return text[start:end + len("requirements of the license of GCC.")] + "\n"


def section(title, body):
    rule = "=" * 78
    return f"{rule}\n{title}\n{rule}\n\n{body.strip()}\n\n"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_notices.py DEPS_PREFIX OUTPUT")
    built = built_versions(sys.argv[1])
    ffmpeg, x264 = built["ffmpeg"], built["x264"]
    zlib = package_source("libz-mingw-w64-dev")
    stb = package_source("libstb-dev")
    mingw = package_source("mingw-w64-i686-dev")
    gcc = package_source("gcc-mingw-w64-i686-posix-runtime")

    out = [
        "THIRD-PARTY NOTICES\n\n"
        "Orvana.exe and OrvanaFull.exe contain the following components, linked in\n"
        "statically. Each is listed with the source it was built from (upstream\n"
        "version and Debian source package version), its licence, and the licence's\n"
        "text. The licence texts follow the list. Orvana itself and the program as a\n"
        "whole are under the GNU General Public License, version 2 or later (see\n"
        "LICENSE). The corresponding source of everything here, Debian's source\n"
        "packages of FFmpeg and x264 included, is in Orvana-<version>-source.tar.xz,\n"
        "published beside the program.\n\n",
        section("Components", f"""
FFmpeg {upstream(ffmpeg)} (libavcodec, libavformat, libavdevice, libavfilter,
libswscale, libswresample, libavutil)
  Source: Debian source package ffmpeg {ffmpeg}
  Licence: GNU General Public License, version 2 or later (configured with
  --enable-gpl, which makes the library as built GPL-2.0-or-later).
  Text: section "GNU General Public License, version 2" below.

x264 {upstream(x264)}
  Source: Debian source package x264 {x264}
  Licence: GNU General Public License, version 2 or later.
  Text: section "GNU General Public License, version 2" below.

zlib {upstream(zlib[1]).split('+')[0]}
  Source: Debian source package {zlib[0]} {zlib[1]}
  Licence: zlib licence.
  Text: section "zlib: Debian copyright file" below.

stb_image (stb, snapshot {upstream(stb[1])})
  Source: Debian source package {stb[0]} {stb[1]}
  Licence: public domain, or the MIT (Expat) licence, at your choice.
  Text: section "stb: Debian copyright file" below.

MinGW-w64 runtime {upstream(mingw[1])} (C runtime start-up code, import
libraries, winpthreads)
  Source: Debian source package {mingw[0]} {mingw[1]}
  Licence: several permissive licences (Zope Public License 2.1, MIT,
  BSD-style, public domain) as listed file by file.
  Text: section "MinGW-w64: Debian copyright file" below.

GCC {gcc[2].split('-')[0]} runtime libraries (libgcc, libstdc++)
  Source: Debian source package {gcc[0]} {gcc[1]}, package version {gcc[2]}
  Licence: GNU General Public License, version 3, with the GCC Runtime
  Library Exception, version 3.1, which allows these libraries to be combined
  with a program under the program's own terms.
  Text: sections "GCC Runtime Library Exception, version 3.1" and
  "GNU General Public License, version 3" below.
"""),
        section("GNU General Public License, version 2", (COMMON / "GPL-2").read_text()),
        section("zlib: Debian copyright file",
                (DOC / "libz-mingw-w64-dev" / "copyright").read_text()),
        section("stb: Debian copyright file", (DOC / "libstb-dev" / "copyright").read_text()),
        section("MinGW-w64: Debian copyright file",
                (DOC / "mingw-w64-i686-dev" / "copyright").read_text()),
        section("GCC Runtime Library Exception, version 3.1", gcc_exception()),
        section("GNU General Public License, version 3", (COMMON / "GPL-3").read_text()),
    ]
    Path(sys.argv[2]).write_text("".join(out), encoding="utf-8")


if __name__ == "__main__":
    main()
