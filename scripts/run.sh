#!/usr/bin/env bash
# Builds the program and starts it under Wine. Without a display of its own
# (no DISPLAY set) it starts a virtual one with Xvfb.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$top/scripts/build.sh" --program-only

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-orvana}"
export WINEARCH=win32
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY: starting Xvfb on :77 (take screenshots with: DISPLAY=:77 import -window root shot.png)"
    Xvfb :77 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    export DISPLAY=:77
    sleep 1
fi
exec wine "$top/build/win32/bin/Orvana.exe"
