#!/usr/bin/env bash
# Starts OrvanaFull.exe, the program built with the all-rows skins, under Wine
# (run through wine-run.sh --script) and checks in a screenshot that the rows
# the shipped skins hide are shown (rows_check.py): the photo, record and
# open-folder buttons in the bottom bar, and the microphone and speaker
# sliders, drawn from btn_slider.png, in the right-hand panel. Then Alt+F4
# must end the program with exit code 0 within 3 seconds.
set -uo pipefail
exe="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=full
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"
shot="$shots/window.png"

start_program "$exe"
sleep 2

eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $WINDOW at $X,$Y size ${WIDTH}x${HEIGHT}"
[ "$WIDTH" -eq 1308 ] && [ "$HEIGHT" -eq 800 ] || fail "size ${WIDTH}x${HEIGHT}, expected 1308x800"
import -window root "$shot" 2>/dev/null || fail "no screenshot"
/usr/bin/python3 "$here/rows_check.py" "$shot" --window "$X" "$Y" "$WIDTH" "$HEIGHT" ||
    fail "the all-rows window"

# Alt+F4 while a list is open (it has the focus) closes the program too.
xdotool mousemove $((X + photo_resolution[0])) $((Y + photo_resolution[1])) click 1
sleep 1
close_with_alt_f4 3
pass
