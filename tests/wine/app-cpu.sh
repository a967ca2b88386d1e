#!/usr/bin/env bash
# Measures the processor time the program spends while it has little to do
# (run through wine-run.sh --script): 20 s with no camera attached, then with
# the synthetic camera 20 s showing its picture and 20 s while the window is
# minimised. Prints
# the program's own time and that of its wineserver in milliseconds per
# second; a thread that polls shows up in both. Not a pass/fail check.
#
#   app-cpu.sh Orvana.exe OrvanaTestDeviceSetup.exe [seconds]
set -uo pipefail
exe="$1"
setup="$2"
seconds="${3:-20}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=cpu
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

ticks_per_second="$(getconf CLK_TCK)"

# utime + stime of a process, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0
}

# The wineserver of this test's prefix (other prefixes have their own).
our_wineserver() {
    local each
    for each in $(pgrep wineserver); do
        if tr '\0' '\n' <"/proc/$each/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$each"
            return
        fi
    done
}

measure() {
    local name="$1" server program0 server0 program1 server1
    server="$(our_wineserver)"
    program0="$(cpu_ticks "$pid")"
    server0="$(cpu_ticks "${server:-0}")"
    sleep "$seconds"
    program1="$(cpu_ticks "$pid")"
    server1="$(cpu_ticks "${server:-0}")"
    awk -v n="$name" -v p=$((program1 - program0)) -v s=$((server1 - server0)) \
        -v hz="$ticks_per_second" -v t="$seconds" \
        'BEGIN { printf "RESULT %s program_ms_per_s %.1f wineserver_ms_per_s %.1f\n", n, p * 1000 / hz / t, s * 1000 / hz / t }'
}

cp "$exe" "$shots/Orvana.exe"
wine "$setup" clear || fail "could not remove the devices"
start_program "$shots/Orvana.exe"
wait_for_paint
sleep 3
measure no-camera
close_with_alt_f4 10

wine "$setup" reset || fail "could not configure the test camera"
start_showing_picture "$shots/Orvana.exe"
sleep 3
measure showing-preview
# The title bar's minimise button sits 113 pixels left of the window's right edge.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH - 113)) $((Y + 22)) click 1
sleep 3
import -window root "$shots/minimised.png" 2>/dev/null
measure minimised-preview
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
echo "DONE (screenshot of the minimised window in $shots)"
