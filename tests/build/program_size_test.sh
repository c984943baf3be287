#!/usr/bin/env bash
# program_size_test.sh PROGRAM [OBJDUMP]
#
# The program, its pictures and icon included, stays under 400 KB (400,000 bytes) and imports
# only DLLs that every Windows installation has. Prints the size and the DLLs; exits non-zero
# when either is not so. The benchmark reads its figures from here too.
set -uo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM [OBJDUMP]" >&2
    exit 2
fi
program=$1 objdump=${2:-x86_64-w64-mingw32-objdump}
limit=400000
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll comdlg32.dll ole32.dll oleaut32.dll
 shell32.dll shlwapi.dll version.dll msvcrt.dll windowscodecs.dll uxtheme.dll ntdll.dll imm32.dll winmm.dll
 ws2_32.dll crypt32.dll rpcrt4.dll "

size=$(stat -c %s "$program")
imports=$("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
foreign=""
for dll in $imports; do
    [[ $system_dlls == *" $dll "* ]] || foreign+=" $dll"
done
echo "size: $size bytes (limit $limit)"
echo "imports: $imports"
status=0
if [ "$size" -ge "$limit" ]; then
    echo "FAIL: $(basename "$program") is $size bytes, not under $limit"
    status=1
fi
if [ -n "$foreign" ]; then
    echo "FAIL: $(basename "$program") imports DLLs that not every Windows has:$foreign"
    status=1
fi
[ "$status" -ne 0 ] || echo "PASS: under $limit bytes, system DLLs only"
exit "$status"
