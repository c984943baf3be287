#!/usr/bin/env bash
# make-prefix.sh DIR: makes a Wine prefix for tests in DIR, once; a prefix already made is reused.
# No Mono or Gecko prompts, no crash dialog (a crash fails fast), and no debug output.
#
# A prefix is made in a folder of its own beside DIR and moved into place only once it is complete
# and marked ready (.zelvane-ready): a wineboot cut short leaves a prefix in which no program starts,
# and it must never be taken for a made one. Where DIR is there but not marked ready:
#   - holding only part of what the new prefix holds (nothing else), it is one that a cut-short
#     wineboot left (or an older make-prefix.sh, which made prefixes in place): it is replaced;
#   - holding anything more, or all of it, it may be someone's own prefix: it is never deleted, and
#     only gets the settings and the mark, as long as Wine runs in it.
set -euo pipefail
dir=$(realpath -ms -- "$1")
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
[ -f "$dir/.zelvane-ready" ] && exit 0

settings() {
    WINEPREFIX=$1 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 &&
        WINEPREFIX=$1 wineserver -w
}
files() { (cd "$1" && find . -mindepth 1 ! -name .zelvane-making ! -name .zelvane-ready | LC_ALL=C sort); }

parent=$(dirname "$dir")
mkdir -p "$parent"
# What a run that was stopped left beside DIR: the folders it was making a prefix in, or moving an
# unfinished one out of the way in.
for left in "$parent/.${dir##*/}.making-"*; do
    pid=$(cat "$left/.zelvane-making" 2>/dev/null) || continue
    kill -0 "$pid" 2>/dev/null || rm -rf "$left"
done

new=$(mktemp -d "$parent/.${dir##*/}.making-XXXXXX")
trap 'rm -rf "$new"' EXIT
echo $$ >"$new/.zelvane-making"
if ! WINEPREFIX=$new wineboot -i >/dev/null 2>&1 || ! settings "$new" ||
    [ ! -f "$new/drive_c/windows/system32/kernel32.dll" ]; then
    echo "make-prefix.sh: wineboot could not make a Wine prefix" >&2
    exit 1
fi
touch "$new/.zelvane-ready"

if [ -d "$dir" ] && [ ! -L "$dir" ] && [ -n "$(ls -A "$dir")" ] &&
    [ -z "$(LC_ALL=C comm -23 <(files "$dir") <(files "$new"))" ] &&
    [ -n "$(LC_ALL=C comm -13 <(files "$dir") <(files "$new"))" ]; then
    echo "note: $dir is a Wine prefix that was never finished; it is made again"
    old=$(mktemp -d "$parent/.${dir##*/}.making-XXXXXX")
    trap 'rm -rf "$new" "$old"' EXIT
    echo $$ >"$old/.zelvane-making"
    mv -T "$dir" "$old/unfinished"
fi
rm -f "$new/.zelvane-making"
# Into place where DIR is missing or empty; a prefix that another run finished meanwhile is kept.
mv -T "$new" "$dir" 2>/dev/null || [ -f "$dir/.zelvane-ready" ] || {
    if ! settings "$dir"; then
        echo "make-prefix.sh: $dir is not a Wine prefix in which Wine runs; it is left as it is" >&2
        exit 1
    fi
    touch "$dir/.zelvane-ready"
}
