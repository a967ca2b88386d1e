#!/usr/bin/env bash
# Starts the program under Wine (run through wine-run.sh --script) with two
# synthetic cameras, then unplugs both (the shown one last) and plugs them back
# in: every WM_DEVICECHANGE must reach the program's window and be answered
# (the sender gives up after 10 s), the program must keep running without
# cameras, and Alt+F4 must still end it with exit code 0.
#
#   app-devicechange.sh Orvana.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"

pid=""
fail() { echo "FAIL: $*"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
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

change unplug camera:1
change unplug camera:0
sleep 1
change replug camera:0
change replug camera:1
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the program ended after the cameras came back"

close_with_alt_f4 5
echo "PASS"
