#!/usr/bin/env bash
# Runs the program three times in one folder (through wine-run.sh --script,
# English locale, the default test camera) as a user would across restarts:
# picks a format and resolutions by keys and applies them; edits the language
# line of the saved setting.ini by hand; restarts and finds the window in
# that language; applies another format, which keeps the hand-edited line;
# restarts and finds the language again. Starting never rewrites the file.
#
#   app-restart.sh Orvana.exe SKIN_FOLDER
set -uo pipefail
exe="$1"
skins="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=restart
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

unset LANG
export LC_ALL=en_US.UTF-8
program_folder "$exe"

start() {
    start_showing_picture "$folder/Orvana.exe"
    save_window_shot "$1"
}

# First run, no setting.ini: YUY2, then 1280x720 for video, 1920x1080 for
# photos (the camera's YUY2 entries run 640x480, 1280x720, 1920x1080, each
# at 30 and 15 frames).
start first-English
choose "${file_format[@]}" 1
choose "${video_resolution[@]}" 2
choose "${photo_resolution[@]}" 4
apply
[ -f "$settings" ] || fail "Apply wrote no setting.ini"
expect_saved 1920 1080 1280 720 YUY2
grep -a -q $'^Language=\r$' "$settings" || fail "the new setting.ini has no empty language line"
close_with_alt_f4 5

# The user names a language in the file.
sed -i 's/^Language=\r$/Language=german\r/' "$settings"
edited="$(md5sum <"$settings")"
start second-German
[ "$(md5sum <"$settings")" = "$edited" ] || fail "starting rewrote setting.ini"
# H264, two entries below the camera's running MJPG; its first size.
choose "${file_format[@]}" 2
apply
expect_saved 640 480 640 480 H264
tail -c 19 "$settings" | cmp -s - <(printf 'Language=german\r\n\r\n') ||
    fail "Apply lost the language line: $(tail -c 40 "$settings" | od -c)"
close_with_alt_f4 5

saved="$(md5sum <"$settings")"
start third-German
close_with_alt_f4 5
[ "$(md5sum <"$settings")" = "$saved" ] || fail "starting and closing rewrote setting.ini"

/usr/bin/python3 "$here/language_check.py" "$shots" "$skins" || fail "the languages on screen"
pass
