#!/usr/bin/env bash
# make-prefix.sh DIR: makes a Wine prefix for tests in DIR, once; a prefix already made is reused.
# No Mono or Gecko prompts, no crash dialog (a crash fails fast), and no debug output.
set -euo pipefail
dir=$1
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
export WINEPREFIX=$dir
if [ -f "$dir/.zelvane-ready" ]; then exit 0; fi
# Never clear a folder: a prefix that is already there (someone's own) only gets the settings.
mkdir -p "$dir"
if [ ! -f "$dir/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
fi
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$dir/.zelvane-ready"
