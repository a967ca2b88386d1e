#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what .clang-format makes of
# it; `clang-format -i FILE` mends it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
differ=0
while IFS= read -r file; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "differs from .clang-format: $file"
        differ=1
    fi
done < <(git ls-files '*.cpp' '*.h')
exit "$differ"
