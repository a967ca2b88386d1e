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
# With no camera of its own the program gets the synthetic test camera and microphone
# (tools/testdevices), registered in this prefix.
devices="$top/build/win32/testdevices/OrvanaTestDevices.dll"
if ! ls /dev/video* >/dev/null 2>&1 && [ -f "$devices" ]; then
    wine regsvr32 /s "$(winepath -w "$devices")" >/dev/null 2>&1 ||
        echo "Could not register the test devices ($devices)" >&2
fi
exec wine "$top/build/win32/bin/Orvana.exe"
