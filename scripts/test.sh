#!/usr/bin/env bash
# Builds everything and runs every test: native tests under the sanitizers
# and the Windows tests under Wine, in one ctest run.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$top/scripts/build.sh"
cd "$top/build"
ctest --output-on-failure -j "$(nproc)" "$@"
