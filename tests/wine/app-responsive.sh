#!/usr/bin/env bash
# How long the program's window stops answering while slow cameras do their
# work (run through wine-run.sh --script). Two cameras whose drivers take 2 s
# for each change of state, 50 ms for each property call and 300 ms to bind,
# each offering MJPG and YUY2 at 640x480 and 1280x720, and a microphone; the
# photo and the recording are set to other sizes than the preview shows.
# OrvanaWindowProbe.exe asks the window for an answer twenty times a second
# throughout; each action below is a phase of its own: the start, a camera
# switch in the camera list, a photo, a recording's start and stop, an unplug
# and a replug of the shown camera, three arrivals within a second, a resume
# from sleep, and the exit. Prints a table of each action's longest wait for
# an answer and how long the action took.
#
# Passes when every answer came within 250 ms and the window was shown within
# 0.3 s of its making (Wine's own start of a process, before the program
# runs, takes about that long by itself: the table shows the time from the
# launch too). ORVANA_RESPONSIVE_REPORT_ONLY=1 prints the table and passes
# whatever the figures.
#
#   app-responsive.sh OrvanaFull.exe OrvanaTestDeviceSetup.exe OrvanaWindowProbe.exe
set -uo pipefail
exe="$1"
setup="$2"
probe_exe="$3"

answer_limit_ms=250
shown_limit_ms=300
report_only="${ORVANA_RESPONSIVE_REPORT_ONLY:-0}"

check_name=responsive
# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"

program_folder "$exe"

formats="capture=MJPG 640x480@30;MJPG 1280x720@30;YUY2 640x480@30;YUY2 1280x720@30"
slow="startDelayMs=2000 propertyDelayMs=50 bindDelayMs=300"
camera_a='\\?\usb#slow_a#1'
camera_b='\\?\usb#slow_b#1'
dock_camera='\\?\usb#slow_dock_camera#1'
dock_microphone='\\?\usb#slow_dock_microphone#1'
# shellcheck disable=SC2086 # $slow is a list of settings
wine "$setup" clear &&
    wine "$setup" add-camera "Camera A" "$camera_a" "$formats" $slow &&
    wine "$setup" add-camera "Camera B" "$camera_b" "$formats" $slow &&
    wine "$setup" add-microphone "Microphone" '\\?\usb#slow_microphone#1' startDelayMs=500 bindDelayMs=300 &&
    wine "$setup" add-camera "Dock Camera" "$dock_camera" "$formats" $slow &&
    wine "$setup" add-microphone "Dock Microphone" "$dock_microphone" startDelayMs=500 bindDelayMs=300 &&
    wine "$setup" unplug "$dock_camera" --no-notify >/dev/null &&
    wine "$setup" unplug "$dock_microphone" --no-notify >/dev/null ||
    fail "could not configure the slow devices"

# The preview runs MJPG 640x480; photos are YUY2 1280x720, recordings YUY2 640x480.
printf 'PhotoResolution_Width=1280\r\nPhotoResolution_Height=720\r\nVideoResolution_Width=640\r\nVideoResolution_Height=480\r\nFileFormat=YUY2\r\n\r\nLanguage=english\r\n' >"$settings"

now_ms() { date +%s%3N; }

# The probe reads its commands from a pipe and writes its findings to a file.
mkfifo "$shots/probe-in"
wine "$probe_exe" <"$shots/probe-in" >"$shots/probe.txt" 2>&1 &
probe_pid=$!
exec 7>"$shots/probe-in"
on_fail() {
    exec 7>&-
    kill "$probe_pid" 2>/dev/null
}
for _ in $(seq 300); do
    grep -q '^started ' "$shots/probe.txt" 2>/dev/null && break
    sleep 0.1
done
grep -q '^started ' "$shots/probe.txt" || fail "the window probe did not start"

probe() { echo "$*" >&7; }

# Waits until the window has answered every probe within 100 ms for $1 ms;
# sets answered_at to when it last answered more slowly.
wait_until_answering() {
    local before line
    before="$(grep -c -E '^(idle|busy)' "$shots/probe.txt")"
    probe idle "$1"
    for _ in $(seq 700); do
        line="$(grep -E '^(idle|busy)' "$shots/probe.txt" | sed -n "$((before + 1))p")"
        [ -n "$line" ] && break
        sleep 0.1
    done
    case "$line" in
    idle\ *) answered_at="${line#idle }" ;;
    *) fail "the window did not come to answer promptly (probe: '$line')" ;;
    esac
}

