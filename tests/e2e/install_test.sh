#!/usr/bin/env bash
# install_test.sh ZELVANE_EXE [ARMADA2_EXE]
#
# Edit Map in the installs players have, each in a prefix of its own. The game in the folder its
# installer makes on a 32-bit system (C:\Program Files\Activision\Star Trek Armada II):
#   installer  nothing else: Wine's 8.3 names are hashes, so C:\PROGRA~1\ACTIVI~1\STARTR~1 names
#              nothing, and the script must change to the long path, quoted;
#   other      the 8.3 path leads to another game's folder (the first Armada, installed first),
#              which holds no armada2.exe: the long path again, and the right game starts;
#   short      the 8.3 path leads to the game folder, as on Windows: the two fixed lines, byte
#              for byte;
#   junction   the game in Program Files (x86), where its installer puts it on 64-bit Windows, and
#              the default folder a link to it (an old README's junction); alpha.bzn only in the
#              VirtualStore shadow of the folder the link leads to, which Windows virtualizes.
# Elsewhere, found by the program at start-up:
#   x86        where a 32-bit installer puts it on a 64-bit system, C:\Program Files (x86)\...;
#   gog        the GOG edition's folder, which its installer records in the registry's 32-bit view;
#   beside     a folder on drive D: whose name holds "%" and "&", zelvane.exe put into it.
# A 32-bit prefix has no Program Files (x86): there the junction, x86 and beside rows are left out.
# Then the VirtualStore: maps the game's editor saved while Windows redirected its writes, in the
# user's local application data (a folder of the test's own prefix, named in its registry). A map
# only there is listed, previewed and opened; a map in both folders is listed once, with the
# shadow's preview; a hidden map there stays out of the list.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
ensure_display "$@"

begin_test install "$@"
started=$(now_ms)
dpi=96
shot=$work/shot.png

log_has_line() { [ -s "$log" ] && [ "$(tail -c 1 "$log" | od -An -c | tr -d ' ')" = '\n' ]; }

