#!/usr/bin/env bash
# Starts the program (through wine-run.sh --script) with no camera and no
# microphone attached: the window opens at its size, every list is empty, the
# preview is blank, Apply and Default do nothing (no setting.ini appears), and
# Alt+F4 ends the program with code 0.
#
#   app-no-camera.sh Orvana.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=nocamera
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

program_folder "$exe"
wine "$setup" clear || fail "could not remove the devices"

start_program "$folder/Orvana.exe"
check_preview no-camera blank
[ "$WIDTH" -eq 1308 ] && [ "$HEIGHT" -eq 800 ] || fail "window ${WIDTH}x${HEIGHT}, expected 1308x800"
/usr/bin/python3 "$here/lists_check.py" "$shots/no-camera-a.png" --window "$X" "$Y" "$WIDTH" "$HEIGHT" \
    --empty || fail "lists with no camera"

# Default, then Apply, in the bottom bar: with no camera there is nothing to
# reset and nothing to save.
click "${default_button[@]}" 0.5
click "${apply_button[@]}" 0.5
kill -0 "$pid" 2>/dev/null || fail "the program ended after Default and Apply"
[ -e "$settings" ] && fail "Apply with no camera wrote setting.ini"

close_with_alt_f4 5
pass
