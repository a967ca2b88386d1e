#!/usr/bin/env bash
# Starts the program (through wine-run.sh --script) with two cameras: the
# first is shown with its lists filled; picking the second in the camera list
# with the mouse (the list, then its entry in the drop-down window) shows the
# second camera's picture at its size, and the panel's lists are then the
# second camera's: Apply saves its current format, and the file-format list's
# second entry is its second format. Alt+F4 ends the program with code 0.
#
#   app-two-cameras.sh Orvana.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=twocameras
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

program_folder "$exe"

# Camera A offers MJPG, YUY2 and H264 (MJPG 640x480 active); camera B only
# YUY2 and H264, running YUY2 320x240.
wine "$setup" clear &&
    wine "$setup" add-camera "Camera A" '\\?\usb#orvana_a#1' &&
    wine "$setup" add-camera "Camera B" '\\?\usb#orvana_b#1' \
        "capture=YUY2 320x240@30;H264 1280x720@30" ||
    fail "could not configure two cameras"

click_pause=0.5

# Apply saves format $3 at W $1 H $2 for photos and videos ($4 says why).
apply_saves() {
    echo "== Apply: $3 $1x$2 expected ($4)"
    rm -f "$settings"
    click "${apply_button[@]}"
    [ -f "$settings" ] || fail "Apply wrote no setting.ini ($4)"
    expect_saved "$1" "$2" "$1" "$2" "$3"
}

start_program "$folder/Orvana.exe"
check_preview camera-A 640 480
/usr/bin/python3 "$here/lists_check.py" "$shots/camera-A-a.png" --window "$X" "$Y" "$WIDTH" "$HEIGHT" \
    --filled || fail "lists with camera A"

# Open the camera list; its drop-down window holds the two entries (and a
# 2-pixel frame): click the lower one.
open_camera_list
echo "drop-down window ${DROP_WIDTH}x${DROP_HEIGHT} at $DROP_X,$DROP_Y"
xdotool mousemove $((DROP_X + DROP_WIDTH / 2)) $((DROP_Y + 2 + (DROP_HEIGHT - 4) * 3 / 4)) click 1
sleep 1
xdotool search --onlyvisible --class orvana 2>/dev/null | grep -qvx "$window" &&
    fail "the drop-down window stayed open"

check_preview camera-B 320 240
apply_saves 320 240 YUY2 "camera B's running format"
# Camera B's second format is H264 (camera A's would be YUY2).
click "${file_format[@]}"
xdotool key Down Return
sleep 0.5
apply_saves 1280 720 H264 "the file-format list's second entry"

close_with_alt_f4 5
pass