# new_install NAME [MAP...]: a prefix of its own with the game laid out by demo-install.sh
# (ZELVANE_SHORT_PATH and ZELVANE_GAME_DIR passed on) in $game, and zelvane.exe in C:\Zelvane; the
# user's local application data is C:\$local_app_data where that is set.
new_install() {
    local name=$1
    shift
    [ -z "${WINEPREFIX:-}" ] || stop_wine
    make_test_prefix "$work/prefix-$name" "${local_app_data:-}"
    drive_c=$WINEPREFIX/drive_c
    game=${ZELVANE_GAME_DIR:-Program Files/Activision/Star Trek Armada II}
    [[ $game == /* ]] || game="$drive_c/$game"
    ZELVANE_GAME_DIR=$game "$repo_dir/scripts/demo-install.sh" "$WINEPREFIX" "$standin_exe" "$@"
    log=$drive_c/armada2-standin.log
    zelvane_dir=$drive_c/Zelvane zelvane_windows='C:\Zelvane\zelvane.exe'
    mkdir -p "$zelvane_dir"
    cp "$zelvane_exe" "$zelvane_dir/zelvane.exe"
}

# edit_map WHAT FIRST_LINE FOLDER: Alt+E on the selected map (alpha.bzn); the game must start once,
# on that map, in FOLDER, and run.bat must hold FIRST_LINE and the start line.
edit_map() {
    local what=$1 first_line=$2 folder=$3 before
    before=$(wine_start_failures)
    xdotool windowfocus --sync "$window"
    xdotool key alt+e
    if ! wait_until 30 log_has_line; then
        if wine_lost_a_start "$what" "$before"; then
            # The launch took Wine's activation away: a click on the window's frame corner gives it
            # back, once the script's programs have ended.
            wait_until 20 none_running cmd.exe start.exe conhost.exe armada2.exe
            xdotool mousemove --window "$window" 1 1 click 1
            again=1 edit_map "$@"
            return
        fi
        fail "$what: Edit Map started no game"
        return
    fi
    wait_until 20 none_running cmd.exe start.exe armada2.exe || fail "$what: the launch script's programs did not end"
    local command_line cwd
    IFS=$'\t' read -r command_line cwd _ <"$log"
    if [ "$(wc -l <"$log")" -ne 1 ]; then
        fail "$what: the game started $(wc -l <"$log") times"
    elif [ "${command_line#*"~/edit "}" != alpha.bzn ] || [ "${cwd,,}" != "${folder,,}" ]; then
        fail "$what: the game got \"$command_line\" in \"$cwd\", not alpha.bzn in $folder"
    else
        pass "$what: Edit Map started the game on alpha.bzn in $folder"
    fi
    if [ "$(cat "$zelvane_dir/run.bat" 2>/dev/null)" = "$(printf '%s\r\nstart armada2.exe ~/edit alpha.bzn\r\n' "$first_line")" ]; then
        pass "$what: run.bat holds \"$first_line\" and the start line"
    else
        fail "$what: run.bat is not \"$first_line\" and the start line:"
        od -c "$zelvane_dir/run.bat" 2>&1 | sed 's/^/    /'
    fi
}

x86='C:\Program Files (x86)\Activision\Star Trek Armada II'
gog='C:\GOG Games\Star Trek Armada II'
beside='D:\A2 100% & co'
layouts=(
    "installer|||$long_first_line|$game_folder_windows"
    "other|link||$long_first_line|$game_folder_windows"
    "short|link||cd $short_game_folder|$short_game_folder"
    "junction|||$long_first_line|$game_folder_windows"
    "x86||Program Files (x86)/Activision/Star Trek Armada II|cd \"$x86\"|$x86"
    "gog||GOG Games/Star Trek Armada II|cd \"$gog\"|$gog"
    "beside||D:/A2 100% & co|cd \"${beside//%/%%}\"|$beside"
)
for row in "${layouts[@]}"; do
    IFS='|' read -r layout short_path game_dir first_line folder <<<"$row"
    # The last row's prefix tells which kind the tests' prefixes are.
    [[ $layout != junction && $layout != x86 && $layout != beside ]] || ! prefix_is_32bit || continue
    [ "$layout" != beside ] || game_dir="$work/drive-d/${game_dir#D:/}"
    ZELVANE_SHORT_PATH=$short_path ZELVANE_GAME_DIR=$game_dir local_app_data=zelvane-local \
        new_install "$layout" alpha.bzn zulu.bzn:nopreview
    case $layout in
        other)
            # Armada II's 8.3 name taken by the first Armada: its folder holds only its own game.
            mkdir -p "$drive_c/Program Files/Activision/Star Trek Armada"
            cp "$standin_exe" "$drive_c/Program Files/Activision/Star Trek Armada/armada.exe"
            ln -sfn "Star Trek Armada" "$drive_c/Program Files/Activision/STARTR~1"
            ;;
        junction)
            target="Program Files (x86)/Activision/Star Trek Armada II"
            mkdir -p "$drive_c/${target%/*}" "$drive_c/zelvane-local/VirtualStore/$target/bzn"
            mv "$game" "$drive_c/$target" && ln -s "../../$target" "$game"
            mv "$drive_c/$target/bzn/alpha.bzn" "$drive_c/zelvane-local/VirtualStore/$target/bzn/"
            ;;
        gog)
            wine reg add "$(gog_key)" /v path /d "$gog" /f >/dev/null 2>>"$work/wine.err"
            wine reg add "$(gog_key)" /v exe /d "$gog\\Armada2.exe" /f >/dev/null 2>>"$work/wine.err"
            ;;
        beside)
            ln -sfn "$work/drive-d" "$WINEPREFIX/dosdevices/d:"
            zelvane_dir=$game zelvane_windows="$beside\\zelvane.exe"
            cp "$zelvane_exe" "$zelvane_dir/zelvane.exe"
            ;;
    esac
    start_zelvane || continue
    edit_map "$layout layout" "$first_line" "$folder"
    stop_zelvane
done

# The VirtualStore, in a local application data folder of the test's own.
local_app_data=zelvane-local new_install store alpha.bzn:nopreview both.bzn:nopreview real.bzn:nopreview
shadow="$drive_c/zelvane-local/VirtualStore/Program Files/Activision/Star Trek Armada II/bzn"
mkdir -p "$shadow"
maps="$game/bzn"
solid() { convert -size 160x160 "xc:rgb($1)" -type TrueColor "BMP3:$2"; }
rm -f "$maps/alpha.bzn"
printf 'saved by the editor\r\n' >"$shadow/alpha.bzn"
solid 0,0,255 "$shadow/alpha.bmp"
solid 255,0,0 "$maps/both.bmp"
printf 'saved again\r\n' >"$shadow/both.bzn"
solid 255,255,0 "$shadow/both.bmp"
solid 0,255,0 "$maps/real.bmp"
# Hidden: Wine gives a name that starts with a dot the hidden attribute. Listed, it would come first.
printf 'hidden\r\n' >"$shadow/.beta.bzn"
solid 255,0,255 "$shadow/.beta.bmp"
if start_zelvane; then
    # Home, then Down twice: the list's entries in order, by their previews; a third Down stays.
    previews=("alpha.bzn, only in the store|0,0,255" "both.bzn, the store's preview|255,255,0"
        "real.bzn, only in the map folder|0,255,0" "real.bzn, still the last entry|0,255,0")
    keys=(Home Down Down Down)
    for i in "${!keys[@]}"; do
        IFS='|' read -r what colour <<<"${previews[i]}"
        xdotool windowfocus --sync "$window"
        xdotool key "${keys[i]}"
        if wait_until 10 pixel_is 150 260 "$colour"; then
            pass "entry $i is $what"
        else
            fail "entry $i is not $what (preview pixel $(pixel 150 260), wanted $colour)"
        fi
    done
    xdotool key Home
    wait_until 10 pixel_is 150 260 0,0,255
    edit_map "a map only in the store" "$long_first_line" "$game_folder_windows"
    stop_zelvane
fi

echo "install test took $(($(now_ms) - started)) ms"
finish
