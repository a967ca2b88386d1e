#!/usr/bin/env bash
# What the user set on each camera comes back whenever that camera opens,
# although the camera itself forgot it (the synthetic camera forgets at a
# replug, as many drivers do, and the check resets it behind the program's
# back): after Cancel and a new start, after an unplug and replug while the
# program runs, and after switching to the other camera and back. The camera
# chosen last is the one a new start opens. A damaged store is read as far as
# it goes.
#
#   app-camera-memory.sh Orvana.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"

check_name=cameramemory
# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"
program_folder "$exe"

camera_a='\\?\usb#orvana_a#1'
camera_b='\\?\usb#orvana_b#1'
wine "$setup" clear &&
    wine "$setup" add-camera "Camera A" "$camera_a" &&
    wine "$setup" add-camera "Camera B" "$camera_b" "capture=YUY2 320x240@30" ||
    fail "could not configure the cameras"
store="$(winepath -u "$(wine cmd /c echo '%LOCALAPPDATA%' | tr -d '\r')")/Orvana/cameras.txt"
rm -f "$store"

click_pause=0.5

# A property of camera $1 as "VALUE FLAGS".
property() {
    wine "$setup" get "$1" "$2" "$3" 2>/dev/null | tr -d '\r'
}

expect_property() {
    local got
    for _ in $(seq 20); do
        got="$(property "$1" "$2" "$3")"
        [ "$got" = "$4" ] && break
        sleep 0.25
    done
    echo "$1 $2 $3: $got"
    [ "$got" = "$4" ] || fail "$1 $2 $3 is '$got', expected '$4' ($5)"
}

# Camera $1 back at its driver's defaults for brightness, contrast and mirror.
forget_on_camera() {
    wine "$setup" property "$1" procamp 0 value=0 flags=2 &&
        wine "$setup" property "$1" procamp 1 value=32 flags=1 &&
        wine "$setup" property "$1" procamp 9 value=0 flags=2 ||
        fail "could not reset $1"
}

drag_brightness() {
    xdotool mousemove $((X + brightness_thumb[0])) $((Y + brightness_thumb[1])) mousedown 1 \
        mousemove $((X + brightness_thumb[0] + $1 / 2)) $((Y + brightness_thumb[1])) sleep 0.2 \
        mousemove $((X + brightness_thumb[0] + $1)) $((Y + brightness_thumb[1])) sleep 0.2 \
        mouseup 1
    sleep 0.5
}

# The camera list's entry $1 (0 or 1) chosen with the keys, as a user would.
choose_camera() {
    click "${camera_list[@]}" 0.5
    if [ "$1" = 1 ]; then xdotool key Down; else xdotool key Up; fi
    xdotool key Return
    sleep 1.5
}

start_showing_picture "$folder/Orvana.exe"
drag_brightness 60
read -r brightness flags <<<"$(property camera:0 procamp 0)"
[ "${flags:-}" = 2 ] && [ "${brightness:-0}" -gt 0 ] || fail "the drag did not set brightness"
click "$auto_column" "${slider_rows[1]}"
expect_property camera:0 procamp 1 "32 2" "contrast made manual"
click "${mirror_options[1]}" "$mirror_row"
expect_property camera:0 procamp 9 "1 2" "mirrored chosen"
[ -s "$store" ] || fail "nothing remembered in $store"

echo "== Cancel, the camera reset behind the program's back, a new start"
click "${cancel_button[@]}"
wait_for_exit 5 Cancel
forget_on_camera camera:0
start_showing_picture "$folder/Orvana.exe"
expect_property camera:0 procamp 0 "$brightness 2" "brightness put back at start"
expect_property camera:0 procamp 1 "32 2" "contrast's manual mode put back at start"
expect_property camera:0 procamp 9 "1 2" "mirror put back at start"
expect_property camera:0 procamp 7 "4600 1" "white balance, never touched, left as it was"

echo "== Unplug and replug while the program runs"
# Camera A alone, so that the refresh after its return opens it.
wine "$setup" unplug camera:1 >/dev/null
wine "$setup" unplug camera:0 >/dev/null
wine "$setup" replug camera:0 >/dev/null
wait_for_picture
expect_property camera:0 procamp 0 "$brightness 2" "brightness put back after the replug"
expect_property camera:0 procamp 9 "1 2" "mirror put back after the replug"

echo "== Two cameras, switched back and forth"
wine "$setup" replug camera:1 >/dev/null
# The new camera is listed once it had its second to settle.
sleep 2
choose_camera 1
drag_brightness -40
read -r brightness_b flags <<<"$(property camera:1 procamp 0)"
[ "${flags:-}" = 2 ] && [ "${brightness_b:-0}" -lt 0 ] || fail "the drag did not set B's brightness"
choose_camera 0
forget_on_camera camera:1
expect_property camera:0 procamp 0 "$brightness 2" "A keeps its own brightness"
choose_camera 1
expect_property camera:1 procamp 0 "$brightness_b 2" "B's brightness put back at the switch"
expect_property camera:1 procamp 9 "0 2" "A's mirror not put on B"

echo "== The camera chosen last opens at the next start"
close_with_alt_f4 10
forget_on_camera camera:1
start_showing_picture "$folder/Orvana.exe"
check_preview camera-B 320 240
expect_property camera:1 procamp 0 "$brightness_b 2" "B opened with its brightness"
close_with_alt_f4 10

echo "== A damaged store"
{
    head -c 40 /dev/urandom
    printf '\nOrvana camera memory 1\ncamera\tx\n'
} >"$store"
start_showing_picture "$folder/Orvana.exe"
close_with_alt_f4 10
printf 'Orvana camera memory 1\ncamera\t%s\tCamera A\t0\nprocamp\t0\t9999\t2\nprocamp\t0\t1' \
    "$camera_a" >"$store"
start_showing_picture "$folder/Orvana.exe"
# A value the camera refuses is forgotten, not tried at every open.
grep -q 9999 "$store" && fail "the refused brightness stayed in the store"
close_with_alt_f4 10
pass
