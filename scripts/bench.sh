#!/usr/bin/env bash
# Builds the three benchmarks, runs them all under Wine and prints one table
# of their figures, each next to its target, for 1280x720 and 1920x1080.
#
#   scripts/bench.sh [--full] [--no-build] [--noise N]
#
# The default runs are short (a few minutes in all); --full runs each engine
# case for 60 s and the decode and encode benchmarks at their default sizes.
# The pictures are the synthetic camera's with a webcam's sensor noise and a
# drifting view; --noise sets the noise (0 to 32; 0 is the still picture).
# --no-build reuses build/win32 as it is. Each benchmark's own output goes to
# build/bench/*.log; the table goes to standard output. The machine's load
# average is printed with it: other work on the machine moves the figures.
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"

usage() {
    echo "usage: scripts/bench.sh [--full] [--no-build] [--noise N]" >&2
    exit 2
}
full=0
build=1
noise=3 # kWebcamNoiseLevel: a webcam in an ordinary room
while [ "$#" -gt 0 ]; do
    case "$1" in
    --full) full=1 ;;
    --no-build) build=0 ;;
    --noise)
        [[ "${2:-}" =~ ^[0-9]+$ ]] && [ "$2" -le 32 ] || usage
        noise="$2"
        shift
        ;;
    *) usage ;;
    esac
    shift
done
export ORVANA_PICTURE_NOISE="$noise"
if [ "$full" = 1 ]; then
    decode_samples=150 encode_pictures=300 engine_seconds=60
else
    decode_samples=60 encode_pictures=100 engine_seconds=20
fi

if [ "$build" = 1 ]; then
    if [ ! -f build/win32/build.ninja ]; then
        bash scripts/build.sh --program-only >&2 || exit 1
    fi
    cmake --build build/win32 -j2 --target DecodeBenchmark EngineBenchmark EncodeBenchmark >&2 ||
        exit 1
fi

logs="build/bench"
mkdir -p "$logs"
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"

declare -A result
# Runs one benchmark and keeps its RESULT lines under prefix.
run() {
    local prefix="$1" program="$2"
    shift 2
    local log="$logs/$prefix.log"
    echo "running $program $* ..." >&2
    tests/wine/wine-run.sh "build/win32/bin/$program.exe" "$@" >"$log" 2>&1
    local name value
    while read -r _ name value; do
        result["$prefix.$name"]="$value"
    done < <(tr -d '\r' <"$log" | grep '^RESULT ')
    # The one-minute load average as the run ends: what the run shared the machine with.
    result["$prefix.load"]="$(cut -d' ' -f1 /proc/loadavg)"
}

run decode DecodeBenchmark "$decode_samples"
run encode EncodeBenchmark "$encode_pictures"
for size in "1280 720" "1920 1080"; do
    set -- $size
    run "preview.$1x$2" EngineBenchmark "$engine_seconds" 30 "$1" "$2"
    run "record.$1x$2" EngineBenchmark "$engine_seconds" 30 "$1" "$2" record
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

failed=0
line() { printf '%-46s %-14s %12s %12s  %-7s %s\n' "$@"; }
# A figure against its target: op is le, lt or ge; "-" means no target.
verdict() {
    local value="$1" op="$2" limit="$3"
    if [ -z "$value" ]; then
        echo missing
    elif [ "$op" = "-" ]; then
        echo ok
    else
        awk -v v="$value" -v o="$op" -v l="$limit" 'BEGIN {
            pass = (o == "le" && v <= l) || (o == "lt" && v < l) || (o == "ge" && v >= l)
            print pass ? "ok" : "FAIL" }'
    fi
}
# row measure target op limit key-720 key-1080 [which sizes the target binds: both|720]
row() {
    local measure="$1" target="$2" op="$3" limit="$4" key720="$5" key1080="$6" binds="${7:-both}"
    local small="${result[$key720]:-}" large="${result[$key1080]:-}"
    local first second outcome
    first="$(verdict "$small" "$op" "$limit")"
    second="$(verdict "$large" "$op" "$limit")"
    [ "$binds" = 720 ] && [ -n "$large" ] && second=ok
    if [ "$first" = ok ] && [ "$second" = ok ]; then
        outcome=PASS
        [ "$op" = "-" ] && outcome="-"
    else
        outcome=FAIL
        failed=1
    fi
    local load="${result[${key720%.*}.load]:-?}" load1080="${result[${key1080%.*}.load]:-?}"
    [ "$load1080" != "$load" ] && load="$load / $load1080"
    line "$measure" "$target" "${small:-n/a}" "${large:-n/a}" "$outcome" "$load"
}

