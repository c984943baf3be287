#!/usr/bin/env bash
# startup_failure_test.sh ZELVANE_EXE [ARMADA2_EXE]
#
# Starts zelvane.exe where it cannot list maps: (a) the game is nowhere to be found, (b) the folder
# is empty, (c) the folder holds no *.bzn map (only things that look close to one). Each time the
# program must show its run-time error box titled "Zelvane", with the error's number, and never
# its main window; Enter closes the box and the program ends with a non-zero exit code.
#
# The box's text is read with the stand-in armada2.exe (its window-text mode); without the second
# argument the stand-in is looked for where the build puts it, in tests/ beside zelvane.exe.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
ensure_display "$@"

begin_test startup "$@"

started=$(now_ms)
make_test_prefix "$work/prefix"
drive_c=$WINEPREFIX/drive_c
map_folder="$drive_c/Program Files/Activision/Star Trek Armada II/bzn"
mkdir -p "$drive_c/Zelvane"
cp "$zelvane_exe" "$drive_c/Zelvane/zelvane.exe"
cp "$standin_exe" "$work/armada2.exe"

main_seen=no
# The error box is up; meanwhile note whether the main window ever shows.
box_is_up() {
    has_visible_window "$main_title" && main_seen=yes
    has_visible_window '^Zelvane$'
}
program_ended() {
    has_visible_window "$main_title" && main_seen=yes
    local state
    state=$(ps -o stat= -p "$wine_pid")
    [[ -z $state || $state == Z* ]]
}

# expect_failure_box CASE ERROR_NUMBER [LINE...]: and the box holds each LINE as a line of its own.
expect_failure_box() {
    local what=$1 number=$2 line
    main_seen=no
    wine 'C:\Zelvane\zelvane.exe' >/dev/null 2>"$work/wine.err" &
    wine_pid=$!

    if ! wait_until 30 box_is_up; then
        if program_ended; then
            wait "$wine_pid"
            fail "$what: no error box titled \"Zelvane\" showed; the program ended with exit code $?," \
                "Wine said: $(wine_said "$work/wine.err" 4 | tr '\n' ' ')"
        else
            fail "$what: no error box titled \"Zelvane\" showed in 30 s; the program still runs"
        fi
        [ "$main_seen" = no ] || fail "$what: the main window showed"
        end_program "$wine_pid"
        restart_wine
        return
    fi
    local text
    text=$(ZELVANE_STANDIN_SHOW_TEXT=Zelvane wine "$work/armada2.exe" 2>/dev/null)
    if [[ $text == *"Run-time error '$number':"* ]]; then
        pass "$what: the box says run-time error $number"
    elif [[ $text == *"Run-time error"* ]]; then
        fail "$what: the box reports another error than $number: ${text//$'\n'/ / }"
    else
        fail "$what: the box does not say \"Run-time error\": ${text//$'\n'/ / }"
    fi

    for line in "${@:3}"; do
        # The stand-in shows each line break of a text as "|": CR LF as "||".
        if grep -qxF -- "$line" <<<"${text//||/$'\n'}"; then
            pass "$what: the box says \"$line\""
        else
            fail "$what: the box does not say \"$line\": ${text//$'\n'/ / }"
        fi
    done

    local box
    box=$(visible_window '^Zelvane$')
    xdotool windowfocus --sync "$box"
    xdotool key Return
    if ! wait_until 20 program_ended; then
        fail "$what: the program did not end after Enter on the box"
        end_program "$wine_pid"
        restart_wine
        return
    fi
    wait "$wine_pid"
    local code=$?
    if [ "$code" -ne 0 ]; then
        pass "$what: the program ended with exit code $code"
    else
        fail "$what: the program ended with exit code 0"
    fi
    if [ "$main_seen" = yes ]; then
        fail "$what: the main window showed"
    else
        pass "$what: the main window never showed"
    fi
}

# No game anywhere, and the GOG edition's key holding junk (a number for its folder): the box names
# the folders looked in, the one for 32-bit programs too on a 64-bit system, and what to do.
rm -rf "$drive_c/Program Files/Activision"
looked_in=('C:\Program Files\Activision\Star Trek Armada II\bzn'
    'C:\Program Files (x86)\Activision\Star Trek Armada II\bzn')
if prefix_is_32bit; then
    looked_in=("${looked_in[0]}")
fi
wine reg add "$(gog_key)" /v path /t REG_DWORD /d 7 /f >/dev/null 2>>"$work/wine.err"
expect_failure_box "no game" 76 "Path not found" "${looked_in[@]}" "Put zelvane.exe into the game's folder, beside armada2.exe."

# Nothing at all in it: the system finds no entry for *.bzn.
mkdir -p "$map_folder"
expect_failure_box "an empty map folder" 380

# Near misses that the list must not take for maps: other extensions, a longer one, a folder
# named like a map, and a hidden map (Wine takes dot files for hidden ones).
mkdir -p "$map_folder/folder.bzn"
touch "$map_folder/readme.txt" "$map_folder/old.bzn.bak" "$map_folder/.hidden.bzn"
convert -size 16x16 xc:navy -type TrueColor "BMP3:$map_folder/mymap.bmp"
expect_failure_box "a map folder without maps" 380

echo "startup failure test took $(($(now_ms) - started)) ms"
finish
