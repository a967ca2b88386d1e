#!/usr/bin/env bash
# Starts OrvanaDamaged.exe, the program built with a damaged skin archive
# (tests/wine/damage_skin_archive.py), through wine-run.sh --script with the
# default test camera, choosing each damaged part by setting.ini's language:
#
# - English, whose document is cut off, and French, whose entry no longer
#   inflates: the build yields no control tree; with the camera attached
#   the program keeps running quietly (one window, no message box), and
#   Alt+F4 ends it with code 0;
# - German, whose document is sound while the logo and the controls' sprite
#   sheet cannot be decoded: the window is complete but for those images,
#   which draw nothing, the other images and texts are there, the live
#   picture is shown, Apply saves, and Alt+F4 ends it with code 0.
#
#   app-damaged-skin.sh OrvanaDamaged.exe SKIN_FOLDER
set -uo pipefail
exe="$1"
skins="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=damaged
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

unset LANG
export LC_ALL=en_US.UTF-8
program_folder "$exe"

for language in english french; do
    printf 'Language=%s\r\n' "$language" >"$settings"
    start_program "$folder/Orvana.exe"
    # Long enough for the camera to open and its frames to flow.
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "the program ended with the $language document damaged"
    windows="$(xdotool search --onlyvisible --class orvana 2>/dev/null | wc -l)"
    echo "== $language document damaged: $windows window(s)"
    [ "$windows" -eq 1 ] || fail "$windows windows with the $language document damaged"
    close_with_alt_f4 5
done

printf 'Language=german\r\n' >"$settings"
start_program "$folder/Orvana.exe"
check_preview images-damaged 640 480
[ "$WIDTH" -eq 1308 ] && [ "$HEIGHT" -eq 800 ] || fail "window ${WIDTH}x${HEIGHT}, expected 1308x800"
save_window_shot images-damaged-German

# The logo's place in the top bar (110 x 64, 5 from the top) shows only the
# bar's own colour.
/usr/bin/python3 - "$shots/images-damaged-German.png" "$X" "$Y" <<'EOF' || fail "the logo"
import sys
import numpy as np
from PIL import Image
x, y = int(sys.argv[2]), int(sys.argv[3])
image = np.asarray(Image.open(sys.argv[1]).convert("RGB"), dtype=np.int16)
logo = image[y + 5:y + 69, x:x + 110]
bar = image[y + 40, x + 130]
off = int((np.abs(logo - bar).max(axis=2) > 8).sum())
print(f"logo place: {off} pixels differ from the bar's colour {tuple(int(v) for v in bar)}")
sys.exit(1 if off else 0)
EOF

click "${apply_button[@]}" 1
head -n 5 "$settings" | tr -d '\r' | grep -q '^FileFormat=MJPG$' || fail "Apply saved no format"
grep -a -q $'^Language=german\r$' "$settings" || fail "Apply lost the language line"
close_with_alt_f4 5

/usr/bin/python3 "$here/language_check.py" "$shots" "$skins" || fail "the texts on screen"
pass
