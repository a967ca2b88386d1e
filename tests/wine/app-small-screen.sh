#!/usr/bin/env bash
# The window on a screen lower than itself (run through wine-run.sh --script
# with ORVANA_SCREEN and ORVANA_WORK_AREA: a 1366 x 768 laptop or 1920 x 1080
# at 150 %, less a taskbar). The window must open inside the work area and,
# maximised, fill it; either way the panel's rows and Default, Cancel and
# Apply must be whole on the screen (small_screen_check.py) and work with the
# mouse: a slider reaches the camera, a format chosen and Apply write
# setting.ini, Default puts the slider back, Cancel ends the program. The same
# in Italian (the panel's tallest rows: three names on two lines) and in the
# all-rows build (two slider rows more).
#
#   app-small-screen.sh Orvana.exe OrvanaFull.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
full="$2"
setup="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=small-screen
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

read -r work_x work_y work_w work_h <<<"${ORVANA_WORK_AREA//,/ }"
[ -n "${work_h:-}" ] || fail "ORVANA_WORK_AREA is not set"
echo "screen ${ORVANA_SCREEN:-?}, work area ${work_w}x${work_h} at $work_x,$work_y"
wine "$setup" reset >/dev/null || fail "could not reset the devices"
program_folder "$exe"
cp "$full" "$folder/OrvanaFull.exe"

# Brightness of the camera as "VALUE FLAGS".
brightness() {
    wine "$setup" get camera:0 procamp 0 2>/dev/null | tr -d '\r'
}

# The window as the screenshot NAME.png shows it: inside the work area, as
# large as expected ($2 x $3), every row and button whole; sets the
# positions small_screen_check.py prints.
check_window() {
    local name="$1" expected_w="$2" expected_h="$3"
    shift 3
    sleep 1
    save_window_shot "$name"
    echo "== $name: window ${WIDTH}x${HEIGHT} at $X,$Y"
    [ "$WIDTH" -eq "$expected_w" ] && [ "$HEIGHT" -eq "$expected_h" ] ||
        fail "$name: the window is ${WIDTH}x${HEIGHT}, expected ${expected_w}x${expected_h}"
    [ "$X" -ge "$work_x" ] && [ "$Y" -ge "$work_y" ] &&
        [ $((X + WIDTH)) -le $((work_x + work_w)) ] && [ $((Y + HEIGHT)) -le $((work_y + work_h)) ] ||
        fail "$name: the window ${WIDTH}x${HEIGHT} at $X,$Y leaves the work area"
    local found
    found="$(/usr/bin/python3 "$here/small_screen_check.py" "$shots/$name.png" \
        --window "$X" "$Y" "$WIDTH" "$HEIGHT" "$@")"
    local rc=$?
    echo "$found" | grep -v '='
    [ "$rc" -eq 0 ] || fail "$name: not every control is whole on the screen"
    eval "$(echo "$found" | grep '=')"
}

# The title bar's maximise (and, in its place, restore) button.
toggle_maximized() {
    click $((WIDTH - 1 - 135 + 45 + 22)) 22 1.5
}

fit_w=$((work_w < 1308 ? work_w : 1308))
fit_h=$((work_h < 800 ? work_h : 800))

# English: opened, used, maximised, restored, cancelled.
start_showing_picture "$folder/Orvana.exe"
check_window english "$fit_w" "$fit_h"
read -r -a track <<<"$tracks"
read -r -a list <<<"$lists"
read -r -a button <<<"$buttons"
click $((panel_x + 60)) "${track[0]}" 0.5
read -r value flags <<<"$(brightness)"
echo "brightness after a click on its slider: $value $flags"
[ "${flags:-}" = 2 ] && [ "${value:-0}" -gt 0 ] || fail "the brightness slider did not reach the camera"
choose "$list_x" "${list[2]}" 1
click "${button[2]}" "$buttons_y" 1
[ -f "$settings" ] || fail "Apply wrote no setting.ini"
expect_saved 640 480 640 480 YUY2
click "${button[0]}" "$buttons_y" 0.5
[ "$(brightness)" = "0 2" ] || [ "$(brightness)" = "0 1" ] ||
    fail "Default left brightness at $(brightness)"

toggle_maximized
check_window english-maximized "$work_w" "$work_h"
[ "$X" -eq "$work_x" ] && [ "$Y" -eq "$work_y" ] || fail "maximised at $X,$Y"
toggle_maximized
check_window english-restored "$fit_w" "$fit_h"

click "${button[1]}" "$buttons_y" 0
wait_for_exit 10 Cancel
rc=$?
[ "$rc" -eq 0 ] || fail "Cancel: exit code $rc"

# Italian, opened and maximised.
printf 'Language=italian\r\n' >"$folder/setting.ini"
start_program "$folder/Orvana.exe"
wait_for_paint
check_window italian "$fit_w" "$fit_h"
toggle_maximized
check_window italian-maximized "$work_w" "$work_h"
close_with_alt_f4 5

# The all-rows build, in English.
rm -f "$folder/setting.ini"
start_program "$folder/OrvanaFull.exe"
wait_for_paint
check_window all-rows "$fit_w" "$fit_h" --all-rows
close_with_alt_f4 5
pass
