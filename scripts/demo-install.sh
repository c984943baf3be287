#!/usr/bin/env bash
# demo-install.sh PREFIX STANDIN_EXE [MAP...]
#
# Lays out a pretend Star Trek Armada II install in the Wine prefix PREFIX (made first when it is
# not there yet), as the game's installer lays it out:
#   drive_c/Program Files/Activision/Star Trek Armada II/armada2.exe   the stand-in game
#   drive_c/Program Files/Activision/Star Trek Armada II/bzn/          the maps (*.bzn) and their previews (*.bmp)
#
# ZELVANE_GAME_DIR puts the game folder elsewhere, as another installer would: a folder of drive C:
# ("GOG Games/Star Trek Armada II") or any absolute Linux folder (a drive of the prefix's own).
#
# With ZELVANE_SHORT_PATH=link it also makes the game's 8.3 path C:\PROGRA~1\ACTIVI~1\STARTR~1 lead
# to the game folder, as it does on a Windows system that made those short names: each short
# name is a symbolic link to its long sibling (Wine's own short names are hashes, and name
# nothing a script can use).
#
# Without MAP arguments it installs a few sample maps, most with a preview. Each MAP argument is a
# map file name to create instead, with a preview picture unless the name ends in ":nopreview"
# (a colon can never be part of a Windows file name). Existing files are overwritten, never deleted.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 PREFIX STANDIN_EXE [MAP...]" >&2
    exit 2
fi
prefix=$1
standin=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)

[ -f "$standin" ] || { echo "demo-install.sh: no stand-in at $standin" >&2; exit 1; }
"$repo/tests/wine/make-prefix.sh" "$prefix"

game_folder=${ZELVANE_GAME_DIR:-Program Files/Activision/Star Trek Armada II}
[[ $game_folder == /* ]] || game_folder="$prefix/drive_c/$game_folder"
map_folder="$game_folder/bzn"
mkdir -p "$map_folder"
cp -f "$standin" "$game_folder/armada2.exe"
if [ "${ZELVANE_SHORT_PATH:-}" = link ]; then
    ln -sfn "Program Files" "$prefix/drive_c/PROGRA~1"
    ln -sfn Activision "$prefix/drive_c/Program Files/ACTIVI~1"
    ln -sfn "Star Trek Armada II" "$prefix/drive_c/Program Files/Activision/STARTR~1"
fi

# A 160x160 24-bit preview: a night sky with a few stars and, drawn over it, the given shapes.
draw_preview() {
    local out=$1 background=$2
    shift 2
    convert -size 160x160 "xc:$background" \
        -fill white -draw 'point 12,20' -draw 'point 40,130' -draw 'point 77,9' -draw 'point 140,44' \
        -draw 'point 150,150' -draw 'point 101,71' -draw 'point 25,88' -draw 'point 120,118' \
        "$@" -type TrueColor "BMP3:$out"
}

# The map files only need to exist: the launcher never reads them.
write_map() {
    printf 'Zelvane demo map: %s\r\n' "$1" >"$map_folder/$1"
}

if [ $# -eq 0 ]; then
    write_map "Borg Nebula.bzn"
    draw_preview "$map_folder/Borg Nebula.bmp" '#101840' \
        -fill '#3a8a3a' -draw 'circle 80,80 80,20' -fill '#70c070' -draw 'circle 95,65 95,45'
    write_map "Twin Suns.bzn"
    draw_preview "$map_folder/Twin Suns.bmp" '#080820' \
        -fill '#ffd040' -draw 'circle 55,70 55,40' -fill '#ff8020' -draw 'circle 115,100 115,82'
    write_map "vulcan rim.bzn"
    draw_preview "$map_folder/vulcan rim.bmp" '#200818' \
        -fill '#b03020' -draw 'circle 80,160 80,60' -fill purple -draw 'circle 130,35 130,25'
    write_map "Open Space.bzn"  # no preview: the window says so instead
    write_map "Alpha & Omega.bzn"
    draw_preview "$map_folder/Alpha & Omega.bmp" '#101840' \
        -fill '#4060ff' -draw 'rectangle 30,30 70,130' -fill '#ff4060' -draw 'rectangle 90,30 130,130'
else
    for map in "$@"; do
        name=${map%:nopreview}
        write_map "$name"
        if [ "$name" = "$map" ]; then
            # A colour of its own per name, so pictures of different maps differ.
            hue=$(($(printf '%s' "$name" | cksum | cut -d' ' -f1) % 360))
            draw_preview "$map_folder/${name%.*}.bmp" '#101840' \
                -fill "hsl($hue,80%,50%)" -draw 'circle 80,80 80,30'
        fi
    done
fi
