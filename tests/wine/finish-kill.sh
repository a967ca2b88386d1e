#!/usr/bin/env bash
# Kills the finish in place at random moments, as a crash or a kill would:
# a fragmented recording (made by the host's ffmpeg the way the recorder
# writes one: 10 s, 320x240 H.264 and AAC, a fragment per 12 pictures) is
# finished by FinishFile.exe on a disk made slow (every flush 50 ms longer,
# so that the kills land in every step), killed hard (SIGKILL) after a
# random delay, and checked with ffprobe: every packet of the recording is
# still there, byte for byte. Then the killed files are finished again, as
# the next start does, and must be ordinary MP4s (no fragment left, read
# alike by ffprobe, mediainfo and GStreamer) holding the same packets.
# ORVANA_FINISH_KILLS sets the number of kills: 25 by default (about a
# minute), 100 for the long form (README).
#
#   finish-kill.sh FinishFile.exe
set -uo pipefail
finisher="$(readlink -f "$1")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kills="${ORVANA_FINISH_KILLS:-25}"
work="$(mktemp -d "${TMPDIR:-/tmp}/orvana-finish-kill.XXXXXX")"
fail() {
    echo "FAIL: $*"
    echo "files kept in $work"
    exit 1
}
cd "$work" || exit 1

ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=30 \
    -f lavfi -i sine=frequency=440:sample_rate=48000 -t 10 \
    -c:v libx264 -g 12 -preset superfast -bf 0 -tune zerolatency -video_track_timescale 90000 \
    -c:a aac -b:a 32k -movflags frag_keyframe+empty_moov+default_base_moof recording.mp4 ||
    fail "the host's ffmpeg made no recording"
packets() {
    ffprobe -v error -show_data_hash MD5 -show_entries \
        packet=stream_index,pts,dts,size,flags,data_hash -of csv "$1"
}
packets recording.mp4 >reference.txt
[ "$(wc -l <reference.txt)" -gt 700 ] || fail "the recording holds too few packets"

declare -A stages=()
wine "$finisher" >/dev/null 2>&1 # Wine awake before the first timing
for i in $(seq "$kills"); do
    name="killed-$i.mp4"
    cp recording.mp4 "$name"
    wine "$finisher" --slow-flush 50 "$name" >"out-$i.txt" 2>&1 &
    pid=$!
    for _ in $(seq 2000); do
        grep -q '^finishing' "out-$i.txt" 2>/dev/null && break
        sleep 0.01
    done
    grep -q '^finishing' "out-$i.txt" || { kill -9 "$pid"; fail "FinishFile did not start: $(cat "out-$i.txt")"; }
    # The finish takes about 150 ms here; some kills come after it.
    sleep "0.$(printf '%03d' $((RANDOM % 150)))"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    boxes="$(python3 "$here/mp4_boxes.py" "$name")" || fail "$name: boxes do not add up: $boxes"
    case "$boxes" in
    *moof*) stage=fragmented ;;
    "ftyp mdat moov") stage=finished ;;
    *) fail "$name: neither fragmented nor finished: $boxes" ;;
    esac
    stages[$stage]=$((${stages[$stage]:-0} + 1))
    packets "$name" >"packets-$i.txt" 2>&1
    cmp -s reference.txt "packets-$i.txt" ||
        fail "$name, killed while $stage ($boxes): packets differ: $(diff reference.txt "packets-$i.txt" | head -3)"
done
echo "killed $kills times: ${stages[fragmented]:-0} still fragmented, ${stages[finished]:-0} finished"

# The next start finishes them all.
wine "$finisher" killed-*.mp4 >again.txt 2>&1 || fail "finishing again failed: $(grep FAILED again.txt | head -3)"
frames="$(grep -c '^packet,0,' reference.txt)"
for i in $(seq "$kills"); do
    name="killed-$i.mp4"
    [ "$(ffprobe -v trace "$name" 2>&1 | grep -c "type:'moof'")" = 0 ] || fail "$name: fragments left"
    packets "$name" | cmp -s reference.txt - || fail "$name: packets differ after finishing again"
done
# Two readers that share no code with FFmpeg: every picture in mediainfo's
# index, and every picture and sound frame out of GStreamer's demuxer.
sounds="$(grep -c '^packet,1,' reference.txt)"
demuxed() {
    gst-launch-1.0 -v filesrc location="$1" ! qtdemux name=d "d.$2_0" ! queue ! fakesink silent=false 2>&1 |
        grep -c 'fakesink0: last-message = chain'
}
for i in 1 $((kills / 2 + 1)) "$kills"; do
    counted="$(mediainfo --Inform='Video;%FrameCount%' "killed-$i.mp4")"
    [ "$counted" = "$frames" ] || fail "killed-$i.mp4: mediainfo counts $counted pictures, not $frames"
    counted="$(demuxed "killed-$i.mp4" video)/$(demuxed "killed-$i.mp4" audio)"
    [ "$counted" = "$frames/$sounds" ] ||
        fail "killed-$i.mp4: GStreamer reads $counted pictures/sound frames, not $frames/$sounds"
done
cd / && rm -rf "$work"
echo "PASS"
