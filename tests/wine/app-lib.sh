# Shared steps of the whole-program checks (sourced by app-*.sh, which run
# through wine-run.sh --script). A caller that sets $check_name first gets
# $shots, a folder for its screenshots and files, which fail() keeps for a
# look and pass() removes. A caller that must undo something before a failure
# ends it (a file made read-only, a program to kill hard) defines on_fail.

shots=""
if [ -n "${check_name:-}" ]; then
    shots="$(mktemp -d "${TMPDIR:-/tmp}/orvana-$check_name.XXXXXX")"
fi
pid=""

fail() {
    echo "FAIL: $*"
    declare -F on_fail >/dev/null && on_fail
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$shots" ] && echo "files kept in $shots"
    exit 1
}

pass() {
    [ -n "$shots" ] && rm -rf "$shots"
    echo "PASS"
}

# The program writes setting.ini beside itself: copies it ($1) into a folder
# of its own under $shots; sets folder and settings.
program_folder() {
    folder="$shots/program"
    mkdir -p "$folder"
    cp "$1" "$folder/Orvana.exe"
    settings="$folder/setting.ini"
}

# Starts the program under Wine and waits for its main window; sets pid and window.
start_program() {
    wine "$1" &
    pid=$!
    window=""
    for _ in $(seq 300); do
        window="$(xdotool search --onlyvisible --class 'orvana' 2>/dev/null | head -n 1)"
        [ -n "$window" ] && return 0
        kill -0 "$pid" 2>/dev/null || fail "the program ended before showing a window"
        sleep 0.1
    done
    fail "no window appeared within 30 s"
}

# Waits up to $1 seconds for the program to end and answers its exit code;
# fails, naming what should have ended it ($2), when it still runs.
wait_for_exit() {
    local seconds="$1"
    for _ in $(seq $((seconds * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        # What the screen shows and which window has the focus tell why.
        import -window root "$shots/still-running.png" 2>/dev/null
        # Every thread's stack, for a hang: gdb sees the Unix side (Xlib,
        # Mesa, Wine's drivers), winedbg the Windows side of the whole session.
        timeout 120 gdb -p "$pid" -batch -ex "thread apply all bt 30" >"$shots/gdb.txt" 2>&1
        timeout 120 winedbg --command "bt all" >"$shots/threads.txt" 2>&1
        local focus
        focus="$(xdotool getwindowfocus 2>/dev/null)"
        [ "$focus" = "${window:-}" ] && focus="the main window" ||
            focus="window $focus, class $(xprop -id "$focus" WM_CLASS 2>/dev/null | cut -d= -f2)"
        fail "still running $seconds s after $2 (focus on $focus; stacks in gdb.txt and threads.txt)"
    fi
    wait "$pid"
}

# Presses Alt+F4 on the main window; the program must end with exit code 0
# within the given number of seconds.
close_with_alt_f4() {
    local seconds="$1" start rc elapsed
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers alt+F4
    start=$(date +%s%N)
    wait_for_exit "$seconds" Alt+F4
    rc=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    echo "exit code $rc after ${elapsed} ms"
    [ "$rc" -eq 0 ] || fail "exit code $rc"
}

# Takes two screenshots of the program's window a second apart into the
# folder $shots and checks the live preview in them: "NAME W H" for a camera
# picture of that size, "NAME blank" for no picture at all.
check_preview() {
    local name="$1"
    local here
    here="$(dirname "${BASH_SOURCE[0]}")"
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "== $name: window ${WIDTH}x${HEIGHT} at $X,$Y"
    import -window root "$shots/$name-a.png" 2>/dev/null
    sleep 1
    import -window root "$shots/$name-b.png" 2>/dev/null
    if [ "$2" = blank ]; then
        set -- --blank
    else
        set -- --size "$2" "$3"
    fi
    /usr/bin/python3 "$here/preview_check.py" "$shots/$name-a.png" "$shots/$name-b.png" \
        --window "$X" "$Y" "$WIDTH" "$HEIGHT" "$@" || fail "preview $name"
}

# Saves a screenshot as $shots/NAME.png and the window's place and size as
# $shots/NAME.geometry ("X Y WIDTH HEIGHT", for language_check.py); sets X,
# Y, WIDTH and HEIGHT.
save_window_shot() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$X $Y $WIDTH $HEIGHT" >"$shots/$1.geometry"
    import -window root "$shots/$1.png" 2>/dev/null || fail "no screenshot $1"
}

# Waits up to 10 s for the window's first paint to reach the screen: the
# whole window is drawn at once, so the blue strip above the bottom bar
# tells. The window shows before it is sized and centred, so its place is
# read anew each time. Sets X, Y, WIDTH and HEIGHT.
wait_for_paint() {
    local pixel
    for _ in $(seq 50); do
        eval "$(xdotool getwindowgeometry --shell "$window")"
        pixel="$(import -window root -crop "1x1+$((X + 10))+$((Y + HEIGHT - 69))" -depth 8 txt:- 2>/dev/null | tail -n 1)"
        case "$pixel" in *"#00A8E2"*) return 0 ;; esac
        sleep 0.2
    done
    fail "the window (${WIDTH}x${HEIGHT} at $X,$Y) was not painted within 10 s: $pixel"
}

# Waits up to 20 s for the camera's picture to reach the preview: a row
# across its middle that is no longer all black. The camera opens after the
# first paint; keys and clicks sent before it runs may reach a busy window
# out of step with the lists they were meant for. The window may still be
# moving into its place, so that is read anew each time; sets X, Y, WIDTH
# and HEIGHT.
wait_for_picture() {
    local row
    for _ in $(seq 100); do
        eval "$(xdotool getwindowgeometry --shell "$window")"
        # grep -c reads to the end: an early exit of grep -q would fail the
        # pipeline (pipefail) on the writer's broken pipe.
        row="$(import -window root -crop "700x1+$((X + 50))+$((Y + 435))" -depth 8 txt:- 2>/dev/null |
            tail -n +2 | grep -c -v '#000000')"
        [ "${row:-0}" -gt 0 ] && return 0
        sleep 0.2
    done
    [ -n "${shots:-}" ] && import -window root "$shots/no-picture.png" 2>/dev/null
    fail "no camera picture in the preview within 20 s"
}