echo
echo "Orvana benchmarks ($([ "$full" = 1 ] && echo full || echo short) runs, sensor noise" \
    "$noise; load average $load_before before, $load_after after; logs in $logs)"
line "measure" "target" "1280x720" "1920x1080" "result" "load avg (1 min, end of run)"
row "MJPG DecodeFrame / bare decode (time)" "<= 1.15" le 1.15 \
    decode.MJPG_ratio_1280x720 decode.MJPG_ratio_1920x1080
row "H264 DecodeFrame / bare decode (time)" "<= 1.15" le 1.15 \
    decode.H264_ratio_1280x720 decode.H264_ratio_1920x1080
row "YUY2 ours / libswscale YUY2->I420 (time)" "<= 1.0" le 1.0 \
    decode.YUY2_swscale_ratio_1280x720 decode.YUY2_swscale_ratio_1920x1080
row "YUY2 own loop alone / libswscale (time)" "-" - - \
    decode.YUY2_own_swscale_ratio_1280x720 decode.YUY2_own_swscale_ratio_1920x1080
row "YUY2 ours / memcpy (time)" "<= 3" le 3 \
    decode.YUY2_memcpy_ratio_1280x720 decode.YUY2_memcpy_ratio_1920x1080
row "MJPG upload+present, fps" ">= 30" ge 30 \
    decode.MJPG_present_fps_1280x720 decode.MJPG_present_fps_1920x1080
row "recording encode / bare libx264 (cpu time)" "<= 1.10" le 1.10 \
    encode.encode_ratio_1280x720 encode.encode_ratio_1920x1080
row "recording encode by the clock, pictures/s" "-" - - \
    encode.encode_clock_fps_1280x720 encode.encode_clock_fps_1920x1080
row "recording encode, file Mbit/s at 30 fps" "-" - - \
    encode.encode_file_mbit_per_second_1280x720 encode.encode_file_mbit_per_second_1920x1080
for mode in preview record; do
    label="MJPG 30 fps, preview"
    [ "$mode" = record ] && label="MJPG 30 fps, preview + recording"
    echo "$label:"
    row "  samples refused" "0" le 0 \
        "$mode.1280x720.refused" "$mode.1920x1080.refused"
    row "  samples dropped by the queue, %" "<= 1" le 1 \
        "$mode.1280x720.dropped_percent" "$mode.1920x1080.dropped_percent"
    row "  pictures drawn per second" ">= 15" ge 15 \
        "$mode.1280x720.drawn_per_second" "$mode.1920x1080.drawn_per_second"
    row "  longest freeze, ms" "<= 250" le 250 \
        "$mode.1280x720.longest_freeze_ms" "$mode.1920x1080.longest_freeze_ms"
    row "  arrival -> Present, median ms" "< 50 (720p)" lt 50 \
        "$mode.1280x720.latency_median_ms" "$mode.1920x1080.latency_median_ms" 720
    row "  arrival -> Present, 99th percentile ms" "-" - - \
        "$mode.1280x720.latency_p99_ms" "$mode.1920x1080.latency_p99_ms"
    row "  one picture's decode + draw alone, ms" "-" - - \
        "$mode.1280x720.latency_floor_ms" "$mode.1920x1080.latency_floor_ms"
    row "  arrival -> Present median / that floor" "<= 1.2" le 1.2 \
        "$mode.1280x720.latency_floor_ratio" "$mode.1920x1080.latency_floor_ratio"
    row "  processor time, % of one core" "-" - - \
        "$mode.1280x720.cpu_percent" "$mode.1920x1080.cpu_percent"
    if [ "$mode" = record ]; then
        row "  recording file complete (1 = yes)" "1" ge 1 \
            "$mode.1280x720.recording_complete" "$mode.1920x1080.recording_complete"
        row "  pictures recorded, % of samples fed" ">= 99.5" ge 99.5 \
            "$mode.1280x720.recorded_percent" "$mode.1920x1080.recorded_percent"
        row "  file, Mbit/s (encoder aims at 4)" "-" - - \
            "$mode.1280x720.file_mbit_per_second" "$mode.1920x1080.file_mbit_per_second"
        row "  stop (the window's wait), ms" "100" le 100 \
            "$mode.1280x720.stop_ms" "$mode.1920x1080.stop_ms"
        row "  stop to file finished in place, ms" "-" - - \
            "$mode.1280x720.finish_ms" "$mode.1920x1080.finish_ms"
    fi
done
echo
[ "$failed" = 0 ] && echo "all targets met" || echo "some targets missed"
exit "$failed"
