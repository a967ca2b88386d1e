#!/usr/bin/env bash
# Drives the right-hand panel and the bottom bar of the running program
# (through wine-run.sh --script) with the mouse and keys, as a user would, and
# reads back what reached the synthetic camera and setting.ini: a slider drag,
# an automatic-mode toggle, the mirror, a format and refresh-rate choice with
# Apply, Default, and Cancel ending the program with code 0 without saving.
#
#   app-panel.sh Orvana.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"

check_name=panel
# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"
program_folder "$exe"

wine "$setup" clear &&
    wine "$setup" add-camera "Camera A" '\\?\usb#orvana_a#1' &&
    wine "$setup" add-camera "Camera B" '\\?\usb#orvana_b#1' "capture=YUY2 320x240@30" ||
    fail "could not configure the cameras"

click_pause=0.5

# One property of camera A as "VALUE FLAGS".
property() {
    wine "$setup" get camera:0 "$1" "$2" 2>/dev/null | tr -d '\r'
}

expect_property() {
    local got
    got="$(property "$1" "$2")"
    echo "$1 $2: $got"
    [ "$got" = "$3" ] || fail "$1 $2 is '$got', expected '$3' ($4)"
}

start_showing_picture "$folder/Orvana.exe"

# Drag the brightness thumb to the right: manual mode at a positive value.
xdotool mousemove $((X + brightness_thumb[0])) $((Y + brightness_thumb[1])) mousedown 1 \
    mousemove $((X + brightness_thumb[0] + 30)) $((Y + brightness_thumb[1])) sleep 0.2 \
    mousemove $((X + brightness_thumb[0] + 60)) $((Y + brightness_thumb[1])) sleep 0.2 \
    mouseup 1
sleep 0.5
read -r value flags <<<"$(property procamp 0)"
echo "brightness after the drag: $value $flags"
[ "${flags:-}" = 2 ] && [ "${value:-0}" -gt 0 ] || fail "the drag did not set brightness"

# Contrast runs automatically; one click puts it in manual mode, one back.
click "$auto_column" "${slider_rows[1]}"
expect_property procamp 1 "32 2" "auto option unticked"
click "$auto_column" "${slider_rows[1]}"
expect_property procamp 1 "32 1" "auto option ticked again"

click "${mirror_options[1]}" "$mirror_row"
expect_property procamp 9 "1 2" "mirrored chosen"

# YUY2 from the file-format list, 60 Hz from the refresh-rate list, by keys.
click "${file_format[@]}"
xdotool key Down Return
sleep 0.5
click "${refresh_rate[@]}"
xdotool key Down Return
sleep 0.5
rm -f "$settings"
click "${apply_button[@]}"
[ -f "$settings" ] || fail "Apply wrote no setting.ini"
expect_saved 640 480 640 480 YUY2
grep -a -q $'^Language=\r$' "$settings" || fail "setting.ini has no empty language line"
expect_property procamp 13 "2 2" "60 Hz applied"

click "${default_button[@]}"
expect_property procamp 0 "0 2" "brightness back to its default"
expect_property procamp 9 "0 2" "mirror back to its default"

# Cancel ends the program at once and leaves setting.ini as it was.
before="$(md5sum <"$settings")"
click "${cancel_button[@]}"
wait_for_exit 5 Cancel
rc=$?
[ "$rc" -eq 0 ] || fail "Cancel ended the program with code $rc"
[ "$(md5sum <"$settings")" = "$before" ] || fail "Cancel changed setting.ini"
pass