# Whether the preview shows a live picture: two looks at it a moment apart,
# not black, and different (the frame number and the stripe move).
look() {
    import -window root -crop "600x300+$((X + 100))+$((Y + 285))" -depth 8 "gray:$shots/look-$1.raw" 2>/dev/null
}
picture_moves() {
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || return 1
    look a || return 1
    sleep 0.15
    look b || return 1
    [ -n "$(tr -d '\000' <"$shots/look-b.raw" | head -c 1)" ] && ! cmp -s "$shots/look-a.raw" "$shots/look-b.raw"
}

# Waits up to $1 seconds for a live picture; sets picture_at (empty: none came).
wait_for_live_picture() {
    picture_at=""
    local until=$(($(now_ms) + $1 * 1000))
    while [ "$(now_ms)" -lt "$until" ]; do
        if picture_moves; then
            picture_at="$(now_ms)"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

actions=()
# Ends the running action: waits for what the action should show ($2: a
# function, empty for nothing), then for the window to answer promptly
# again, and notes how long the action took.
finish_action() {
    local name="$1" check="${2:-}" done_at="$action_began"
    if [ -n "$check" ]; then
        "$check" || fail "$name: $check did not hold"
        done_at="$checked_at"
    fi
    wait_until_answering 400
    [ "$answered_at" -gt "$done_at" ] && done_at="$answered_at"
    actions+=("$name $((done_at - action_began))")
    echo "== $name: done after $((done_at - action_began)) ms"
}

begin_action() {
    probe phase "$1"
    sleep 0.05
    action_began="$(now_ms)"
}

picture_back() {
    wait_for_live_picture 30 || return 1
    checked_at="$picture_at"
}

videos="$(videos_folder)/OrvanaCapture"
newest_file() { find "$videos" -maxdepth 1 -name "$1" -newermt "@$((action_began / 1000 - 1))" 2>/dev/null | head -n 1; }
photo_written() {
    for _ in $(seq 300); do
        [ -n "$(newest_file '*.jpg')" ] && { checked_at="$(now_ms)"; return 0; }
        sleep 0.1
    done
    return 1
}
recording_shown() {
    for _ in $(seq 300); do
        if dot_on; then checked_at="$(now_ms)"; return 0; fi
        sleep 0.1
    done
    return 1
}
recording_ended() {
    for _ in $(seq 300); do
        if ! dot_on; then checked_at="$(now_ms)"; return 0; fi
        sleep 0.1
    done
    return 1
}
# Whether the recording indicator's red dot is on screen.
dot_on() {
    local colour
    colour="$(import -window root -crop "1x1+$((X + dot[0]))+$((Y + dot[1]))" -depth 8 txt:- 2>/dev/null | tail -n 1)"
    [[ "$colour" =~ \(\ *(2[0-9][0-9]),\ *([0-9]{1,2}), ]]
}

# --- the start: from the launch to the window on screen and the first picture.
launched="$(now_ms)"
action_began="$launched"
# FFmpeg's and Wine's messages go to a file of their own.
wine "$folder/Orvana.exe" 2>"$shots/program.txt" &
pid=$!
window=""
for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --class 'orvana' 2>/dev/null | head -n 1)"
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before showing a window"
    sleep 0.05
done
[ -n "$window" ] || fail "no window appeared within 30 s"
wait_for_live_picture 60 || fail "no live picture within 60 s of the start"
first_picture=$((picture_at - launched))
finish_action start
for _ in $(seq 50); do
    grep -q '^window shown ' "$shots/probe.txt" && break
    sleep 0.1
done
process_started="$(awk '$1 == "process" { print $3 }' "$shots/probe.txt")"
created="$(awk '$1 == "window" && $2 == "created" { print $3 }' "$shots/probe.txt")"
shown="$(awk '$1 == "window" && $2 == "shown" { print $3 }' "$shots/probe.txt")"
[ -n "$shown" ] && [ -n "$created" ] && [ -n "$process_started" ] || fail "the probe did not see the window made and shown"
echo "== start: launch to window shown $((shown - launched)) ms (process start to shown" \
    "$((shown - process_started)) ms, window made to shown $((shown - created)) ms)," \
    "launch to first picture $first_picture ms"

# --- a camera switch: the camera list, then its second entry.
eval "$(xdotool getwindowgeometry --shell "$window")"
begin_action camera-switch
open_camera_list 100
xdotool mousemove $((DROP_X + DROP_WIDTH / 2)) $((DROP_Y + 2 + (DROP_HEIGHT - 4) * 3 / 4)) click 1
finish_action camera-switch picture_back

# --- a photo at YUY2 1280x720, the preview running MJPG 640x480.
eval "$(xdotool getwindowgeometry --shell "$window")"
begin_action photo
click "${photo[@]}"
finish_action photo photo_written

# --- a recording at YUY2 640x480, the preview now at 1280x720: its start ...
begin_action recording-start
click "${record[@]}"
finish_action recording-start recording_shown
sleep 2
# ... and its stop.
begin_action recording-stop
click "${record[@]}"
finish_action recording-stop recording_ended

# --- the shown camera unplugged, and plugged back.
shown_camera="$camera_b"
begin_action unplug
wine "$setup" unplug "$shown_camera" >/dev/null || fail "could not unplug the shown camera"
finish_action unplug picture_back
begin_action replug
wine "$setup" replug "$shown_camera" >/dev/null || fail "could not plug the camera back"
finish_action replug picture_back

# --- a dock: a camera, a microphone and a third device arrive within a second.
wine "$setup" replug "$dock_camera" --no-notify >/dev/null &&
    wine "$setup" replug "$dock_microphone" --no-notify >/dev/null ||
    fail "could not plug in the dock's devices"
begin_action three-arrivals
notifiers=()
for path in "$dock_camera" "$dock_microphone" '\\?\usb#slow_dock_hub#1'; do
    wine "$setup" notify "$path" arrival >/dev/null &
    notifiers+=($!)
    sleep 0.3
done
for notifier in "${notifiers[@]}"; do
    wait "$notifier"
done
finish_action three-arrivals picture_back

# --- a resume from sleep.
begin_action resume
probe post 0x218 0x12 0 # WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC
sleep 0.5
finish_action resume picture_back

# --- the exit, as Alt+F4 asks for it.
begin_action exit
probe post 0x112 0xF060 0 # WM_SYSCOMMAND, SC_CLOSE
for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
kill -0 "$pid" 2>/dev/null && fail "the program still runs 30 s after the close"
exit_done="$(now_ms)"
wait "$pid"
rc=$?
actions+=("exit $((exit_done - action_began))")
echo "== exit: code $rc after $((exit_done - action_began)) ms"

probe stop
exec 7>&-
wait "$probe_pid"
cat "$shots/probe.txt"

# --- the table: each action's longest wait for an answer, and its time.
declare -A took
for entry in "${actions[@]}"; do
    took["${entry% *}"]="${entry##* }"
done
over=()
printf '\n%-18s %16s %14s\n' action "longest answer" "action took"
while read -r _ name longest _ _; do
    [ "$name" = whole-run ] && continue
    printf '%-18s %13s ms %11s ms\n' "$name" "$longest" "${took[$name]:-?}"
    [ "${longest%+}" -gt "$answer_limit_ms" ] && over+=("$name")
done < <(grep '^result ' "$shots/probe.txt")
printf '%-18s %13s ms   (after the launch: %s ms; after the process began: %s ms)\n' \
    "window made→shown" "$((shown - created))" "$((shown - launched))" "$((shown - process_started))"
printf '%-18s %13s ms   (after the launch)\n' "first picture" "$first_picture"

[ "$rc" -eq 0 ] || fail "exit code $rc"
if [ "$report_only" = 1 ]; then
    echo "report only: answers over $answer_limit_ms ms in: ${over[*]:-none}"
    pass
    exit 0
fi
[ "${#over[@]}" -eq 0 ] || fail "the window kept its user waiting over $answer_limit_ms ms in: ${over[*]}"
[ $((shown - created)) -le "$shown_limit_ms" ] ||
    fail "the window was shown $((shown - created)) ms after it was made"
pass
