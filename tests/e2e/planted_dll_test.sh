#!/usr/bin/env bash
# planted_dll_test.sh ZELVANE_EXE PLANTED_FOLDER LOAD_PROBE_EXE [ARMADA2_EXE]
#
# DLL planting: a program saved into a Downloads folder must never load a library saved there in
# place of the system's. PLANTED_FOLDER holds the test's own library under the names uxtheme,
# ole32, windowscodecs, propsys, oleaut32 and dwmapi (.dll); each copy, when loaded, writes
# "<its path>.loaded" naming the program that loaded it. They go beside zelvane.exe in C:\Zelvane,
# and Wine is told to prefer them to its own (as Windows prefers, for every library that is not a
# known system DLL, one found first on the search path).
#
# First the control: LOAD_PROBE_EXE, in the same folder, loads those names without restricting its
# search and must load every one of them; otherwise the plant does not work and the test would
# prove nothing. Then zelvane.exe, started from that folder (its current folder too), shows a PNG
# preview (drawn through COM and the imaging component), opens and closes the About box, opens and
# cancels the New Map prompt, and is closed: no planted library may have been loaded, at any step.
#
# Runs the `wine` found first on PATH, so the 32-bit program runs with a 32-bit Wine put there.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
ensure_display "$@"

if [ $# -lt 3 ] || [ ! -d "$2" ] || [ ! -f "$3" ]; then
    echo "usage: $0 ZELVANE_EXE PLANTED_FOLDER LOAD_PROBE_EXE [ARMADA2_EXE]" >&2
    exit 2
fi
planted_folder=$(realpath "$2")
probe_exe=$(realpath "$3")
begin_test planted "$1" ${4:+"$4"}
libraries=(uxtheme.dll ole32.dll windowscodecs.dll propsys.dll oleaut32.dll dwmapi.dll)

started=$(now_ms)
make_test_prefix "$work/prefix"
# alpha.bzn comes first in the list, so it is selected at start; its preview is a PNG.
"$repo_dir/scripts/demo-install.sh" "$WINEPREFIX" "$standin_exe" alpha.bzn beta.bzn
drive_c=$WINEPREFIX/drive_c
maps="$drive_c/Program Files/Activision/Star Trek Armada II/bzn"
convert -size 160x160 'xc:#FF00FF' "PNG:$maps/alpha.bmp"
log=$drive_c/armada2-standin.log
folder=$drive_c/Zelvane
mkdir -p "$folder"
cp "$zelvane_exe" "$folder/zelvane.exe"
cp "$probe_exe" "$folder/load_probe.exe"
for library in "${libraries[@]}"; do
    if [ ! -f "$planted_folder/$library" ]; then
        echo "$0: no $library in $planted_folder" >&2
        exit 2
    fi
    cp "$planted_folder/$library" "$folder/$library"
done
override=$(
    IFS=,
    echo "${libraries[*]%.dll}"
)
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$override=n,b"
echo "prefix ready in $(($(now_ms) - started)) ms (WINEDLLOVERRIDES=$WINEDLLOVERRIDES)"

# The control: a program that does not restrict its search loads every planted library.
probe_output=$(cd "$folder" && wine 'C:\Zelvane\load_probe.exe' "${libraries[@]}" 2>/dev/null | tr -d '\r')
for library in "${libraries[@]}"; do
    if grep -qi 'load_probe\.exe' "$folder/$library.loaded" 2>/dev/null; then
        pass "control: the probe loads the planted $library"
    else
        fail "control: the probe did not load the planted $library, so the plant proves nothing" \
            "($(grep -F "$library" <<<"$probe_output"))"
    fi
    rm -f "$folder/$library.loaded"
done

reported=" "
# check_markers STEP: fails for each planted library loaded since the last check, naming the
# programs that loaded it.
check_markers() {
    local step=$1 library marker
    for library in "${libraries[@]}"; do
        marker=$folder/$library.loaded
        if [ -f "$marker" ] && [[ $reported != *" $library "* ]]; then
            reported+="$library "
            fail "$step: the planted $library was loaded, by $(tr -d '\r' <"$marker" | sort -u | paste -sd ' ')"
        fi
    done
}

program_ended() {
    local state
    state=$(ps -o stat= -p "$wine_pid")
    [[ -z $state || $state == Z* ]]
}
window_or_end() { has_visible_window "$main_title" || program_ended; }
window_gone() { ! has_visible_window "$1"; }

dpi=96
shot=$work/shot.png

# Started from its own folder, as a double click does: the planted libraries lie in the program's
# folder and in the current folder.
(cd "$folder" && ZELVANE_STANDIN_QUIET=1 exec wine 'C:\Zelvane\zelvane.exe' >/dev/null 2>&1) &
wine_pid=$!
if ! wait_until 30 window_or_end || ! has_visible_window "$main_title"; then
    fail "the Zelvane window did not show"
    check_markers "start-up"
else
    window=$(visible_window "$main_title")
    xdotool windowfocus --sync "$window"
    check_markers "start-up"

    # Under emulation (the 32-bit Wine) the first paint comes seconds after the window shows.
    if wait_until 30 pixel_is 150 260 '255,0,255'; then
        pass "the PNG preview of the first map shows"
    else
        fail "the PNG preview of the first map did not show (preview pixel $(pixel 150 260))"
    fi
    check_markers "the PNG preview"

    # open_and_close WHAT KEY TITLE CLOSING_KEY: opens a modal window from the main window with KEY,
    # closes it with CLOSING_KEY, and checks the markers.
    open_and_close() {
        local what=$1 key=$2 title=$3 closing_key=$4
        xdotool windowfocus --sync "$window"
        xdotool key "$key"
        if wait_until 20 has_visible_window "$title"; then
            xdotool windowfocus --sync "$(visible_window "$title")"
            xdotool key "$closing_key"
            if wait_until 20 window_gone "$title"; then pass "$what opens and closes"; else fail "$what did not close"; fi
        else
            fail "$key showed no $what"
        fi
        check_markers "$what"
    }
    open_and_close "the About box" alt+a '^Zelvane$' Return
    open_and_close "the New Map prompt" alt+n '^New Map$' Escape

    xdotool windowfocus --sync "$window"
    xdotool key alt+F4
    if wait_until 20 program_ended; then pass "the program closes with Alt+F4"; else fail "the program did not close with Alt+F4"; fi
    check_markers "closing"
fi
mapfile -t zelvane_pids < <(pids_of zelvane.exe)
end_program "$wine_pid" "${zelvane_pids[@]}"
stop_wine
check_markers "the program's end"
if [ "$reported" = " " ]; then
    pass "no planted library was loaded: ${libraries[*]}"
fi

echo "planted DLL test took $(($(now_ms) - started)) ms"
finish
