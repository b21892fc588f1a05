#!/usr/bin/env bash
# Fails when a program or DLL in the folder imports a DLL that is neither in
# the folder nor part of Windows itself, so the folder runs on a machine
# with no Qt and no compiler.
set -euo pipefail
folder="$1"
system_dlls='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comdlg32|comctl32|imm32|winmm|ws2_32|mpr|netapi32|userenv|uxtheme|dwmapi|version|opengl32|d3d9|d3d11|d3d12|dxgi|dwrite|d2d1|shcore|setupapi|wtsapi32|authz|secur32|crypt32|bcrypt|ntdll|msvcrt|api-ms-win-.*|ucrtbase|rpcrt4|shlwapi|winspool\.drv|dxguid|cfgmgr32|powrprof|propsys)\.dll$'
status=0
while IFS= read -r -d '' file; do
    while read -r dll; do
        lower="$(printf '%s' "$dll" | tr 'A-Z' 'a-z')"
        if [[ "$lower" =~ $system_dlls ]]; then
            continue
        fi
        if [ -z "$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
            echo "missing DLL: $(basename "$file") imports $dll" >&2
            status=1
        fi
    done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.com' \) -print0)
exit "$status"
