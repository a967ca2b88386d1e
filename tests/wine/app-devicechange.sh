#!/usr/bin/env bash
# Starts the program under Wine (run through wine-run.sh --script) with two
# synthetic cameras and checks the live preview as they come and go:
# unplugging the shown camera shows the other, unplugging the last one blanks
# the preview, plugging them back shows the first again, and plug cycles of
# the camera that is not shown leave the picture running. Every
# WM_DEVICECHANGE must reach the program's window and be answered (the sender
# gives up after 10 s), and Alt+F4 must still end the program with code 0.
#
#   app-devicechange.sh Orvana.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"

cycles="${ORVANA_PLUG_CYCLES:-3}"
check_name=devices
# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"

wine "$setup" clear &&
    wine "$setup" add-camera "Camera A" '\\?\usb#orvana_a#1' "capture=YUY2 640x480@30" &&
    wine "$setup" add-camera "Camera B" '\\?\usb#orvana_b#1' "capture=MJPG 1280x720@30" ||
    fail "could not configure two cameras"

start_program "$exe"
sleep 2

# Sends one plug change and checks that the program's window took the message.
change() {
    local reply
    reply="$(wine "$setup" "$1" "$2")" || fail "$1 $2 was refused"
    echo "$1 $2: $reply"
    [ "$reply" = "notified 1" ] || fail "$1 $2 reached no program window"
    kill -0 "$pid" 2>/dev/null || fail "the program ended after $1 $2"
}

check_preview "camera-A" 640 480
change unplug camera:0
check_preview "camera-B" 1280 720
change unplug camera:1
check_preview "no-camera" blank
change replug camera:0
change replug camera:1
check_preview "camera-A-again" 640 480

# Open files and resident memory of the program, before and after the cycles.
usage() {
    echo "$(ls "/proc/$pid/fd" 2>/dev/null | wc -l) $(awk '/VmRSS/ {print $2}' "/proc/$pid/status")"
}
read -r files_before rss_before <<<"$(usage)"
for cycle in $(seq "$cycles"); do
    change unplug camera:1
    change replug camera:1
done
read -r files_after rss_after <<<"$(usage)"
echo "$cycles plug cycles of the camera not shown:" \
    "open files $files_before -> $files_after, resident kB $rss_before -> $rss_after"
[ "$files_after" -le $((files_before + 8)) ] || fail "open files grew by the plug cycles"
check_preview "after-cycles" 640 480

close_with_alt_f4 5
pass
