#!/usr/bin/env bash
# Runs one Windows test program under Wine, in a throwaway Wine prefix and on
# a private Xvfb display, and exits with the program's exit code.
#
#   wine-run.sh program.exe [args...]
#   wine-run.sh --script script.sh [args...]   (script sees WINEPREFIX and DISPLAY)
#
# A fresh prefix is copied from a template that is made once per Wine version
# and kept in the dependency cache.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cache_root="${ORVANA_DEPS_CACHE:-/var/cache/orvana-deps}"
# The installed Wine with its X11 driver fixed for child window Direct3D
# output (scripts/fixed-wine.sh, built by scripts/build.sh).
fixed_wine="$(bash "$here/../../scripts/fixed-wine.sh" path)" || exit 1
export PATH="$fixed_wine/bin:$PATH"
wine_version="$(wine --version 2>/dev/null || echo unknown)"
setup_key="$(cat "$here/prefix-setup.sh" | sha1sum | cut -c1-8)"
template="$cache_root/wineprefix-${wine_version}-${setup_key}"

export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko downloads, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

make_template() {
    mkdir -p "$cache_root"
    exec 9>"$cache_root/.wineprefix.lock"
    flock 9
    if [ ! -f "$template/.complete" ]; then
        local staging="$template.staging.$$"
        rm -rf "$staging"
        WINEPREFIX="$staging" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$staging" bash "$here/prefix-setup.sh" >/dev/null 2>&1
        WINEPREFIX="$staging" wineserver -w
        touch "$staging/.complete"
        rm -rf "$template"
        mv "$staging" "$template"
    fi
    flock -u 9
    exec 9>&-
}

[ -f "$template/.complete" ] || make_template

work="$(mktemp -d "${TMPDIR:-/tmp}/orvana-wine.XXXXXX")"
export WINEPREFIX="$work/prefix"

xvfb_pid=""
cleanup() {
    WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
    wait >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# A private display; -displayfd avoids races between tests run in parallel.
# ORVANA_SCREEN gives it another size ("1366x768"). A work area set on its root
# window (below) must outlive the client that set it: the server then must not
# reset when its last client leaves.
keep=()
[ -n "${ORVANA_WORK_AREA:-}" ] && keep=(-noreset)
Xvfb -displayfd 8 -screen 0 "${ORVANA_SCREEN:-1920x1080}x24" -nolisten tcp "${keep[@]}" \
    8>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
export DISPLAY=":$(head -n 1 "$work/display")"
# ORVANA_WORK_AREA ("X,Y,W,H") leaves room for a taskbar, as a window manager
# says through the root window's _NET_WORKAREA, which Wine reads as the work
# area; without it the whole screen is.
if [ -n "${ORVANA_WORK_AREA:-}" ]; then
    xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "${ORVANA_WORK_AREA//,/, }"
fi

# A fresh prefix from the template, with the synthetic capture devices
# (tools/testdevices) registered for tests that need a camera or microphone.
fresh_prefix() {
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX" || return 1
    # Wine links the user's shell folders (Videos, Pictures...) to $HOME;
    # each run gets folders of its own, so photos and recordings stay in the
    # throwaway prefix and parallel runs never share them.
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link" && mkdir -p "$link"
        fi
    done
    if [ -n "${ORVANA_TEST_DEVICES:-}" ]; then
        if ! wine regsvr32 /s "$(winepath -w "$ORVANA_TEST_DEVICES" 2>/dev/null)" >/dev/null 2>&1; then
            echo "wine-run.sh: could not register $ORVANA_TEST_DEVICES" >&2
            return 1
        fi
    fi
}

run_once() {
    fresh_prefix || return 1
    if [ "${1:-}" = "--script" ]; then
        shift
        bash "$@"
    else
        wine "$@"
    fi
}

run_once "$@"
rc=$?
# Exit status 139 is the Wine process killed by SIGSEGV on the host side:
# a fault in a native thread (most likely the GL driver's) while the process
# exits, which Wine cannot turn into a Windows exception. A crash of the
# program itself ends as an unhandled Windows exception with its own status.
# The host fault is rare; the whole run is repeated once in a fresh prefix,
# and a second one fails the test.
if [ "$rc" -eq 139 ] && [ "${1:-}" != "--script" ]; then
    echo "wine-run.sh: the Wine process died of a host SIGSEGV; running once more" >&2
    run_once "$@"
    rc=$?
fi
exit $rc
