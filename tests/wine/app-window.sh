#!/usr/bin/env bash
# Starts the program under Wine (run through wine-run.sh --script) and checks
# the main window: frameless, 1308 x 800, centred on the 1920 x 1080 screen,
# and Alt+F4 ends the process with exit code 0 within 3 seconds.
set -uo pipefail
exe="$1"

# shellcheck source=tests/wine/app-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/app-lib.sh"

start_program "$exe"
sleep 1

geometry="$(xdotool getwindowgeometry --shell "$window")"
eval "$geometry"
echo "window $WINDOW at $X,$Y size ${WIDTH}x${HEIGHT}"
[ "$WIDTH" -eq 1308 ] && [ "$HEIGHT" -eq 800 ] || fail "size ${WIDTH}x${HEIGHT}, expected 1308x800"
[ "$X" -eq $(((1920 - 1308) / 2)) ] && [ "$Y" -eq $(((1080 - 800) / 2)) ] || fail "not centred: $X,$Y"

if [ -n "${ORVANA_SCREENSHOT:-}" ]; then
    import -window root "$ORVANA_SCREENSHOT" 2>/dev/null
fi

close_with_alt_f4 3
pass
