#!/usr/bin/env bash
# Installs what the build needs, cross-builds the dependencies once (cached),
# then builds the Windows program and tests (build/win32) and the native
# tests of the platform-neutral code (build/native).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"

bash scripts/install-packages.sh
prefix="$(bash scripts/build-deps.sh | tail -n 1)"
bash scripts/fixed-wine.sh build >/dev/null

build_type="${ORVANA_BUILD_TYPE:-Release}"
cmake -S . -B build/win32 -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-i686.cmake" \
    -DCMAKE_BUILD_TYPE="$build_type" \
    -DORVANA_DEPS_PREFIX="$prefix" >/dev/null
cmake --build build/win32

if [ "${1:-}" != "--program-only" ]; then
    cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
    cmake --build build/native
    # One ctest run covers both trees.
    printf 'subdirs("native")\nsubdirs("win32")\n' >build/CTestTestfile.cmake
fi
