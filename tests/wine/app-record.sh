#!/usr/bin/env bash
# Takes a photo and makes a recording with the buttons of the all-rows build
# (run through wine-run.sh --script), as a user would, and checks the files in
# the Videos folder's "OrvanaCapture", the Videos folder named in Polish and
# Chinese letters: the photo's size and colours, the recording's streams,
# length and layout, and the recording indicator on screen. Then an output
# folder that cannot be written (the record button springs back and the
# program goes on), a disk that fills during a recording, the open-folder
# button, an unplugged camera and Alt+F4 while recording.
#
#   app-record.sh OrvanaFull.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"

check_name=record
# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"

wine "$setup" reset || fail "could not reset the test devices"
# The camera locks as real capture filters do: Stop holds the filter's lock while its streaming
# thread delivers one last sample. Unplugging it and exiting must not hang on that.
wine "$setup" faults camera:0 lockedStop=1 >/dev/null || fail "could not set the camera's locking"
cp "$exe" "$shots/OrvanaFull.exe"
# The Videos folder named in letters that no Western code page holds, as a
# Polish or Chinese user name gives it on an English system.
profile="$(wine cmd /c echo '%USERPROFILE%' | tr -d '\r')"
videos_name='Łódź 视频'
videos="$(winepath -u "$profile")/$videos_name"
output="$videos/OrvanaCapture"
mkdir -p "$videos"
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]\r\n'
    # Windows names the value "My Video", Wine "My Videos".
    for value in 'My Video' 'My Videos'; do
        printf '"%s"="%s\\\\%s"\r\n' "$value" "${profile//\\/\\\\}" "$videos_name"
    done
} | iconv -f UTF-8 -t UTF-16 >"$shots/videos.reg"
wine regedit /S "$(winepath -w "$shots/videos.reg")" || fail "could not move the Videos folder"

# Whether the recording indicator's red dot is on screen.
dot_shown() {
    import -window root "$shots/dot.png" 2>/dev/null
    local colour
    colour="$(convert "$shots/dot.png" -format "%[pixel:p{$((X + dot[0])),$((Y + dot[1]))}]" info:)"
    case "$colour" in srgb\(2[0-9][0-9],[0-9],*|srgb\(2[0-9][0-9],[0-9][0-9],*) return 0 ;; esac
    return 1
}

# Waits up to $2 seconds for one file matching $1 in the output folder.
wait_for_file() {
    for _ in $(seq $(($2 * 10))); do
        found="$(find "$output" -maxdepth 1 -name "$1" 2>/dev/null | head -n 1)"
        [ -n "$found" ] && return 0
        sleep 0.1
    done
    return 1
}

start_showing_picture "$shots/OrvanaFull.exe"

# --- photo: the camera's 640 x 480 picture with its true black and white.
click "${photo[@]}"
wait_for_file '*.jpg' 5 || fail "no photo in $output"
[[ "$(basename "$found")" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}\.jpg$ ]] ||
    fail "photo name $(basename "$found")"
size="$(ffprobe -v error -select_streams v -show_entries stream=width,height -of csv=p=0 "$found")"
[ "$size" = "640,480" ] || fail "photo size $size"
ffmpeg -v error -y -i "$found" "$shots/photo.png"
# The last colour bar is black, the frame number's digits white.
bar="$(convert "$shots/photo.png" -format '%[fx:int(255*p{600,200}.r)],%[fx:int(255*p{600,200}.g)]' info:)"
digit="$(convert "$shots/photo.png" -crop 150x90+0+0 -format '%[fx:int(255*maxima.r)]' info:)"
echo "photo $(basename "$found"): black bar $bar, brightest digit $digit"
[ "${bar%%,*}" -le 12 ] || fail "the black bar is grey in the photo ($bar)"
[ "$digit" -ge 245 ] || fail "white is dull in the photo ($digit)"

# --- a recording of about ten seconds, as long as the time between the clicks.
started=$(date +%s%N)
click "${record[@]}"
sleep 1
dot_shown || fail "no recording indicator while recording"
sleep 8
click "${record[@]}"
wall=$((($(date +%s%N) - started) / 1000000))
sleep 1
dot_shown && fail "the recording indicator stays after the stop"
wait_for_file '*.mp4' 5 || fail "no recording in $output"
ffprobe -v error -show_entries stream=codec_name,pix_fmt,width,height,sample_rate,channels,duration \
    -of compact=p=0 "$found" | tee "$shots/streams.txt"
grep -q '^codec_name=h264|width=640|height=480|pix_fmt=yuv420p|' "$shots/streams.txt" ||
    fail "the picture stream is not 640x480 H.264 yuv420p"
grep -q '^codec_name=aac|.*sample_rate=48000|channels=2|' "$shots/streams.txt" ||
    fail "the sound stream is not 48 kHz stereo AAC"
echo "wall clock between the clicks: $wall ms"
awk -F'duration=' -v wall="$wall" '/duration=/ { d = $2 * 1000; if (d < wall - 700 || d > wall + 700) bad = 1 }
    END { exit bad }' "$shots/streams.txt" || fail "a stream's length is not the time between the clicks"
