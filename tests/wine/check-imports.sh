#!/usr/bin/env bash
# The program must be self-contained: a PE32 GUI executable for i386 that
# imports nothing but DLLs that every Windows installation has.
set -euo pipefail
exe="$1"

file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || {
    echo "not a PE32 GUI executable for i386: $(file "$exe")"; exit 1; }

allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|msvcrt|ws2_32|bcrypt|secur32|psapi|msimg32|imm32|comctl32|comdlg32|winmm|d3d9|setupapi|strmiids|vfw32|avicap32|msvfw32|version|uuid|mfplat|mf|mfreadwrite|dxva2|crypt32|cfgmgr32|avrt|wtsapi32|ntdll|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
while read -r dll; do
    lower="$(echo "$dll" | tr 'A-Z' 'a-z')"
    if [[ "$lower" =~ $allowed ]]; then
        echo "ok      $dll"
    else
        echo "foreign $dll"
        status=1
    fi
done < <(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
exit $status
