#!/usr/bin/env bash
# Debian 12's Wine 8.0 cannot show OpenGL or Direct3D output in a child
# window (scripts/wine/winex11-child-window-drawable.patch says why), and the
# live preview is such a window. This script rebuilds the one affected
# library, winex11.so, from Debian's own source of the installed Wine with the
# fix applied, and lays out a Wine tree next to it that is the installed Wine
# in every other file (symbolic links). Both live in the dependency cache,
# keyed by the Wine version and the patch, and are built once.
#
#   fixed-wine.sh build   build if needed; print the tree's root
#   fixed-wine.sh path    print the tree's root, or fail if it is not built
#
# The tree's bin/ holds "wine" and "wine-stable"; put it first in PATH.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cache_root="${ORVANA_DEPS_CACHE:-/var/cache/orvana-deps}"
patch_file="$here/wine/winex11-child-window-drawable.patch"
system_dlls=/usr/lib/i386-linux-gnu/wine
system_loader=/usr/lib/wine

wine_version="$(dpkg-query -W -f '${Version}' wine32:i386 2>/dev/null || true)"
if [ -z "$wine_version" ]; then
    echo "fixed-wine.sh: wine32:i386 is not installed; run scripts/install-packages.sh" >&2
    exit 1
fi
key="$(cat "$patch_file" "${BASH_SOURCE[0]}" | sha1sum | cut -c1-10)"
root="$cache_root/wine-${wine_version//[~:]/_}-$key"

case "${1:-}" in
path)
    [ -f "$root/.complete" ] || {
        echo "fixed-wine.sh: the fixed Wine is not built; run scripts/build.sh" >&2
        exit 1
    }
    echo "$root"
    exit 0
    ;;
build) ;;
*)
    echo "usage: fixed-wine.sh build|path" >&2
    exit 2
    ;;
esac

if [ -f "$root/.complete" ]; then
    echo "$root"
    exit 0
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/orvana-wine-src.XXXXXX")"
trap 'rm -rf "$work"' EXIT
log="$work/build.log"
fail() {
    tail -n 40 "$log" >&2
    echo "fixed-wine.sh: $*" >&2
    exit 1
}

echo "fixed-wine.sh: building winex11.so of Wine $wine_version with the child window fix" >&2
(cd "$work" && apt-get source -qq "wine=$wine_version") >>"$log" 2>&1 ||
    fail "could not fetch Debian's source of Wine $wine_version"
src="$(find "$work" -maxdepth 1 -type d -name 'wine-*' | head -n 1)"
[ -n "$src" ] || fail "no source tree unpacked"

(
    cd "$src"
    patch -p1 <"$patch_file"
    # Debian's source leaves out generated files; its rules make them before
    # configure, and makedep wants them all to exist.
    ./debian/scripts/generate server/trace.generated make_requests
    ./debian/scripts/generate server/request.generated make_requests
    ./tools/make_unicode
    ./tools/make_requests
    (cd dlls/opengl32 && ./make_opengl)
    (cd dlls/winevulkan && ./make_vulkan -x /usr/share/vulkan/registry/vk.xml)
    sed -n '/image files used to generate icons/,/^$/p' debian/rules | grep 'ln -sf' | sh
    ln -sf /usr/share/autoconf/build-aux/config.sub tools/config.sub
    ln -sf /usr/share/autoconf/build-aux/config.guess tools/config.guess
    autoreconf -f
) >>"$log" 2>&1 || fail "preparing the source failed"

build="$work/build32"
mkdir -p "$build"
# On x86_64 Wine's configure builds 32-bit code by itself (-m32). Only the
# X11 driver is compiled, so everything it does not use is left out.
(
    cd "$build"
    "$src/configure" --without-mingw --disable-tests --without-freetype \
        --without-alsa --without-capi --without-cups --without-dbus --without-fontconfig \
        --without-gettext --without-gphoto --without-gnutls --without-gssapi \
        --without-gstreamer --without-krb5 --without-netapi --without-openal \
        --without-opencl --without-pcap --without-pulse --without-sane --without-sdl \
        --without-udev --without-unwind --without-usb --without-v4l2 --without-cms \
        --without-ldap --without-oss --without-osmesa --without-inotify
) >>"$log" 2>&1 || fail "configure failed"

objects="$(sed -n 's|^dlls/winex11.drv/winex11.so: ||p' "$build/Makefile" | tr ' ' '\n' | grep '\.o$' | tr '\n' ' ')"
[ -n "$objects" ] || fail "no winex11.so rule in the generated Makefile"
# Linked against the installed ntdll.so and win32u.so, which it runs with.
# shellcheck disable=SC2086
(
    cd "$build"
    # Bison writes a parser's .tab.c and .tab.h in one run, but the Makefile
    # has a rule for each, so a parallel make may start it twice at once and
    # compile a half-written file. Make those outputs one at a time first.
    generated="$(grep -o '^[^ :]*\.tab\.[ch]:' Makefile | tr -d ':' | sort -u | tr '\n' ' ')"
    [ -z "$generated" ] || make -j1 $generated
    make -j"$(nproc)" $objects
    gcc -m32 -o winex11.so -shared -Wl,-Bsymbolic -Wl,-soname,winex11.so -Wl,-z,defs \
        $objects "$system_dlls/i386-unix/ntdll.so" "$system_dlls/i386-unix/win32u.so" \
        -lXext -lX11 -lm
    strip --strip-debug winex11.so
) >>"$log" 2>&1 || fail "building winex11.so failed"

# The tree: the loader finds ntdll.so at ../i386-linux-gnu/wine/i386-unix from
# its own directory, and ntdll takes the directory of its real path as the
# place of every other library, so the loader and ntdll.so are copies and the
# rest are links, except the fixed winex11.so.
staging="$root.staging.$$"
rm -rf "$staging"
mkdir -p "$staging/bin" "$staging/lib/wine" "$staging/share"
for f in "$system_loader"/*; do ln -s "$f" "$staging/lib/wine/"; done
rm "$staging/lib/wine/wine"
cp "$system_loader/wine" "$staging/lib/wine/wine"
for dir in "$system_dlls"/*/; do
    name="$(basename "$dir")"
    mkdir -p "$staging/lib/i386-linux-gnu/wine/$name"
    for f in "$dir"*; do ln -s "$f" "$staging/lib/i386-linux-gnu/wine/$name/"; done
done
unix="$staging/lib/i386-linux-gnu/wine/i386-unix"
rm "$unix/ntdll.so" "$unix/winex11.so"
cp "$system_dlls/i386-unix/ntdll.so" "$unix/ntdll.so"
cp "$build/winex11.so" "$unix/winex11.so"
ln -s /usr/share/wine "$staging/share/wine"
cat >"$staging/bin/wine" <<EOF
#!/bin/sh
# Wine $wine_version with the child window fix.
export WINEDEBUG="\${WINEDEBUG-fixme-all}"
exec "$root/lib/wine/wine" "\$@"
EOF
chmod +x "$staging/bin/wine"
# wineboot, winepath and the other launchers start "wine-stable" from PATH.
ln -s wine "$staging/bin/wine-stable"
touch "$staging/.complete"
rm -rf "$root"
mv "$staging" "$root"
echo "$root"
