#!/usr/bin/env bash
# launch_test.sh ZELVANE_EXE ARMADA2_EXE
#
# Opens maps in the (stand-in) game the way a person does: starts zelvane.exe under Wine, selects
# a map in the list with the keyboard and presses Edit Map (Alt+E). The stand-in armada2.exe logs
# the command line it got and the folder it ran in; for every map the test checks that the game
# started exactly once, in the game folder, with exactly that map name, and that the launch script
# beside zelvane.exe holds just the two expected lines. Names with & % ^, blanks and accented
# letters must reach the game as they are and must never run anything else. All that twice: with
# zelvane.exe in a folder on drive C:, and in a Linux folder (drive Z:).
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
ensure_display "$@"

begin_test launch "$@"

# The game as its installer lays it out: the script names the game folder by its long path.
game_folder=$game_folder_windows

# The maps; those marked ":nopreview" get no preview picture.
maps=(
    "mymap.bzn"
    "my map.bzn:nopreview"
    "a&b%PATH%c.bzn"
    "x&armada2.exe second.bzn"
    "x&mkdir pwned.bzn:nopreview"
    "Nebula (2).bzn"
    "up^caret.bzn"
    "café.bzn"
    "two  blanks.bzn:nopreview"
)
# Under emulation (ZELVANE_EMULATED, the 32-bit build), where each start of the program takes
# seconds, three names and drive C: only: the escaping and the drives are the same code in both
# builds, and are tried in full in the other.
if [ -n "${ZELVANE_EMULATED:-}" ]; then
    maps=("mymap.bzn" "a&b%PATH%c.bzn" "café.bzn")
fi
names=()
for map in "${maps[@]}"; do names+=("${map%:nopreview}"); done
# The order the list shows: ASCII letters folded to capitals, ties in plain code order.
mapfile -t listed < <(printf '%s\n' "${names[@]}" | LC_ALL=C sort -f)

started=$(now_ms)
make_test_prefix "$work/prefix"
"$repo_dir/scripts/demo-install.sh" "$WINEPREFIX" "$standin_exe" "${maps[@]}"
drive_c=$WINEPREFIX/drive_c
log=$drive_c/armada2-standin.log
mkdir -p "$drive_c/Zelvane" "$work/linux folder"
cp "$zelvane_exe" "$drive_c/Zelvane/zelvane.exe"
cp "$zelvane_exe" "$work/linux folder/zelvane.exe"
# The launch script is read in the console (OEM) code page, so that is how it must be written.
oem_code_page=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v OEMCP 2>/dev/null |
    tr -d '\r' | awk '$1 == "OEMCP" { print $3 }')
[ -n "$oem_code_page" ] || oem_code_page=437
echo "prefix ready in $(($(now_ms) - started)) ms (OEM code page $oem_code_page)"

# What EscapeForBatchLine must make of a name: a caret before ^ & | < > " and % doubled.
escaped() {
    local text=$1 out="" c i
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        case $c in
            '^' | '&' | '|' | '<' | '>' | '"') out+="^$c" ;;
            '%') out+="%%" ;;
            *) out+=$c ;;
        esac
    done
    printf '%s' "$out"
}

log_has_line() { [ -s "$log" ] && [ "$(tail -c 1 "$log" | od -An -c | tr -d ' ')" = '\n' ]; }

not_started=0

