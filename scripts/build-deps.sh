#!/usr/bin/env bash
# Cross-builds x264 and FFmpeg from Debian's source packages as static
# 32-bit Windows libraries. The result is cached outside the checkout, keyed
# by the source versions and the configure flags, and reused when present.
# Prints the install prefix on its last line.
set -euo pipefail

cache_root="${ORVANA_DEPS_CACHE:-/var/cache/orvana-deps}"
host=i686-w64-mingw32
jobs="$(nproc)"

x264_flags="--host=$host --cross-prefix=$host- --enable-static --disable-cli"
ffmpeg_flags="--arch=x86 --target-os=mingw32 --cross-prefix=$host- --pkg-config=pkg-config \
--pkg-config-flags=--static --enable-static --disable-shared --disable-programs --disable-doc \
--disable-everything --enable-gpl --enable-libx264 \
--enable-decoder=h264,mjpeg,pcm_s16le --enable-encoder=libx264,mjpeg,aac \
--enable-muxer=mp4,image2 --enable-demuxer=mov --enable-indev=dshow \
--enable-filter=buffer,buffersink,hflip,abuffer,abuffersink,volume,aformat,aresample,format,scale \
--enable-parser=h264,mjpeg --enable-protocol=file --enable-w32threads"

source_version() {
    apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -n 1
}

x264_version="$(source_version x264)"
ffmpeg_version="$(source_version ffmpeg)"
if [ -z "$x264_version" ] || [ -z "$ffmpeg_version" ]; then
    echo "build-deps.sh: no deb-src entry found; run scripts/install-packages.sh first" >&2
    exit 1
fi

key="$(printf '%s\n' "$x264_version" "$ffmpeg_version" "$x264_flags" "$ffmpeg_flags" \
    "$($host-gcc-posix --version | head -n 1)" | sha1sum | cut -c1-12)"
prefix="$cache_root/win32-$key"

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/orvana-deps.XXXXXX")"
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mkdir -p "$prefix"

export CC="$host-gcc-posix" CXX="$host-g++-posix"

echo "build-deps.sh: building x264 $x264_version" >&2
(cd "$work" && apt-get source -qq "x264=$x264_version" >/dev/null 2>&1)
x264_dir="$(find "$work" -maxdepth 1 -type d -name 'x264-*' | head -n 1)"
(
    cd "$x264_dir"
    unset CC CXX
    # shellcheck disable=SC2086
    ./configure --prefix="$prefix" $x264_flags >"$work/x264-configure.log"
    make -j"$jobs" >"$work/x264-build.log" 2>&1
    make install-lib-static >"$work/x264-install.log" 2>&1
) || { tail -n 40 "$work"/x264-*.log >&2; exit 1; }

echo "build-deps.sh: building FFmpeg $ffmpeg_version" >&2
(cd "$work" && apt-get source -qq "ffmpeg=$ffmpeg_version" >/dev/null 2>&1)
ffmpeg_dir="$(find "$work" -maxdepth 1 -type d -name 'ffmpeg-*' | head -n 1)"
(
    cd "$ffmpeg_dir"
    unset CC CXX
    export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
    export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
    # shellcheck disable=SC2086
    ./configure --prefix="$prefix" $ffmpeg_flags \
        --extra-cflags="-I$prefix/include" --extra-ldflags="-L$prefix/lib" \
        >"$work/ffmpeg-configure.log" 2>&1
    make -j"$jobs" >"$work/ffmpeg-build.log" 2>&1
    make install >"$work/ffmpeg-install.log" 2>&1
) || { tail -n 40 "$work"/ffmpeg-*.log >&2; exit 1; }

printf '%s\n' "x264 $x264_version" "ffmpeg $ffmpeg_version" >"$prefix/VERSIONS"
touch "$prefix/.complete"
echo "$prefix"
