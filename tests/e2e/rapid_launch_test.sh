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
row_alpha=(340 92)
row_beta=(340 108)
edit_map=(380 340)

log_lines() { [ -f "$log" ] && wc -l <"$log" || echo 0; }
has_lines() { [ "$(log_lines)" -ge "$1" ]; }

# expect_starts WHAT MAP...: the game was started once on each map, in that order, and nothing more.
expect_starts() {
    local what=$1
    shift
    local want
    want=$(printf '%s\n' "$@")
    if ! wait_until 30 has_lines $#; then
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
    for point in row_alpha edit_map row_beta edit_map row_alpha edit_map; do
        declare -n at=$point
        click_client "${at[0]}" "${at[1]}"
        sleep 0.15  # the pace of the presses, not a wait for anything
    done
    expect_starts "three quick launches" alpha.bzn beta.bzn alpha.bzn

    rm -f "$log"
    click_client "${edit_map[0]}" "${edit_map[1]}"
    sleep 0.1
    click_client "${edit_map[0]}" "${edit_map[1]}"
    expect_starts "two presses 0.1 s apart" alpha.bzn alpha.bzn
    stop_zelvane
fi

echo "rapid launch test took $(($(now_ms) - started)) ms"
finish
