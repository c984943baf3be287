#!/usr/bin/env bash
# newer_imports_test.sh PROGRAM CXX [OBJDUMP [OLDEST]]
#
# Fails when PROGRAM imports a function that the Windows headers declare only for systems newer
# than the oldest one it is built for, OLDEST (a _WIN32_WINNT value: 0x0601, Windows 7, by default;
# 0x0501 for Windows XP), or a DLL that XP lacks where OLDEST is XP. The evidence is the headers'
# own version guards: every imported name is looked up once with _WIN32_WINNT and WINVER at OLDEST
# and once at 0x0A00 (Windows 10), with the compiler CXX; a name that only the second finds came in
# from a newer system. Names that neither finds (the C runtime's internals) say nothing about the
# system and are let be.
set -uo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 PROGRAM CXX [OBJDUMP [OLDEST]]" >&2
    exit 2
fi
program=$1 cxx=$2 objdump=${3:-x86_64-w64-mingw32-objdump} oldest=${4:-0x0601}
case $oldest in
    0x0501) oldest_name="Windows XP" ;;
    0x0601) oldest_name="Windows 7" ;;
    *) oldest_name="_WIN32_WINNT $oldest" ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The imported names: the rows "vma hint name" that follow each "DLL Name:" line.
"$objdump" -p "$program" | awk '
    /DLL Name:/ { dll = $3; next }
    dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
    /^$/ && seen_rows { dll = "" }
' | sort -u >"$work/imports"
count=$(wc -l <"$work/imports")
if [ "$count" -eq 0 ]; then
    echo "FAIL: no imports read from $program"
    exit 1
fi

{
    echo '#include <windows.h>'
    for header in commctrl.h objbase.h wincodec.h shellapi.h psapi.h stdlib.h stdio.h string.h wchar.h \
        time.h math.h locale.h signal.h process.h io.h; do
        echo "#include <$header>"
    done
    echo 'void Probe() {'
    awk '{ print "    (void)&::" $2 ";" }' "$work/imports"
    echo '}'
} >"$work/probe.cpp"

# The names the headers do not declare at a version.
undeclared() {
    LC_ALL=C "$cxx" -fsyntax-only -fmax-errors=0 -w -D_WIN32_WINNT="$1" -DWINVER="$1" -DUNICODE -D_UNICODE \
        "$work/probe.cpp" 2>&1 |
        sed -nE "s/.*error: '(::)?([A-Za-z_][A-Za-z0-9_]*)' (has not been|was not) declared.*/\2/p" | sort -u
}
undeclared "$oldest" >"$work/oldest"
undeclared 0x0A00 >"$work/windows10"
newer=$(comm -23 "$work/oldest" "$work/windows10")

echo "$(basename "$program"): $count imported functions; looked up in the headers at $oldest_name and Windows 10"
status=0
if [ -n "$newer" ]; then
    echo "FAIL: imports functions that the headers declare only for systems newer than $oldest_name:"
    while read -r name; do grep " $name\$" "$work/imports" | sed 's/^/    /'; done <<<"$newer"
    status=1
fi
if [ "$oldest" = 0x0501 ]; then
    # The DLLs of Windows XP SP3 that a program like this one may import; no API set (api-ms-win-*).
    xp_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll"
    xp_dlls+=" psapi.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll windowscodecs.dll "
    while read -r dll; do
        if [[ $xp_dlls != *" ${dll,,} "* ]]; then
            echo "FAIL: imports $dll, which Windows XP does not have"
            status=1
        fi
    done < <(cut -d' ' -f1 "$work/imports" | sort -u)
fi
[ "$status" -eq 0 ] || exit 1
echo "PASS: no imported function is newer than $oldest_name"
