#!/usr/bin/env bash
# pe_hardening_test.sh PROGRAM OBJDUMP SOURCE_DIR BUILD_DIR
#
# Reads the program's PE header and sections and checks what the Windows loader needs to protect
# it: address space layout randomisation (DYNAMIC_BASE, base relocations to move it with, and on
# 64-bit Windows HIGH_ENTROPY_VA for the whole 64-bit range), data execution prevention
# (NX_COMPAT), no section both writable and executable, and no absolute path of the source or
# build folder in the file (such a path would make two builds of the same source differ, and
# tells a stranger about the build machine). Prints PASS or FAIL with the reason for each.
set -uo pipefail
if [ $# -lt 4 ]; then
    echo "usage: $0 PROGRAM OBJDUMP SOURCE_DIR BUILD_DIR" >&2
    exit 2
fi
program=$1 objdump=$2 source_dir=$3 build_dir=$4
name=$(basename "$program")
failures=0
pass() { echo "PASS: $*"; }
fail() {
    failures=$((failures + 1))
    echo "FAIL: $*"
}

headers=$("$objdump" -p "$program") || {
    echo "FAIL: $objdump cannot read $program"
    exit 1
}
sections=$("$objdump" -h "$program") || exit 1

# A header field's hexadecimal value ("Characteristics 0x22e", "DllCharacteristics 00000160").
field() { awk -v key="$1" '$1 == key { v = $2; sub(/^0x/, "", v); print "0x" v; exit }' <<<"$headers"; }
magic=$(awk '$1 == "Magic" { print $2; exit }' <<<"$headers")
characteristics=$(field Characteristics)
dll_characteristics=$(field DllCharacteristics)
if [ -z "$magic" ] || [ -z "$characteristics" ] || [ -z "$dll_characteristics" ]; then
    echo "FAIL: no PE optional header in $objdump's view of $program"
    exit 1
fi

# has_flag WHAT VALUE BIT
has_flag() {
    if (($2 & $3)); then
        pass "$name: $1 ($(printf '0x%04x' "$3")) set"
    else
        fail "$name: $1 ($(printf '0x%04x' "$3")) not set in DllCharacteristics $(printf '0x%04x' "$2")"
    fi
}
has_flag "DYNAMIC_BASE: the loader may move it (ASLR)" "$dll_characteristics" 0x0040
has_flag "NX_COMPAT: its data is never run (DEP)" "$dll_characteristics" 0x0100
if [ "$magic" = 020b ]; then
    has_flag "HIGH_ENTROPY_VA: 64-bit ASLR" "$dll_characteristics" 0x0020
elif [ "$magic" != 010b ]; then
    fail "$name: optional header magic $magic is neither PE32 (010b) nor PE32+ (020b)"
fi

# Without base relocations a DYNAMIC_BASE program still loads at its preferred address only.
reloc_size=$(awk '$2 == ".reloc" { print $3; exit }' <<<"$sections")
if ((characteristics & 0x0001)); then
    fail "$name: relocations stripped (IMAGE_FILE_RELOCS_STRIPPED): the loader cannot move it"
elif [ -z "$reloc_size" ] || ((0x$reloc_size == 0)); then
    fail "$name: no .reloc section: the loader cannot move it"
else
    pass "$name: a .reloc section of $((0x$reloc_size)) bytes"
fi

# objdump -h gives each section two lines: its name, then its flags. CODE stands for executable
# (or code) and READONLY for not writable.
writable_code=$(awk '/^ *[0-9]+ / { section = $2; next }
    section != "" { if (/CODE/ && !/READONLY/) print section; section = "" }' <<<"$sections" | xargs)
if [ -n "$writable_code" ]; then
    fail "$name: sections both writable and executable: $writable_code"
else
    pass "$name: no section is both writable and executable"
fi

# Paths may be stored as UTF-16 too: with the zero bytes gone they read as plain text.
for folder in "$source_dir" "$build_dir"; do
    count=$(tr -d '\0' <"$program" | grep -c -a -F -- "$folder")
    if [ "$count" -gt 0 ]; then
        fail "$name: holds the absolute path $folder ($count lines)"
    else
        pass "$name: does not hold the absolute path $folder"
    fi
done

[ "$failures" -eq 0 ]