cp "$found" "$shots/"
# Fragments while recording, an ordinary MP4 once stopped, finished where it
# lies: the media data where it was written, the fragment headers (and the
# empty index in front) inside one media data box, one index at the end,
# and nothing written beside the recording.
boxes="$(python3 "$(dirname "${BASH_SOURCE[0]}")/mp4_boxes.py" "$found")" || fail "boxes: $boxes"
echo "top-level boxes: $boxes"
[ "$boxes" = "ftyp mdat moov" ] || fail "not an ordinary MP4 finished in place: $boxes"
[ -z "$(find "$output" -type f ! -name '*.mp4' ! -name '*.jpg')" ] ||
    fail "files beside the recording: $(ls "$output")"
# The index names every picture, and every one of them decodes.
counts="$(ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_frames,nb_read_frames \
    -of csv=p=0 "$found")"
echo "pictures in the index, decoded: $counts"
[ "${counts%%,*}" = "${counts##*,}" ] && [ "${counts%%,*}" -gt 0 ] || fail "pictures lost: $counts"
decodes_cleanly "$found" || fail "the recording does not decode cleanly: $(head -3 "$shots/decode.txt")"

# --- an output folder that cannot be written: a read-only file system as the
# Videos folder. The record button springs back and the program goes on.
if mount -t tmpfs -o ro,size=1m orvana-ro "$videos" 2>/dev/null; then
    click "${record[@]}"
    sleep 2
    dot_shown && { umount "$videos"; fail "a recording seems to run without a folder to write to"; }
    kill -0 "$pid" 2>/dev/null || { umount "$videos"; fail "the program ended when it could not write"; }
    umount "$videos"
    # The button is ready for the next, successful recording.
    rm -f "$output"/*.mp4
    click "${record[@]}"
    sleep 2
    dot_shown || fail "no recording starts after the failed one"
    click "${record[@]}"
    wait_for_file '*.mp4' 5 || fail "no recording after the failed one"
else
    echo "(cannot mount a read-only folder here: unwritable-folder case skipped)"
fi

# Checks that the newest recording reads completely and lasts about $1 s.
complete_recording() {
    local newest
    newest="$(ls -t "$output"/*.mp4 | head -n 1)"
    decodes_cleanly "$newest" || fail "$2: the file does not read completely"
    local length
    length="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$newest")"
    echo "$2: $(basename "$newest") lasts $length s"
    awk -v d="$length" -v want="$1" 'BEGIN { exit !(d >= want - 1 && d <= want + 2) }' ||
        fail "$2: the file lasts $length s, expected about $1"
}

# A disk that fills up during a recording: once less than the reserve (64
# MB) is free, the recording ends by itself as a stop would (the dot goes,
# the file reads completely), and a start on that disk springs back.
if mount -t tmpfs -o size=80m orvana-full "$videos" 2>/dev/null; then
    started=$(date +%s%N)
    click "${record[@]}"
    sleep 3
    dot_shown || { umount "$videos"; fail "no recording on a disk with room"; }
    head -c 20M /dev/zero >"$videos/filler"
    filled=$((($(date +%s%N) - started) / 1000000000))
    echo "the disk filled $filled s after the click"
    sleep 3
    kill -0 "$pid" 2>/dev/null || { umount "$videos"; fail "the program ended when the disk filled"; }
    dot_shown && { umount "$videos"; fail "the recording runs on as the disk fills"; }
    click "${record[@]}"
    sleep 2
    dot_shown && { umount "$videos"; fail "a recording starts on a nearly full disk"; }
    ls -la "$output" || true
    [ "$(find "$output" -name '*.mp4' | wc -l)" -eq 1 ] || { umount "$videos"; fail "not one recording on the filled disk"; }
    cp "$output"/*.mp4 "$shots/full-disk.mp4"
    umount "$videos"
    rm -f "$output"/*.mp4
    cp "$shots/full-disk.mp4" "$output/"
    complete_recording "$filled" "disk filled while recording"
else
    echo "(cannot mount a small folder here: full-disk case skipped)"
fi

# The open-folder button shows the output folder in the shell, by its true name.
click "${open_dir[@]}"
shown=""
for _ in $(seq 100); do
    shown="$(ps -eo pid=,args= | grep -F "explorer.exe $profile\\$videos_name\\OrvanaCapture" | grep -v grep)"
    [ -n "$shown" ] && break
    sleep 0.1
done
[ -n "$shown" ] || fail "the open-folder button does not open $videos_name\\OrvanaCapture"
kill "$(echo "$shown" | awk 'NR == 1 { print $1 }')" 2>/dev/null
sleep 1

# Unplugging the camera in the middle of a recording finishes the file.
rm -f "$output"/*.mp4
click "${record[@]}"
sleep 3
wine "$setup" unplug camera:0 >/dev/null || fail "could not unplug the camera"
sleep 1
dot_shown && fail "the recording indicator stays after the camera left"
complete_recording 3 "camera unplugged while recording"
wine "$setup" replug camera:0 >/dev/null || fail "could not plug the camera back"
sleep 3

# Closing the window in the middle of a recording finishes the file too.
rm -f "$output"/*.mp4
click "${record[@]}"
sleep 3
close_with_alt_f4 5
complete_recording 3 "window closed while recording"
# Closing waits for the file to be finished in place.
closed="$(python3 "$(dirname "${BASH_SOURCE[0]}")/mp4_boxes.py" "$(ls -t "$output"/*.mp4 | head -n 1)")"
[[ "$closed" != *moof* ]] || fail "closing left the recording fragmented: $closed"

pass