# launch WHERE UNIX_FOLDER WINDOWS_EXE INDEX: starts zelvane.exe from its own folder, as a double
# click does, picks list entry INDEX (from 0) and presses Edit Map; then checks what the stand-in
# saw.
launch() {
    local where=$1 folder=$2 exe=$3 index=$4
    local name=${listed[index]}
    local what="$where, entry $index \"$name\""
    local zelvane_pids=()
    rm -f "$log"
    # A longer script left from an earlier launch: the new one must replace it whole.
    printf '%s\r\nstart armada2.exe ~/edit stale.bzn\r\nrem left from an earlier launch\r\n' "$long_first_line" \
        >"$folder/run.bat"

    (cd "$folder" && ZELVANE_STANDIN_QUIET=1 exec wine "$exe" >/dev/null 2>"$work/wine.err") &
    local wine_pid=$!
    if ! wait_until 60 has_visible_window "$main_title"; then
        if wine_lost_a_start "$what"; then
            end_program "$wine_pid"
            restart_wine
            again=1 launch "$@"
            return
        fi
        local state="the program still runs"
        kill -0 "$wine_pid" 2>/dev/null || { wait "$wine_pid"; state="the program ended with exit code $?"; }
        fail "$what: the Zelvane window did not show in 60 s; $state"
        end_program "$wine_pid"
        restart_wine
        return
    fi
    local window
    window=$(visible_window "$main_title")
    # Keys sent before the first paint can be lost on a busy machine: wait until the frame is drawn.
    wait_until 30 frame_drawn || fail "$what: the window's frame was never drawn"
    xdotool windowfocus --sync "$window"
    local keys=(Home)
    for ((i = 0; i < index; i++)); do keys+=(Down); done
    xdotool key --delay 20 "${keys[@]}" alt+e

    if ! wait_until 30 log_has_line; then
        local lost=""
        wine_lost_a_start "$what" && lost=yes
        if [ -z "$lost" ]; then
            fail "$what: the game was not started (no line in the stand-in's log)"
            not_started=$((not_started + 1))
        fi
        mapfile -t zelvane_pids < <(pids_of zelvane.exe)
        end_program "$wine_pid" "${zelvane_pids[@]}"
        restart_wine
        [ -z "$lost" ] || again=1 launch "$@"
        return
    fi
    # Whatever the script could still start has started once the script's programs are gone.
    if ! wait_until 20 none_running cmd.exe start.exe conhost.exe armada2.exe; then
        fail "$what: the launch script's programs did not end"
    fi

    local lines
    lines=$(wc -l <"$log")
    if [ "$lines" -ne 1 ]; then
        fail "$what: the game was started $lines times:"
        sed 's/^/    /' "$log"
    else
        local command_line cwd got _
        IFS=$'\t' read -r command_line cwd _ <"$log"
        got=${command_line#*"~/edit "}
        # Wine's start.exe rebuilds the command line and so turns runs of blanks into one; the
        # script's own bytes are checked below.
        local want
        want=$(tr -s ' ' <<<"$name")
        if [ "$got" = "$command_line" ]; then
            fail "$what: no \"~/edit \" in the game's command line: $command_line"
        elif [ "$got" != "$want" ]; then
            fail "$what: the game got map \"$got\""
        elif [ "${cwd,,}" != "${game_folder,,}" ]; then
            fail "$what: the game ran in \"$cwd\", not in $game_folder"
        else
            pass "$what: the game opened exactly that map, in the game folder"
        fi
    fi

    printf '%s\r\nstart armada2.exe ~/edit %s\r\n' "$long_first_line" "$(escaped "$name")" |
        iconv -f UTF-8 -t "CP$oem_code_page" >"$work/expected.bat"
    if [ ! -f "$folder/run.bat" ]; then
        fail "$what: no run.bat beside zelvane.exe"
    elif ! cmp -s "$folder/run.bat" "$work/expected.bat"; then
        fail "$what: run.bat is not the two expected lines:"
        od -c "$folder/run.bat" | sed 's/^/    /'
    else
        pass "$what: run.bat holds the two expected lines"
    fi

    mapfile -t zelvane_pids < <(pids_of zelvane.exe)
    if [ ${#zelvane_pids[@]} -eq 0 ]; then
        fail "$what: zelvane.exe ended after the launch"
    fi
    # Done with this start: end the program.
    end_program "$wine_pid" "${zelvane_pids[@]}"
    wait_until 10 none_running zelvane.exe || fail "$what: zelvane.exe did not end when killed"
}

# A launch that never starts the game costs a long wait: after a few, the rest would only repeat them.
give_up() {
    if [ "$not_started" -ge 3 ]; then
        fail "$1: left out after $not_started launches that started nothing"
        return 0
    fi
    return 1
}
for ((index = 0; index < ${#listed[@]}; index++)); do
    give_up "zelvane.exe on drive C:, entries $index and on" && break
    launch "zelvane.exe on drive C:" "$drive_c/Zelvane" 'C:\Zelvane\zelvane.exe' "$index"
done
not_started=0
for ((index = 0; index < ${#listed[@]}; index++)); do
    [ -z "${ZELVANE_EMULATED:-}" ] || break
    give_up "zelvane.exe on drive Z:, entries $index and on" && break
    launch "zelvane.exe on drive Z:" "$work/linux folder" "$work/linux folder/zelvane.exe" "$index"
done

strays=$(find "$drive_c" "$work/linux folder" -iname 'pwned*' 2>/dev/null)
if [ -n "$strays" ]; then
    fail "a map name ran a command; it made: $strays"
else
    pass "no map name ran a command of its own"
fi

echo "launch test took $(($(now_ms) - started)) ms"
finish