# Starts the program and waits until its window is painted and shows the
# camera's picture: where every check that clicks or types begins.
start_showing_picture() {
    start_program "$1"
    wait_for_paint
    wait_for_picture
}

# Where the skin puts the controls, from the window's top-left corner, in the
# shipped skins in English; the all-rows build's skins keep them there and add
# the bottom bar's photo, record and open-folder buttons.
camera_list=(285 115)
slider_rows=(176 211 246 281 316 351 386 421) # brightness first, contrast second
auto_column=1278
brightness_thumb=(1064 176) # value 0 in the middle of -64..64
mirror_options=(1005 1125)  # default, mirrored
mirror_row=456
list_rows=(504 554 604 654)
photo_resolution=(1137 504)
video_resolution=(1137 554)
file_format=(1137 604)
refresh_rate=(1137 654)
photo=(59 766)
record=(147 766)
open_dir=(235 766)
default_button=(807 766)
cancel_button=(1057 766)
apply_button=(1197 766)
dot=(617 125) # the recording indicator

# Clicks at X Y from the window's corner (X and Y as last read from its
# geometry), then pauses for $3 seconds, or else $click_pause when the caller
# sets that.
click() {
    local pause="${3:-${click_pause:-}}"
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
    if [ -n "$pause" ]; then
        sleep "$pause"
    fi
}

# Opens the camera list with a click and waits (up to $1 tenths of a second,
# 30 unless given) for its drop-down window: its geometry in DROP_X, DROP_Y,
# DROP_WIDTH and DROP_HEIGHT.
open_camera_list() {
    click "${camera_list[@]}" 0
    local drop=""
    for _ in $(seq "${1:-30}"); do
        drop="$(xdotool search --onlyvisible --class orvana 2>/dev/null | grep -vx "$window" | head -n 1)"
        [ -n "$drop" ] && break
        sleep 0.1
    done
    [ -n "$drop" ] || fail "clicking the camera list opened no drop-down window"
    eval "$(xdotool getwindowgeometry --shell "$drop" | sed 's/^/DROP_/')"
}

# Opens the list at X Y with a click and moves its selection down by N entries.
choose() {
    click "$1" "$2" 0.5
    for _ in $(seq "$3"); do
        xdotool key Down
    done
    xdotool key Return
    sleep 0.5
}

# Clicks Apply and waits up to 5 s for setting.ini to change.
apply() {
    local before
    before="$(md5sum <"$settings" 2>/dev/null)"
    click "${apply_button[@]}" 0
    for _ in $(seq 25); do
        sleep 0.2
        [ "$(md5sum <"$settings" 2>/dev/null)" != "$before" ] && break
    done
}

# The five lines Apply writes first: photo W H, video W H, format; and
# after their empty line what must follow ($6), when given.
expect_saved() {
    local expected
    expected="$(printf 'PhotoResolution_Width=%d\r\nPhotoResolution_Height=%d\r\nVideoResolution_Width=%d\r\nVideoResolution_Height=%d\r\nFileFormat=%s\r\n\r\n%s' "$1" "$2" "$3" "$4" "$5" "${6:-}")"
    head -c "${#expected}" "$settings" | cmp -s - <(printf '%s' "$expected") ||
        fail "setting.ini begins: $(head -5 "$settings" | tr -d '\r' | tr '\n' ' ')"
}

# The Unix path of the Wine user's Videos folder.
videos_folder() {
    echo "$(winepath -u "$(wine cmd /c echo '%USERPROFILE%' | tr -d '\r')")/Videos"
}

# The Unix path of the Wine user's %LOCALAPPDATA%.
local_app_data() {
    winepath -u "$(wine cmd /c echo '%LOCALAPPDATA%' | tr -d '\r')"
}

# Whether a photo or recording decodes without an error; ffmpeg's messages
# are kept in $shots/decode.txt. Pictures are stamped when they arrive, so a
# recording has a variable rate: the null output's complaint about that is
# about the output, not the file.
decodes_cleanly() {
    ffmpeg -v error -i "$1" -f null - 2>&1 |
        grep -v -e 'non monotonically increasing dts' -e 'Last message repeated' >"$shots/decode.txt"
    [ "${PIPESTATUS[0]}" -eq 0 ] && [ ! -s "$shots/decode.txt" ]
}
