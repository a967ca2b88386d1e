#!/usr/bin/env bash
# Starts the program under Wine (run through wine-run.sh --script) and checks
# the main window: frameless, 1308 x 800, centred on the 1920 x 1080 screen,
# and Alt+F4 ends the process with exit code 0 within 3 seconds.
set -uo pipefail
exe="$1"

fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null; exit 1; }

wine "$exe" &
pid=$!

window=""
for _ in $(seq 300); do
    window="$(xdotool search --onlyvisible --class 'orvana' 2>/dev/null | head -n 1)"
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before showing a window"
    sleep 0.1
done
[ -n "$window" ] || fail "no window appeared within 30 s"
sleep 1

geometry="$(xdotool getwindowgeometry --shell "$window")"
eval "$geometry"
echo "window $WINDOW at $X,$Y size ${WIDTH}x${HEIGHT}"
[ "$WIDTH" -eq 1308 ] && [ "$HEIGHT" -eq 800 ] || fail "size ${WIDTH}x${HEIGHT}, expected 1308x800"
[ "$X" -eq $(((1920 - 1308) / 2)) ] && [ "$Y" -eq $(((1080 - 800) / 2)) ] || fail "not centred: $X,$Y"

if [ -n "${ORVANA_SCREENSHOT:-}" ]; then
    import -window root "$ORVANA_SCREENSHOT" 2>/dev/null
fi

xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers alt+F4
start=$(date +%s%N)
for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "still running 3 s after Alt+F4"
fi
wait "$pid"
rc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "exit code $rc after ${elapsed} ms"
[ "$rc" -eq 0 ] || fail "exit code $rc"
echo "PASS"
