#!/usr/bin/env bash
# real_install_test.sh ARMADA2_EXE TEST_PROGRAM...
#
# Runs each Windows-side test program under plain Wine in a prefix that holds a real install of the
# game, as a player's has: maps with bytes of their own, a preview, a game executable that is not
# the stand-in, maps its editor saved into the VirtualStore, and a C:\armada2-standin.log of
# someone else's. Each program must pass (its tests
# that need the game's folders skip, saying which folder stands in the way) and leave every one of
# those files byte for byte as it was, with nothing added or taken away.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
ensure_display "$@"

if [ $# -lt 2 ]; then
    echo "usage: $0 ARMADA2_EXE TEST_PROGRAM..." >&2
    exit 2
fi
standin_exe=$(realpath "$1")
shift
make_work real-install

started=$(now_ms)
make_test_prefix "$work/prefix"
drive_c=$WINEPREFIX/drive_c
maps="$drive_c/Program Files/Activision/Star Trek Armada II/bzn"
game="$drive_c/Program Files/Activision/Star Trek Armada II"
local_app_data=$(cd "$drive_c" && find users -mindepth 3 -maxdepth 3 -path 'users/*/AppData/Local' | head -n 1)
[ -n "$local_app_data" ] || { fail "the prefix has no user's AppData/Local"; finish; exit; }
shadow="$drive_c/$local_app_data/VirtualStore/Program Files/Activision/Star Trek Armada II/bzn"
mkdir -p "$maps" "$shadow"
printf 'saved by the editor\r\n' >"$shadow/saved in the store.bzn"
printf 'a map of my own\r\n' >"$maps/my own map.bzn"
head -c 3000 /dev/urandom >"$maps/Another One.bzn"
convert -size 160x160 'xc:#336699' -type TrueColor "BMP3:$maps/my own map.bmp"
# The player's game: a program that is not the stand-in (the stand-in with bytes of its own after it).
{ cat "$standin_exe"; printf 'the real game\n'; } >"$game/armada2.exe"
printf 'a log that is not ours\n' >"$drive_c/armada2-standin.log"

# Every file and folder of the install, with a checksum for each file.
snapshot() {
    (cd "$drive_c" && find "Program Files/Activision" "$local_app_data/VirtualStore" armada2-standin.log -print0 2>/dev/null |
        sort -z | xargs -0 -I{} sh -c 'if [ -f "$1" ]; then sha256sum "$1"; else echo "folder $1"; fi' _ {})
}
snapshot >"$work/before"
echo "prefix with a real install ready in $(($(now_ms) - started)) ms"

for program in "$@"; do
    name=$(basename "$program")
    output=$work/$name.out
    (cd "$(dirname "$program")" && ZELVANE_STANDIN=$standin_exe wine "$(basename "$program")") >"$output" 2>&1
    code=$?
    if [ "$code" -eq 0 ]; then
        pass "$name passes beside a real install"
    else
        fail "$name failed beside a real install (exit code $code):"
        wine_said "$output" 30 | sed 's/^/    /'
    fi
    if snapshot | cmp -s - "$work/before"; then
        pass "$name left the real install as it was"
    else
        fail "$name changed the real install:"
        snapshot | diff "$work/before" - | sed 's/^/    /'
    fi
done
# The programs that need the game's folders say which folder stands in the way.
if grep -qF 'Program Files\Activision\Star Trek Armada II\bzn" exists and was not made by a test install' \
    "$work"/*.out; then
    pass "the tests that need the map folder skip, naming it"
else
    fail "no test said that the map folder stands in the way"
fi

echo "real install test took $(($(now_ms) - started)) ms"
finish
