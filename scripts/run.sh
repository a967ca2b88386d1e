#!/usr/bin/env bash
# Builds the program and starts it under Wine. Without a display of its own
# (no DISPLAY set) it starts a virtual one with Xvfb.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$top/scripts/build.sh" --program-only

# The installed Wine with its X11 driver fixed, so that the preview child
# window's Direct3D picture reaches the screen (scripts/fixed-wine.sh).
PATH="$(bash "$top/scripts/fixed-wine.sh" path)/bin:$PATH"
export PATH
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-orvana}"
export WINEARCH=win32
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG="${WINEDEBUG:--all}"
managed=Y
if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY: starting Xvfb on :77 (take screenshots with: DISPLAY=:77 import -window root shot.png)"
    Xvfb :77 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    export DISPLAY=:77
    sleep 1
    # No window manager there: Wine sizes the windows itself, maximising included.
    managed=N
fi
# The prefix gets the tests' settings once (Windows version, the skins' fonts).
setup="$top/tests/wine/prefix-setup.sh"
stamp="$WINEPREFIX/.orvana-setup-$(sha1sum <"$setup" | cut -c1-8)"
if [ ! -f "$stamp" ]; then
    wineboot -i >/dev/null 2>&1 || true
    bash "$setup" >/dev/null 2>&1 || echo "Could not settle the Wine prefix $WINEPREFIX" >&2
    touch "$stamp"
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1 || true
# With no camera of its own the program gets the synthetic test camera and microphone
# (tools/testdevices), registered in this prefix.
devices="$top/build/win32/testdevices/OrvanaTestDevices.dll"
if ! ls /dev/video* >/dev/null 2>&1 && [ -f "$devices" ]; then
    wine regsvr32 /s "$(winepath -w "$devices")" >/dev/null 2>&1 ||
        echo "Could not register the test devices ($devices)" >&2
fi
exec wine "$top/build/win32/bin/Orvana.exe"
