#!/usr/bin/env bash
# A random user (through wine-run.sh --script): three cameras and a
# microphone, and for a while every control of the all-rows build at random
# (camera list, sliders, automatic modes, mirror, the four lists, Apply,
# Default, photo, record) while cameras are unplugged and plugged back. Then
# Alt+F4 must end the program with 0, and every photo and recording it wrote
# must be whole: each JPEG decodes, each MP4 is finished (no fragments left)
# and decodes without an error.
#
#   app-random-user.sh OrvanaFull.exe OrvanaTestDeviceSetup.exe
# ORVANA_RANDOM_USER_SECONDS (default 60) sets how long; ORVANA_RANDOM_SEED
# repeats a run (the seed is printed).
set -uo pipefail
exe="$1"
setup="$2"
seconds="${ORVANA_RANDOM_USER_SECONDS:-60}"
seed="${ORVANA_RANDOM_SEED:-$(date +%s)}"
RANDOM="$seed"
echo "random user for $seconds s, seed $seed"

check_name=random-user
# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"

wine "$setup" clear &&
    wine "$setup" add-camera "Camera A" '\\?\usb#orvana_a#1' &&
    wine "$setup" add-camera "Camera B" '\\?\usb#orvana_b#1' \
        "capture=YUY2 320x240@30;YUY2 640x480@30" &&
    wine "$setup" add-camera "Camera C" '\\?\usb#orvana_c#1' \
        "capture=H264 1280x720@30;MJPG 640x480@30" &&
    wine "$setup" add-microphone "Microphone" '\\?\mic#orvana#1' >/dev/null ||
    fail "could not configure the devices"
cp "$exe" "$shots/OrvanaFull.exe"
output="$(videos_folder)/OrvanaCapture"
click_pause=0.3

# Opens a list, moves its selection by a few entries either way, takes it.
pick_in_list() {
    click "$1" "$2"
    local key=Down
    [ $((RANDOM % 2)) -eq 0 ] && key=Up
    for _ in $(seq $((RANDOM % 4))); do
        xdotool key "$key"
    done
    xdotool key Return
    sleep 0.3
}

start_showing_picture "$shots/OrvanaFull.exe"
plugged=(1 1 1)
actions=0
end=$(($(date +%s) + seconds))
while [ "$(date +%s)" -lt "$end" ]; do
    kill -0 "$pid" 2>/dev/null || fail "the program ended by itself after $actions actions (seed $seed)"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    case $((RANDOM % 12)) in
    0) pick_in_list "${camera_list[@]}" ;;
    1 | 2) click $((1000 + RANDOM % 150)) "${slider_rows[RANDOM % 8]}" ;;
    3) click "$auto_column" "${slider_rows[RANDOM % 8]}" ;;
    4) click "${mirror_options[RANDOM % 2]}" "$mirror_row" ;;
    5 | 6) pick_in_list 1137 "${list_rows[RANDOM % 4]}" ;;
    7) click "${apply_button[@]}" ;;
    8) click "${default_button[@]}" ;;
    9) click "${photo[@]}" ;;
    10) click "${record[@]}" ;;
    11)
        # A camera leaves or comes back, with the message Windows sends.
        camera=$((RANDOM % 3))
        if [ "${plugged[camera]}" -eq 1 ]; then
            wine "$setup" unplug "camera:$camera" >/dev/null && plugged[camera]=0
        else
            wine "$setup" replug "camera:$camera" >/dev/null && plugged[camera]=1
        fi
        sleep 1
        ;;
    esac
    actions=$((actions + 1))
done
echo "$actions actions"
save_window_shot last
close_with_alt_f4 15

photos=0
recordings=0
# Keeps a file that fails a check beside the screenshots, for a look.
fail_with() {
    cp "$1" "$shots/" 2>/dev/null
    fail "$2"
}
shopt -s nullglob
for file in "$output"/*; do
    case "$file" in
    *.jpg)
        photos=$((photos + 1))
        decodes_cleanly "$file" || fail_with "$file" "photo $(basename "$file") does not decode: $(head -c 300 "$shots/decode.txt")"
        ;;
    *.mp4)
        recordings=$((recordings + 1))
        boxes="$(/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/mp4_boxes.py" "$file")" ||
            fail_with "$file" "recording $(basename "$file") is cut short: $boxes"
        case "$boxes" in *moof*) fail_with "$file" "recording $(basename "$file") left unfinished: $boxes" ;; esac
        decodes_cleanly "$file" || fail_with "$file" "recording $(basename "$file") does not decode: $(head -c 300 "$shots/decode.txt")"
        ;;
    *) fail "a file the program should not have left: $(basename "$file")" ;;
    esac
done
echo "$photos photos and $recordings recordings, all whole"
pass
