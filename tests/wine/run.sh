#!/usr/bin/env bash
# run.sh PROGRAM [ARGS...]: runs a Windows program under Wine in the tests' prefix
# (ZELVANE_WINEPREFIX), made first if needed, and returns the program's exit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${ZELVANE_WINEPREFIX:?set ZELVANE_WINEPREFIX to the Wine prefix of the tests}"
"$here/make-prefix.sh" "$ZELVANE_WINEPREFIX"
# shellcheck source=scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"
export WINEPREFIX=$ZELVANE_WINEPREFIX
exec wine "$@"
