#!/usr/bin/env bash
# make-maps.sh DIR: makes the benchmark's map folders in DIR, once (a finished DIR is reused).
#
#   maps-N          N maps (20, 1000, 10000) named map00001.bzn ...; each has a preview picture:
#                   the first a 160 x 160 one (what start-up shows), the others 16 x 16
#   maps-N-bare     the same maps without any preview
#   switch-160      two maps, a.bzn and b.bzn, with solid 160 x 160 previews of two colours
#   switch-2048     the same with 2048 x 2048 previews
#
# The colours are the ones the driver looks for: (200,40,40) for the first map, (40,200,40) for the
# second; the small previews are grey (96,96,96). Each distinct picture is made once, as a 24-bit
# uncompressed BMP, with ImageMagick, and copied from there.
set -euo pipefail
dir=$1
marker=$dir/.ready
[ -f "$marker" ] && exit 0
rm -rf "$dir"
pictures=$dir/.pictures
mkdir -p "$pictures"

# picture NAME SIZE RED GREEN BLUE: a solid SIZE x SIZE picture in the pictures folder.
picture() {
    convert -size "$2x$2" "xc:rgb($3,$4,$5)" -type TrueColor "BMP3:$pictures/$1.bmp"
}
picture small 16 96 96 96
picture red-160 160 200 40 40
picture green-160 160 40 200 40
picture red-2048 2048 200 40 40
picture green-2048 2048 40 200 40

# The map files only need to exist, each with a line of its own: Zelvane never reads them.
write_maps() {
    local folder=$1 count=$2 i name
    for ((i = 1; i <= count; i++)); do
        printf -v name 'map%05d' "$i"
        printf 'Zelvane benchmark map %s\r\n' "$name" >"$folder/$name.bzn"
    done
}

# make_set COUNT: maps-COUNT and maps-COUNT-bare.
make_set() {
    local count=$1 set=$dir/maps-$1 bare=$dir/maps-$1-bare
    mkdir -p "$set" "$bare"
    write_maps "$set" "$count"
    write_maps "$bare" "$count"
    cp "$pictures/red-160.bmp" "$set/map00001.bmp"
    # The small preview to every other map, a tee per batch of names rather than a cp per file.
    # shellcheck disable=SC2016 # the inner shell expands them
    seq -f "$set/map%05g.bmp" 2 "$count" |
        xargs -d '\n' sh -c 'tee "$@" <"$0" >/dev/null' "$pictures/small.bmp"
}

for size in 160 2048; do
    mkdir -p "$dir/switch-$size"
    printf 'Zelvane benchmark map a\r\n' >"$dir/switch-$size/a.bzn"
    printf 'Zelvane benchmark map b\r\n' >"$dir/switch-$size/b.bzn"
    cp "$pictures/red-$size.bmp" "$dir/switch-$size/a.bmp"
    cp "$pictures/green-$size.bmp" "$dir/switch-$size/b.bmp"
done
for count in 20 1000 10000; do make_set "$count"; done
touch "$marker"
