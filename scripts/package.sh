#!/usr/bin/env bash
# Makes the release into dist/:
#   Orvana-<version>-win32.zip     the two programs, README.txt, LICENSE, THIRD-PARTY-NOTICES
#   Orvana-<version>-setup.exe     the per-user installer
#   Orvana-<version>-source.tar.xz the project's source (the checkout's last commit) and the
#                                  Debian source packages of FFmpeg and x264 the build used
# The executables are the optimised, stripped Release build; two runs on one
# machine give the same bytes for them and for the zip.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"

ORVANA_BUILD_TYPE=Release bash scripts/build.sh --program-only
version="$(cat build/win32/VERSION)"
echo "package.sh: Orvana $version"
base="Orvana-$version"
mkdir -p dist
cp build/win32/dist/"$base"-win32.zip build/win32/dist/"$base"-setup.exe dist/

# The corresponding source. Debian's source packages are kept beside the
# cross-built libraries, so they are fetched once.
prefix="$(bash scripts/build-deps.sh | tail -n 1)"
sources="${ORVANA_DEPS_CACHE:-/var/cache/orvana-deps}/sources"
work="$(mktemp -d "${TMPDIR:-/tmp}/orvana-source.XXXXXX")"
trap 'rm -rf "$work"' EXIT
tree="$work/$base-source"
mkdir -p "$tree/debian-sources"
while read -r name debian_version; do
    kept="$sources/$name-${debian_version//[~:]/_}"
    if [ ! -f "$kept/.complete" ]; then
        rm -rf "$kept"
        mkdir -p "$kept"
        (cd "$kept" && apt-get source --download-only -qq "$name=$debian_version" >/dev/null 2>&1)
        touch "$kept/.complete"
    fi
    cp "$kept"/* "$tree/debian-sources/"
done <"$prefix/VERSIONS"

if [ -d .git ] || git rev-parse --git-dir >/dev/null 2>&1; then
    [ -z "$(git status --porcelain)" ] ||
        echo "package.sh: uncommitted changes are not in the source archive (it holds the last commit)" >&2
    git archive --format=tar HEAD | tar -x -C "$tree"
    stamp="$(git log -1 --format=%ct)"
else
    # An unpacked source archive packs itself again, less what builds make.
    tar -c --exclude=./build --exclude=./dist --exclude=./.git . | tar -x -C "$tree"
    stamp="$(stat -c %Y LICENSE)"
fi
tar -C "$work" --sort=name --mtime="@$stamp" --owner=0 --group=0 --numeric-owner \
    -cf - "$base-source" | xz -T1 -6 >"dist/$base-source.tar.xz"

(cd dist && for f in "$base"-win32.zip "$base"-setup.exe "$base"-source.tar.xz; do
    printf '%12d  %s  %s\n' "$(stat -c %s "$f")" "$(sha256sum "$f" | cut -c1-16)" "$f"
done)
