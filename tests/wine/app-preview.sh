#!/usr/bin/env bash
# Starts the program under Wine (run through wine-run.sh --script) with the
# synthetic camera sending one format, and checks the live preview on screen
# as opened, maximised (the title bar's button), restored, and made smaller
# by dragging the window's corner; then Alt+F4 ends the program with code 0.
#
#   app-preview.sh Orvana.exe OrvanaTestDeviceSetup.exe "YUY2 640x480@30"
set -uo pipefail
exe="$1"
setup="$2"
format="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=preview

# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

size="${format#* }"
size="${size%@*}"
frame_width="${size%x*}"
frame_height="${size#*x}"

wine "$setup" "$format" || fail "could not configure the test camera for $format"

start_program "$exe"

# The title bar's maximise/restore button sits 68 pixels left of the
# window's right edge, 22 below its top.
click_max_restore() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + WIDTH - 68)) $((Y + 22)) click 1
}

sleep 2
check_preview opened "$frame_width" "$frame_height"

click_max_restore
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -eq 1080 ] || fail "maximised to ${WIDTH}x${HEIGHT}"
check_preview maximised "$frame_width" "$frame_height"

click_max_restore
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 1308 ] && [ "$HEIGHT" -eq 800 ] || fail "restored to ${WIDTH}x${HEIGHT}"
check_preview restored "$frame_width" "$frame_height"

# Drag the bottom-right corner up and to the left.
right=$((X + WIDTH - 2))
bottom=$((Y + HEIGHT - 2))
xdotool mousemove "$right" "$bottom" mousedown 1 \
    mousemove $((right - 150)) $((bottom - 60)) sleep 0.3 \
    mousemove $((right - 300)) $((bottom - 120)) sleep 0.3 mouseup 1
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -lt 1308 ] && [ "$HEIGHT" -lt 800 ] || fail "dragging the corner left ${WIDTH}x${HEIGHT}"
check_preview smaller "$frame_width" "$frame_height"

close_with_alt_f4 5
pass
