#!/usr/bin/env bash
# Starts the program (through wine-run.sh --script, French locale, the
# default test camera) over damaged or odd setting.ini files and checks that
# it shows its window in the language the readable part of the file names,
# or the locale's when it names none, that Apply still saves where it can
# (keeping the user's language line), and that Alt+F4 ends it with code 0:
# binary junk around a language line; a language line after a line of
# megabytes; an unknown language and no other key; a read-only file; a
# program folder that cannot be written, where Apply saves the user's own
# copy in %LOCALAPPDATA%\Orvana and the next start reads it.
#
#   app-bad-settings.sh Orvana.exe SKIN_FOLDER
set -uo pipefail
exe="$1"
skins="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=settings
writable_again() {
    [ -n "${folder:-}" ] || return 0
    chattr -i "$folder" 2>/dev/null
    chmod u+w "$folder"
    [ -f "$settings" ] || return 0
    chattr -i "$settings" 2>/dev/null
    chmod u+w "$settings"
}
on_fail() { writable_again; }
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

unset LANG
export LC_ALL=fr_FR.UTF-8
program_folder "$exe"

# Starts the program and keeps a screenshot as NAME-LANGUAGE.png.
start_and_shoot() {
    local started
    started=$(date +%s%N)
    start_program "$folder/Orvana.exe"
    wait_for_paint
    echo "== $1: window painted after $((($(date +%s%N) - started) / 1000000)) ms"
    save_window_shot "$1-$2"
}

click_apply() {
    click "${apply_button[@]}" 1
    kill -0 "$pid" 2>/dev/null || fail "the program ended after Apply"
}

# What Apply writes for the test camera's running format, MJPG 640x480,
# then the user's language line as it was, still ending in its line feed.
expect_saved_with_language() {
    local tail
    expect_saved 640 480 640 480 MJPG //
    tail="$(printf 'Language=%s\r\n\r\n_' "$1")"
    tail="${tail%_}"
    tail -c "${#tail}" "$settings" | cmp -s - <(printf '%s' "$tail") ||
        fail "Apply saved: $(head -c 600 "$settings" | od -c | head -20)"
    echo "Apply saved the format and kept Language=$1"
}

# Random bytes, seeded, with line ends, zero bytes and bytes above 127, but
# no Ctrl-Z, which ends a file in the C runtime's text mode.
junk() {
    /usr/bin/python3 -c "
import random, sys
r = random.Random($1)
sys.stdout.buffer.write(bytes(b for b in r.randbytes($2) if b != 0x1A))"
}

{
    junk 1 65536
    printf '\nLanguage=german\n'
    junk 2 4096
} >"$settings"
start_and_shoot junk German
click_apply
expect_saved_with_language german
close_with_alt_f4 5

# Read in pieces, a 6 MB line must neither stall the start nor hide the
# lines after it; the last language line wins. (A shorter last value would
# only overwrite the start of the first, so both have the same length.)
{
    printf 'Language=korean\n'
    head -c 6000000 /dev/zero | tr '\0' 'x'
    printf '\nLanguage=german\n'
} >"$settings"
start_and_shoot huge-line German
close_with_alt_f4 5

printf 'Language=klingon\r\n' >"$settings"
start_and_shoot unknown-language French
click_apply
expect_saved_with_language klingon
close_with_alt_f4 5

# A file the program may read but not write: Apply fails quietly. Root may
# write whatever the mode says, so it makes the file immutable as well.
printf 'Language=german\r\n' >"$settings"
chmod a-w "$settings"
if (: >>"$settings") 2>/dev/null; then
    chattr +i "$settings" 2>/dev/null
fi
if (: >>"$settings") 2>/dev/null; then
    echo "== read-only: skipped, setting.ini cannot be made read-only here"
else
    before="$(md5sum <"$settings")"
    start_and_shoot read-only German
    click_apply
    [ "$(md5sum <"$settings")" = "$before" ] || fail "Apply changed the read-only setting.ini"
    close_with_alt_f4 5
fi
writable_again

# The program's folder cannot be written (the zip unpacked under Program
# Files): Apply saves the user's own copy, with the language line of the file
# beside the program, and changes nothing in that folder; the next start reads
# the copy while the folder stays so, and the file beside the program once it
# can be written again. Root may write whatever the mode says: the folder is
# made immutable as well.
user_settings="$(local_app_data)/Orvana/setting.ini"
rm -f "$user_settings"
printf 'Language=german\r\n' >"$settings"
chmod a-w "$folder"
if (: >"$folder/probe") 2>/dev/null; then
    rm -f "$folder/probe"
    chattr +i "$folder" 2>/dev/null
fi
if (: >"$folder/probe") 2>/dev/null; then
    rm -f "$folder/probe"
    echo "== read-only folder: skipped, the program's folder cannot be made read-only here"
else
    listing="$(ls -lA --time-style=full-iso "$folder")"
    start_and_shoot read-only-folder German
    click_apply
    close_with_alt_f4 5
    [ "$(ls -lA --time-style=full-iso "$folder")" = "$listing" ] ||
        fail "the read-only folder changed: $(diff <(echo "$listing") <(ls -lA --time-style=full-iso "$folder"))"
    [ -f "$user_settings" ] || fail "Apply saved no copy in %LOCALAPPDATA%\\Orvana"
    beside="$settings"
    settings="$user_settings"
    expect_saved_with_language german
    settings="$beside"
    sed -i 's/^Language=german\r$/Language=english\r/' "$user_settings"
    start_and_shoot user-copy English
    close_with_alt_f4 5
fi
writable_again
start_and_shoot writable-again German
close_with_alt_f4 5
rm -f "$user_settings"

/usr/bin/python3 "$here/language_check.py" "$shots" "$skins" || fail "the languages on screen"
pass
