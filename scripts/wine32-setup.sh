#!/usr/bin/env bash
# wine32-setup.sh [ROOT]: makes 32-bit Windows programs run under Wine on this machine, and prints
# the folder of wrapper commands (wine, wineserver, wineboot) as its last line, so that
#     bin=$(scripts/wine32-setup.sh) && PATH=$bin:$PATH
# makes every script that runs `wine` run the 32-bit Wine in a 32-bit (WINEARCH=win32) prefix.
#
# Why it is done this way: the kernel of these machines runs no 32-bit Linux program, and
# installing wine32:i386 system-wide would make /usr/bin/wine pick the 32-bit loader and break
# every 64-bit program. So Wine's 32-bit side comes from Debian packages that are downloaded and
# unpacked into a private root (ROOT, default ${XDG_CACHE_HOME:-~/.cache}/zelvane/wine32, or
# ZELVANE_WINE32_ROOT), never installed, and runs under qemu user-mode emulation (qemu-i386 from
# bookworm-backports: bookworm's qemu 7.2 ignores MAP_FIXED_NOREPLACE and spends minutes in mmap
# calls for every Wine process). Neither the system's apt and dpkg state nor its architectures are
# touched: the downloads use an apt state of their own under ROOT/.setup.
#
# The first run downloads about 215 MB and fills about 740 MB of disk (half a minute to a minute);
# later runs take well under a second and use no network. The qemu registration with binfmt_misc
# does not survive a reboot, so every run checks it and makes it again when needed. Runs as root (the registration and any missing system package need it).
# Messages go to stderr; stdout carries only the bin folder.
set -euo pipefail

mirror=http://deb.debian.org/debian
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
# Wine's X11 driver loads these with dlopen, so no package depends on them; without them windows
# lack XRender drawing, the cursor, XInput and the screen-size queries.
x_libraries=(libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1 libxxf86vm1)
# Bumped when the layout of ROOT changes, so an older ROOT is made again.
recipe=1

root=${1:-${ZELVANE_WINE32_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/zelvane/wine32}}
setup=$root/.setup
stamp=$setup/stamp
qemu=$root/qemu/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
# The i386 ELF header as qemu's own binfmt configuration matches it (executables and shared
# objects of machine 3, any OS ABI byte).
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "wine32-setup: $*" >&2; }
die() {
    say "error: $*"
    exit 1
}
need_root() {
    [ "$(id -u)" -eq 0 ] || die "$1 needs root; run this script as root"
}

# private_apt DIR ARCH SOURCES-LINES: sets apt_options to an apt state of its own in DIR (its own
# package lists, download cache, empty dpkg status, sources and architecture), so apt-get there
# sees an empty machine of architecture ARCH and changes nothing of the system's.
private_apt() {
    local dir=$1 arch=$2 sources=$3
    mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial" "$dir/sources.list.d" "$dir/preferences.d"
    [ -f "$dir/status" ] || : >"$dir/status"
    printf '%s\n' "$sources" >"$dir/sources.list"
    apt_options=(
        -o "Dir::State=$dir" -o "Dir::State::status=$dir/status"
        -o "Dir::Cache=$dir/cache"
        -o "Dir::Etc::sourcelist=$dir/sources.list" -o "Dir::Etc::sourceparts=$dir/sources.list.d"
        -o "Dir::Etc::preferences=$dir/preferences" -o "Dir::Etc::preferencesparts=$dir/preferences.d"
        -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
        -o APT::Install-Recommends=false -o APT::Install-Suggests=false
        # The downloads land in root's own cache folder, which apt's _apt user cannot enter.
        -o APT::Sandbox::User=root
    )
}

# Downloads qemu-user of bookworm-backports (its qemu-i386 is a static program) and keeps only
# qemu-i386.
fetch_qemu() {
    local dir=$setup/apt-amd64 deb
    private_apt "$dir" amd64 "deb [signed-by=$keyring] $mirror bookworm-backports main"
    say "downloading qemu-user from bookworm-backports"
    apt-get "${apt_options[@]}" update -q </dev/null >&2 || die "apt-get update (bookworm-backports) failed"
    rm -rf "$setup/qemu-download"
    mkdir -p "$setup/qemu-download" "$root/qemu"
    (cd "$setup/qemu-download" && apt-get "${apt_options[@]}" download qemu-user </dev/null >&2) ||
        die "could not download qemu-user from bookworm-backports"
    deb=$(echo "$setup"/qemu-download/qemu-user_*.deb)
    dpkg -x "$deb" "$setup/qemu-download/files"
    install -m 755 "$setup/qemu-download/files/usr/bin/qemu-i386" "$qemu"
    dpkg-deb -f "$deb" Version >"$setup/qemu-version"
    rm -rf "$setup/qemu-download"
    # Static, so it runs in any root: binfmt_misc starts it inside chroots too.
    if ldd "$qemu" 2>&1 | grep -q '=>'; then
        die "$qemu is not a static program"
    fi
}

