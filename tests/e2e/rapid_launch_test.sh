#!/usr/bin/env bash
# rapid_launch_test.sh ZELVANE_EXE [ARMADA2_EXE]
#
# Presses Edit Map in quick succession with the mouse, as an impatient person does: select alpha,
# Edit Map, select beta, Edit Map, select alpha, Edit Map, about 0.15 s apart. Each press must
# start the (stand-in) game exactly once, on its map and in the order of the presses, and run.bat
# must hold the last launch's two lines afterwards. Then two presses 0.1 s apart on one map must
# start the game twice.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
ensure_display "$@"

begin_test rapid "$@"

started=$(now_ms)
make_test_prefix "$work/prefix"
"$repo_dir/scripts/demo-install.sh" "$WINEPREFIX" "$standin_exe" alpha.bzn:nopreview beta.bzn:nopreview
drive_c=$WINEPREFIX/drive_c
log=$drive_c/armada2-standin.log
mkdir -p "$drive_c/Zelvane"
cp "$zelvane_exe" "$drive_c/Zelvane/zelvane.exe"
echo "prefix ready in $(($(now_ms) - started)) ms"

dpi=96
shot=$work/shot.png
# Client points at 96 DPI: the list's first two rows and the Edit Map button.
row_alpha=340,92
row_beta=340,108
edit_map=380,340

log_lines() { [ -f "$log" ] && wc -l <"$log" || echo 0; }
has_lines() { [ "$(log_lines)" -ge "$1" ]; }

# presses WHAT PACE "X,Y ..." MAP...: from an empty log, clicks those client points PACE
# seconds apart, the pace of the presses and not a wait for anything; then the game must have
# started once on each MAP, in that order, and nothing more.
presses() {
    local what=$1 pace=$2 points=$3 before point
    shift 3
    before=$(wine_start_failures)
    rm -f "$log"
    for point in $points; do
        click_client "${point%,*}" "${point#*,}"
        sleep "$pace"
    done
    if ! wait_until 30 has_lines $# && wine_lost_a_start "$what" "$before"; then
        wait_until 20 none_running cmd.exe start.exe conhost.exe armada2.exe
        again=1 presses "$what" "$pace" "$points" "$@"
        return
    fi
    expect_starts "$what" "$@"
}

# expect_starts WHAT MAP...: the game was started once on each map, in that order, and nothing more.
expect_starts() {
    local what=$1
    shift
    local want
    want=$(printf '%s\n' "$@")
    if ! has_lines $#; then
        fail "$what: the game started $(log_lines) times, not $#: $(opened_maps | tr '\n' ' ')"
        return
    fi
    # Whatever the scripts could still start has started once their programs are gone.
    wait_until 20 none_running cmd.exe start.exe conhost.exe armada2.exe ||
        fail "$what: the launch scripts' programs did not end"
    local got
    got=$(opened_maps)
    if [ "$got" = "$want" ]; then
        pass "$what: the game started once on each of $(echo $want), in that order"
    else
        fail "$what: the game started on \"$(echo $got)\", not \"$(echo $want)\""
    fi
    local expected_script
    expected_script=$(printf '%s\r\nstart armada2.exe ~/edit %s\r\n' "$long_first_line" "${!#}")
    if [ "$(cat "$drive_c/Zelvane/run.bat" 2>/dev/null)" = "$expected_script" ]; then
        pass "$what: run.bat holds the last launch's two lines"
    else
        fail "$what: run.bat is not the last launch's two lines:"
        od -c "$drive_c/Zelvane/run.bat" 2>&1 | sed 's/^/    /'
    fi
}

if start_zelvane; then
    # Without a window manager Wine shows each launch's "minimized" console window at full size
    # where new windows go, over Zelvane's list and buttons; out of its way, every click lands.
    xdotool windowmove --sync "$window" 680 560
    take_shot
    presses "three quick launches" 0.15 "$row_alpha $edit_map $row_beta $edit_map $row_alpha $edit_map" \
        alpha.bzn beta.bzn alpha.bzn
    presses "two presses 0.1 s apart" 0.1 "$edit_map $edit_map" alpha.bzn alpha.bzn
    stop_zelvane
fi

echo "rapid launch test took $(($(now_ms) - started)) ms"
finish
