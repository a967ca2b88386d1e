#!/usr/bin/env bash
# Kills the all-rows build hard (SIGKILL to its process, as a crash or a
# power cut would end it) while it records, and checks the file left behind:
# it must play, picture and sound, up to at most a second before the kill.
# Kill moments: one early, one later at random (ORVANA_KILL_AT="s1 s2" fixes
# them), and one just after the stop click, while the recording's thread
# finishes the file. The next start must finish each killed recording in
# place: no fragment left, every picture in its index (ffprobe and
# mediainfo), decoding cleanly. Fragmented MP4 files of another program,
# named like recordings, in the Videos folder and in "OrvanaCapture", stay
# byte for byte as they were through all of it.
#
#   app-crash.sh OrvanaFull.exe OrvanaTestDeviceSetup.exe
set -uo pipefail
exe="$1"
setup="$2"
here="$(dirname "${BASH_SOURCE[0]}")"

check_name=crash
on_fail() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; }
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

wine "$setup" reset || fail "could not reset the test devices"
previous=""
cp "$exe" "$shots/OrvanaFull.exe"
output="$(videos_folder)/OrvanaCapture"

# Another program's fragmented MP4s (a download, a screen recorder) named as
# the program names recordings, one of them with a fragment cut off at the
# end, older than any recording of this run.
mkdir -p "$output"
foreign=("$(videos_folder)/2020-01-01_00-00-00.mp4" "$output/2020-01-01_00-00-01.mp4"
    "$output/2020-01-01_00-00-02_2.mp4")
ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=30 -f lavfi -i sine -t 2 \
    -c:v libx264 -g 12 -c:a aac -movflags frag_keyframe+empty_moov "${foreign[0]}" ||
    fail "the host's ffmpeg made no file"
cp "${foreign[0]}" "${foreign[1]}"
head -c -3000 "${foreign[0]}" >"${foreign[2]}"
touch -d 2020-01-01 "${foreign[@]}"
foreign_sums="$(md5sum "${foreign[@]}")"

# Waits up to 20 s for the program, started again, to have finished the
# recording the last kill left ($previous) in place, and checks it.
expect_repaired() {
    [ -n "$previous" ] || return 0
    local boxes=""
    for _ in $(seq 100); do
        boxes="$(python3 "$here/mp4_boxes.py" "$previous")"
        [[ "$boxes" != *moof* ]] && break
        sleep 0.2
    done
    echo "after the next start: ${boxes:0:40}...${boxes: -20}"
    [[ "$boxes" != *moof* ]] || fail "the next start left $(basename "$previous") fragmented"
    [ "$(ffprobe -v trace "$previous" 2>&1 | grep -c "type:'moof'")" = 0 ] ||
        fail "ffprobe still meets fragments in $(basename "$previous")"
    local read indexed
    read="$(ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets \
        -of csv=p=0 "$previous")"
    indexed="$(mediainfo --Inform='Video;%FrameCount%' "$previous")"
    echo "pictures read by ffprobe: $read, in mediainfo's index: $indexed"
    [ -n "$read" ] && [ "$read" -gt 0 ] && [ "$read" = "$indexed" ] ||
        fail "$(basename "$previous"): ffprobe reads $read pictures, mediainfo $indexed"
    decodes_cleanly "$previous" || fail "$(basename "$previous") does not decode cleanly once finished"
}

# Records for $1 seconds and kills the program then; with "stop" as $2 the
# record button is clicked again just before the kill. Checks the file.
record_and_kill() {
    local seconds="$1" how="${2:-}"
    # wine's loader execs the program in the process started here: the one killed.
    start_showing_picture "$shots/OrvanaFull.exe"
    expect_repaired
    local started
    started=$(date +%s%N)
    click "${record[@]}"
    sleep "$seconds"
    if [ "$how" = stop ]; then
        click "${record[@]}"
        sleep 0.05
    fi
    kill -9 "$pid"
    local wall=$((($(date +%s%N) - started) / 1000000))
    wait "$pid" 2>/dev/null
    pid=""
    local found
    found="$(ls -t "$output"/*.mp4 2>/dev/null | head -n 1)"
    [ -n "$found" ] && [ "$found" != "${previous:-}" ] || fail "no recording left after a kill at $seconds s"
    previous="$found"
    local name="kill-$seconds${how:+-$how}.mp4"
    cp "$found" "$shots/$name"
    local boxes
    boxes="$(python3 "$here/mp4_boxes.py" "$shots/$name")"
    ffprobe -v error -show_entries stream=codec_type,duration -of compact=p=0 "$shots/$name" \
        >"$shots/$name.txt" 2>&1
    echo "killed ${wall} ms after the click${how:+ (just after the stop click)}:" \
        "$(grep -o moof <<<"$boxes" | wc -l) fragments${boxes:+, ends with ${boxes##* }};" \
        "$(tr '\n' ' ' <"$shots/$name.txt")"
    grep -q '^codec_type=video' "$shots/$name.txt" || fail "$name: no picture stream"
    grep -q '^codec_type=audio' "$shots/$name.txt" || fail "$name: no sound stream"
    # Each stream reaches to a second before the kill.
    awk -F'duration=' -v wall="$wall" '/duration=/ { if ($2 * 1000 < wall - 1000) bad = 1 }
        END { exit bad }' "$shots/$name.txt" || fail "$name: more than the last second is lost"
    decodes_cleanly "$shots/$name" || fail "$name does not decode cleanly: $(head -3 "$shots/decode.txt")"
}

read -r early late <<<"${ORVANA_KILL_AT:-$((2 + RANDOM % 2)).$((RANDOM % 10)) $((5 + RANDOM % 5)).$((RANDOM % 10))}"
record_and_kill "$early"
record_and_kill "$late"
record_and_kill 3 stop
start_showing_picture "$shots/OrvanaFull.exe"
expect_repaired
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=""
[ "$(md5sum "${foreign[@]}")" = "$foreign_sums" ] ||
    fail "another program's files were changed: $(md5sum "${foreign[@]}" | diff - <(echo "$foreign_sums"))"
rm -f "${foreign[@]}"
pass
