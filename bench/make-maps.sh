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
# second. Files are written with shell built-ins only (printf turns escapes into bytes), so ten
# thousand of them take a moment.
set -euo pipefail
dir=$1
marker=$dir/.ready
[ -f "$marker" ] && exit 0
rm -rf "$dir"
mkdir -p "$dir"

# The escapes of a 32-bit little-endian number.
le32() {
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255))
}

# bmp_header WIDTH HEIGHT: the escapes of a 24-bit uncompressed BMP's two headers.
bmp_header() {
    local image=$(((($1 * 3 + 3) / 4 * 4) * $2))
    printf '%s' "BM$(le32 $((54 + image)))\\x00\\x00\\x00\\x00$(le32 54)$(le32 40)$(le32 "$1")$(le32 "$2")"
    printf '%s' "\\x01\\x00\\x18\\x00$(le32 0)$(le32 "$image")$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)"
}

# bmp_row WIDTH RED GREEN BLUE: the escapes of one row of a solid colour, padded to 4 bytes.
bmp_row() {
    local pixel row="" i
    pixel=$(printf '\\x%02x\\x%02x\\x%02x' "$4" "$3" "$2")
    for ((i = 0; i < $1; i++)); do row+=$pixel; done
    for ((i = $1 * 3 % 4; i % 4 != 0; i++)); do row+='\x00'; done
    printf '%s' "$row"
}

# write_bmp FILE WIDTH HEIGHT RED GREEN BLUE: a solid-colour 24-bit uncompressed BMP.
write_bmp() {
    local header row i
    header=$(bmp_header "$2" "$3")
    row=$(bmp_row "$2" "$4" "$5" "$6")
    {
        # shellcheck disable=SC2059 # the escapes are the point
        printf "$header"
        for ((i = 0; i < $3; i++)); do printf "$row"; done
    } >"$1"
}

# make_set COUNT: maps-COUNT and maps-COUNT-bare.
make_set() {
    local count=$1 set=$dir/maps-$1 bare=$dir/maps-$1-bare i name small
    mkdir -p "$set" "$bare"
    # The small preview's bytes as one format, so each copy is a single built-in printf.
    small="$(bmp_header 16 16)"
    local row
    row=$(bmp_row 16 96 96 96)
    for ((i = 0; i < 16; i++)); do small+=$row; done
    for ((i = 1; i <= count; i++)); do
        printf -v name 'map%05d' "$i"
        printf 'Zelvane benchmark map %s\r\n' "$name" >"$set/$name.bzn"
        printf 'Zelvane benchmark map %s\r\n' "$name" >"$bare/$name.bzn"
        if [ "$i" -gt 1 ]; then
            # shellcheck disable=SC2059
            printf "$small" >"$set/$name.bmp"
        fi
    done
    write_bmp "$set/map00001.bmp" 160 160 200 40 40
}

for size in 160 2048; do
    mkdir -p "$dir/switch-$size"
    printf 'Zelvane benchmark map a\r\n' >"$dir/switch-$size/a.bzn"
    printf 'Zelvane benchmark map b\r\n' >"$dir/switch-$size/b.bzn"
    write_bmp "$dir/switch-$size/a.bmp" "$size" "$size" 200 40 40
    write_bmp "$dir/switch-$size/b.bmp" "$size" "$size" 40 200 40
done
for count in 20 1000 10000; do make_set "$count"; done
touch "$marker"