# Downloads Debian's wine32 (i386) of the system Wine's version, with everything it depends on and
# the X libraries, and unpacks every package into ROOT.
fetch_wine() {
    local version=$1 dir=$setup/apt-i386 deb
    private_apt "$dir" i386 "deb [signed-by=$keyring] $mirror bookworm main
deb [signed-by=$keyring] $mirror bookworm-updates main"
    say "downloading wine32 $version (i386) and its dependencies from bookworm"
    apt-get "${apt_options[@]}" update -q </dev/null >&2 || die "apt-get update (i386 lists) failed"
    # The 32-bit side must be exactly the system's Wine version: the 64-bit wineserver serves it.
    DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" install --download-only -y -q \
        "wine32=$version" "libwine=$version" "${x_libraries[@]}" </dev/null >&2 ||
        die "could not download wine32 $version (i386) and its dependencies"
    say "unpacking $(find "$dir/cache/archives" -maxdepth 1 -name '*.deb' | wc -l) packages into $root"
    for deb in "$dir"/cache/archives/*.deb; do
        dpkg -x "$deb" "$root" || die "could not unpack $deb"
    done
    [ -x "$root/usr/lib/wine/wine" ] || die "the 32-bit Wine loader is missing from $root/usr/lib/wine"
}

# The two things the packages' install scripts would have done, and the fonts.
finish_root() {
    local mingw_arch wine_arch source target
    # libwine's postinst: Wine's builtin zlib1.dll is the mingw zlib1.dll with "Wine builtin DLL"
    # and 16 zero bytes at offset 64; without it user32.dll does not load.
    for mingw_arch in i686 x86_64; do
        wine_arch=$mingw_arch
        [ "$mingw_arch" = i686 ] && wine_arch=i386
        source=$root/usr/$mingw_arch-w64-mingw32/lib/zlib1.dll
        target=$root/usr/lib/i386-linux-gnu/wine/$wine_arch-windows/zlib1.dll
        [ -f "$source" ] || die "$source is missing (package libz-mingw-w64)"
        mkdir -p "$(dirname "$target")"
        {
            head -c 64 "$source"
            printf 'Wine builtin DLL'
            head -c 16 /dev/zero
            tail -c +97 "$source"
        } >"$target"
    done
    # libc-bin's trigger: the library cache, without which the 32-bit side does not find FreeType
    # and the other libraries in the multiarch folders.
    echo 'include /etc/ld.so.conf.d/*.conf' >"$root/etc/ld.so.conf"
    ldconfig -r "$root" || die "ldconfig -r $root failed"
    # Fonts. Wine picks its faces through fontconfig: the 64-bit Wine draws Arial, Tahoma and
    # "MS Shell Dlg" with the system's Liberation Sans, but the packages unpacked here bring a
    # fontconfig set-up of their own that holds only DejaVu (wider: text wraps elsewhere). Links
    # to the system's fontconfig configuration and font folders give the 32-bit side the very
    # same fonts; Wine's own data folder gets the system Wine's fonts (package fonts-wine) too.
    local dir
    for dir in etc/fonts usr/share/fonts usr/share/fontconfig usr/share/wine/fonts; do
        rm -rf "${root:?}/$dir"
        mkdir -p "$(dirname "$root/$dir")"
        ln -s "/$dir" "$root/$dir"
    done
    # The 32-bit fontconfig writes its caches (*-le32d4.cache-*) beside the system's 64-bit ones,
    # and only this root's programs write such caches here. Caches of an earlier root can describe
    # another font set and were still taken as valid (all text in DejaVu after the links were
    # made), so a new root starts without them.
    rm -f /var/cache/fontconfig/*-le32d4.cache-* "${XDG_CACHE_HOME:-$HOME/.cache}"/fontconfig/*-le32d4.cache-*
}

# The commands callers put first on PATH. Each finds ROOT from its own place, so ROOT can move.
write_wrappers() {
    local bin=$root/bin
    mkdir -p "$bin"
    cat >"$bin/wine.new" <<'EOF'
#!/bin/sh
# wine for 32-bit programs: the 32-bit Wine loader of this root, run by qemu-i386 (binfmt_misc),
# which finds the root's i386 libraries through QEMU_LD_PREFIX. The system's 64-bit wineserver
# serves 32-bit clients. Made by scripts/wine32-setup.sh.
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
export QEMU_LD_PREFIX="$root" WINELOADER="$root/usr/lib/wine/wine" \
    WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win32
# As Debian's wine script: quiet about unimplemented functions unless told otherwise.
export WINEDEBUG="${WINEDEBUG:-fixme-all}"
# The registration goes with a reboot; without it the loader fails with "Exec format error".
if [ -e /proc/sys/fs/binfmt_misc/register ] && [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    echo "wine (32-bit): qemu-i386 is not registered with binfmt_misc; run scripts/wine32-setup.sh" >&2
    exit 126
fi
exec "$WINELOADER" "$@"
EOF
    cat >"$bin/wineserver.new" <<'EOF'
#!/bin/sh
# wineserver for this root's 32-bit Wine: the system's 64-bit server, which serves both kinds of
# client, started as Debian's wineserver script starts it. Made by scripts/wine32-setup.sh.
export WINESERVER=/usr/lib/wine/wineserver64
exec "$WINESERVER" -p0 "$@"
EOF
    cat >"$bin/wineboot.new" <<'EOF'
#!/bin/sh
# wineboot for this root's 32-bit Wine, as Debian's wineboot: wineboot.exe run by the wine beside
# this file. Made by scripts/wine32-setup.sh.
exec "$(dirname "$(readlink -f "$0")")/wine" wineboot.exe "$@"
EOF
    chmod 755 "$bin"/*.new
    for name in wine wineserver wineboot; do mv -f "$bin/$name.new" "$bin/$name"; done
}

# Registers qemu-i386 for i386 programs with binfmt_misc, unless it already is. F: the kernel
# opens qemu-i386 now and keeps it open, so it also runs programs inside chroots and other mount
# namespaces where its path does not exist.
register_binfmt() {
    local entry=$binfmt/qemu-i386
    if [ ! -e "$binfmt/register" ]; then
        need_root "mounting binfmt_misc"
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
            die "could not mount binfmt_misc at $binfmt (is the binfmt_misc module there?)"
    fi
    if [ -f "$entry" ] && grep -qx enabled "$entry" && grep -qx "interpreter $qemu" "$entry" &&
        grep -q '^flags: .*F' "$entry"; then
        return
    fi
    need_root "registering qemu-i386 with binfmt_misc"
    if [ -f "$entry" ]; then
        say "replacing the binfmt_misc entry qemu-i386 ($(sed -n 's/^interpreter //p' "$entry"))"
        echo -1 >"$entry"
    fi
    say "registering $qemu for i386 programs with binfmt_misc"
    printf '%s' ":qemu-i386:M::$i386_magic:$i386_mask:$qemu:F" >"$binfmt/register" ||
        die "could not register qemu-i386 with binfmt_misc"
}

# The system's own Wine (its wineserver64 serves the 32-bit clients too, and its version is the one
# the 32-bit side must have) and Wine's fonts, which the 32-bit side shares: scripts/deps.sh.
"$(dirname "$0")/deps.sh" >&2 || die "scripts/deps.sh could not install the system packages"
[ -x /usr/lib/wine/wineserver64 ] || die "/usr/lib/wine/wineserver64 is missing (package wine64)"
wine_version=$(dpkg-query -W -f='${Version}' wine64)
wanted="recipe $recipe wine $wine_version"

# binfmt_misc fields are separated by colons, so the path of qemu-i386 cannot hold one.
case $root in *:*) die "ROOT ($root) must not contain ':'" ;; esac
# A ROOT that holds something else is never cleared.
if [ -d "$root" ] && [ ! -d "$setup" ] && [ -n "$(ls -A "$root")" ]; then
    die "$root exists and was not made by this script; remove it or name another ROOT"
fi
mkdir -p "$setup"
# One set-up at a time (tests started in parallel may all call this).
exec 9>"$setup/lock"
flock 9

if [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
    need_root "setting up $root"
    rm -f "$stamp"
    started=$(date +%s)
    # Start from an empty root, keeping the downloads of an earlier, unfinished run.
    find "$root" -mindepth 1 -maxdepth 1 ! -name .setup -exec rm -rf {} +
    fetch_qemu
    fetch_wine "$wine_version"
    finish_root
    # The packages are unpacked: their files are no longer needed.
    rm -rf "$setup"/apt-*/cache/archives/*.deb "$setup"/apt-*/cache/*.bin "$setup"/apt-*/lists
    echo "$wanted" >"$stamp"
    say "set up $root in $(($(date +%s) - started)) s ($(du -sh "$root" | cut -f1); qemu $(cat "$setup/qemu-version"), wine $wine_version)"
fi

write_wrappers
register_binfmt
# Proof that the pieces fit: the 32-bit loader starts under qemu and finds its libraries.
version=$(QEMU_LD_PREFIX=$root "$root/usr/lib/wine/wine" --version 2>&1) ||
    die "the 32-bit Wine loader does not start under qemu-i386: $version"
echo "$root/bin"
