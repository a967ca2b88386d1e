#!/usr/bin/env bash
# Installs the Debian packages the cross build and the Wine test run need.
# Safe to run again: it skips work that is already done.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    echo "install-packages.sh must run as root (apt-get, dpkg)" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive

packages=(
    cmake ninja-build ccache pkg-config dpkg-dev clang-format
    g++-mingw-w64-i686-posix mingw-w64-i686-dev nasm
    libz-mingw-w64-dev libstb-dev
    wine wine32:i386 xvfb xauth xdotool x11-utils imagemagick ffmpeg gdb
    # mediainfo and GStreamer's demuxer read MP4 files without FFmpeg's code
    # (tests/native/Mp4InPlaceFinisherTest, tests/wine/finish-kill.sh)
    mediainfo gstreamer1.0-tools gstreamer1.0-plugins-good
    libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libxcomposite1:i386
    googletest libgtest-dev
    locales fonts-wqy-microhei fonts-noto-core fonts-dejavu-core
    python3 python3-pil python3-numpy
    # the release packages: the installer (scripts/package/Orvana.nsi)
    nsis
    # scripts/fixed-wine.sh: rebuilding Wine's X11 driver from Debian's source
    make xz-utils gcc-multilib flex bison autoconf patch khronos-api libxml-libxml-perl unicode-data
    libvulkan-dev libvulkan-dev:i386 libgl-dev:i386 libx11-dev:i386 libxext-dev:i386
    libxfixes-dev:i386 libxrandr-dev:i386 libxcursor-dev:i386 libxrender-dev:i386
    libxi-dev:i386 libxinerama-dev:i386 libxcomposite-dev:i386 libxxf86vm-dev:i386
)

# Under Wine the ANSI code page follows the Unix locale: the tests run each
# language's skin under one of these.
locales=(
    en_US.UTF-8 fr_FR.UTF-8 de_DE.UTF-8 es_ES.UTF-8 ar_EG.UTF-8 ko_KR.UTF-8
    ru_RU.UTF-8 ja_JP.UTF-8 zh_CN.UTF-8 zh_TW.UTF-8 pt_PT.UTF-8 it_IT.UTF-8
)

stamp=/var/lib/orvana-packages.stamp
want="$(printf '%s\n' "${packages[@]}" "${locales[@]}" | sha1sum | cut -c1-16)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

src=/etc/apt/sources.list.d/orvana-deb-src.sources
if [ ! -f "$src" ]; then
    cat >"$src" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

# A mirror caught mid-sync answers with index files of the wrong size for a
# minute or two: try again before giving up.
apt_options=()
updated=false
for attempt in 1 2 3; do
    if apt-get update -qq; then
        updated=true
        break
    fi
    echo "apt-get update failed (attempt $attempt); trying again" >&2
    sleep $((attempt * 15))
done
if [ "$updated" = false ]; then
    # One architecture's security index still broken would give amd64 and
    # i386 different versions of the same library, which multiarch refuses:
    # install from the main archive alone then.
    main_only="$(mktemp -d)"
    python3 - "$main_only/main.sources" <<'PY'
import sys
stanzas = []
for path in ["/etc/apt/sources.list.d/debian.sources", "/etc/apt/sources.list.d/orvana-deb-src.sources"]:
    try:
        text = open(path).read()
    except OSError:
        continue
    stanzas += [s for s in text.split("\n\n") if s.strip() and "debian-security" not in s]
open(sys.argv[1], "w").write("\n\n".join(s.strip() for s in stanzas) + "\n")
PY
    mkdir -p "$main_only/parts"
    apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$main_only/parts")
    mv "$main_only/main.sources" "$main_only/parts/main.sources"
    echo "installing from the main archive without the security updates" >&2
    apt-get "${apt_options[@]}" update -qq
fi
apt-get "${apt_options[@]}" install -y -qq --no-install-recommends "${packages[@]}" >/dev/null

# The posix thread model gives std::thread and std::mutex; make it the default.
update-alternatives --set i686-w64-mingw32-g++ /usr/bin/i686-w64-mingw32-g++-posix >/dev/null 2>&1 || true
update-alternatives --set i686-w64-mingw32-gcc /usr/bin/i686-w64-mingw32-gcc-posix >/dev/null 2>&1 || true

for name in "${locales[@]}"; do
    grep -qx "$name UTF-8" /etc/locale.gen || echo "$name UTF-8" >>/etc/locale.gen
done
locale-gen >/dev/null

echo "$want" >"$stamp"
