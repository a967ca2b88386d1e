#!/usr/bin/env bash
# The release packages as a user meets them (through wine-run.sh --script,
# English locale, the default test camera):
# - the installer runs silently, per user, into the local programs folder;
#   the Start-menu entries point at the installed programs, which are the
#   built ones; the uninstaller is registered with the installed programs;
# - the installed program starts and shows the camera's picture, and Apply
#   writes setting.ini in the installed folder;
# - installing again over it keeps that setting.ini;
# - the silent uninstall leaves no program file, Start-menu entry or
#   registry entry behind, and leaves the photos and recordings and the
#   user's own folder %LOCALAPPDATA%\Orvana;
# - the zip unpacked into a folder whose path holds spaces and letters
#   outside the code page runs, shows the picture and keeps its settings.
#
#   app-install.sh Orvana-V-setup.exe Orvana-V-win32.zip Orvana.exe OrvanaFull.exe
set -uo pipefail
setup="$1"
zip="$2"
built_exe="$3"
built_full_exe="$4"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=install
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

unset LANG
export LC_ALL=en_US.UTF-8
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvana'

# Prints a value of the uninstall key, or nothing.
registered() {
    wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

# Waits up to 60 s for every process in the prefix to end (the uninstaller
# runs a copy of itself from the temporary folder and returns at once).
wait_for_wine() {
    timeout 60 wineserver -w || fail "Wine processes still running after 60 s"
}

user_dir="$(winepath -u 'C:\users' 2>/dev/null)/$(whoami)"
[ -d "$user_dir" ] || fail "no Wine user folder at $user_dir"

wine "$setup" /S
wait_for_wine
location="$(registered InstallLocation)"
[ -n "$location" ] || fail "the installer registered no InstallLocation"
install_dir="$(winepath -u "$location" 2>/dev/null)"
echo "installed into $location"
case "$location" in
*'\AppData\Local\Programs\Orvana') ;;
*) fail "installed into $location, not the user's local programs folder" ;;
esac
cmp -s "$install_dir/Orvana.exe" "$built_exe" || fail "the installed Orvana.exe is not the built one"
cmp -s "$install_dir/OrvanaFull.exe" "$built_full_exe" ||
    fail "the installed OrvanaFull.exe is not the built one"
for f in README.txt LICENSE THIRD-PARTY-NOTICES Uninstall.exe; do
    [ -s "$install_dir/$f" ] || fail "no $f installed"
done
[ "$(registered DisplayName)" = Orvana ] || fail "DisplayName: $(registered DisplayName)"
[ -n "$(registered DisplayVersion)" ] || fail "no DisplayVersion"
case "$(registered UninstallString)" in
*"$location\\Uninstall.exe"*) ;;
*) fail "UninstallString: $(registered UninstallString)" ;;
esac

menu="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orvana"
[ -d "$menu" ] || fail "no Start-menu folder $menu"
/usr/bin/python3 "$here/shortcut_target.py" "$menu/Orvana.lnk" "$location\\Orvana.exe" ||
    fail "the Start-menu entry Orvana"
/usr/bin/python3 "$here/shortcut_target.py" "$menu/Orvana (all controls).lnk" \
    "$location\\OrvanaFull.exe" || fail "the Start-menu entry for all controls"

# The installed program: picture, Apply, setting.ini beside it.
settings="$install_dir/setting.ini"
start_showing_picture "$install_dir/Orvana.exe"
save_window_shot installed
choose "${file_format[@]}" 1
apply
[ -f "$settings" ] || fail "Apply wrote no setting.ini in the installed folder"
close_with_alt_f4 5
saved="$(md5sum <"$settings")"

# Photos and recordings the user has, in the program's output folder.
output="$user_dir/Videos/OrvanaCapture"
mkdir -p "$output"
printf 'photo' >"$output/2026-01-02_03-04-05.jpg"
printf 'video' >"$output/2026-01-02_03-04-05.mp4"
# The user's own folder of the program, beside the installed one: their
# settings where the program's folder cannot be written.
own="$(dirname "$(dirname "$install_dir")")/Orvana"
mkdir -p "$own"
printf 'Language=german\r\n' >"$own/setting.ini"

# An upgrade over it keeps the user's settings.
wine "$setup" /S
wait_for_wine
[ "$(md5sum <"$settings" 2>/dev/null)" = "$saved" ] || fail "installing again changed setting.ini"

uninstaller="$(registered UninstallString | tr -d '"')"
wine "$uninstaller" /S
wait_for_wine
if [ -d "$install_dir" ]; then
    fail "left in the installed folder: $(ls -A "$install_dir" | tr '\n' ' ')"
fi
[ -e "$menu" ] && fail "the Start-menu folder is still there: $(ls -A "$menu" | tr '\n' ' ')"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall key is still registered"
[ -f "$output/2026-01-02_03-04-05.jpg" ] && [ -f "$output/2026-01-02_03-04-05.mp4" ] ||
    fail "the uninstaller touched the photos and recordings"
[ -f "$own/setting.ini" ] || fail "the uninstaller removed %LOCALAPPDATA%\\Orvana"
rm "$own/setting.ini"
rmdir "$own" 2>/dev/null

# The zip, unpacked where paths are unkind.
unpack="$user_dir/Desktop/Mój program Łódź 视频"
mkdir -p "$unpack"
/usr/bin/python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
    "$zip" "$unpack" || fail "the zip does not unpack"
unpacked="$(find "$unpack" -name Orvana.exe | head -n 1)"
[ -n "$unpacked" ] || fail "no Orvana.exe in the zip"
for f in OrvanaFull.exe README.txt LICENSE THIRD-PARTY-NOTICES; do
    [ -s "$(dirname "$unpacked")/$f" ] || fail "no $f in the zip"
done
settings="$(dirname "$unpacked")/setting.ini"
start_showing_picture "$unpacked"
save_window_shot unpacked
choose "${file_format[@]}" 1
apply
[ -f "$settings" ] || fail "Apply wrote no setting.ini beside the unpacked program"
close_with_alt_f4 5

pass
