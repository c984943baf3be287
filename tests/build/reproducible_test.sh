#!/usr/bin/env bash
# reproducible_test.sh SOURCE_DIR PROGRAM PRESET
#
# The program builds to the same bytes from another folder at another time: copies the source
# (without its build folders) to a new folder, builds the program there with the configure preset
# PRESET, tests off, and compares the result with PROGRAM, byte for byte.
set -uo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 SOURCE_DIR PROGRAM PRESET" >&2
    exit 2
fi
source_dir=$1 program=$2 preset=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

copy=$work/elsewhere/zelvane
build=$work/elsewhere/build
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$copy" -xf -
if ! (cd "$copy" && cmake --preset "$preset" -B "$build" -DBUILD_TESTING=OFF >"$work/build.log" 2>&1 &&
    cmake --build "$build" --target zelvane >>"$work/build.log" 2>&1); then
    cat "$work/build.log"
    echo "FAIL: the copy in $copy did not build"
    exit 1
fi
rebuilt=$build/zelvane.exe
echo "$(basename "$program"): $(stat -c %s "$program") bytes here, $(stat -c %s "$rebuilt") bytes built in $copy"
if ! cmp "$program" "$rebuilt"; then
    echo "FAIL: the two builds differ; the first differing bytes (offset, here, there):"
    cmp -l "$program" "$rebuilt" | head -n 20
    exit 1
fi
echo "PASS: the same bytes from two folders"
