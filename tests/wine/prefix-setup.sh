#!/usr/bin/env bash
# Settles a new Wine prefix for the tests (runs once per template).
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# Windows 10 reports itself; the program needs nothing older.
wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f
# The skins' face name and the fallbacks for scripts Wine's own fonts lack.
reg_file="$(mktemp --suffix=.reg)"
python3 "$here/font-registry.py" "$reg_file"
wine regedit /S "$(winepath -w "$reg_file")"
rm -f "$reg_file"
# No window manager runs on the test screen. Wine then places and sizes
# every window itself, so that maximising a window resizes it on screen too
# (a managed maximised window waits for a window manager to do that).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
