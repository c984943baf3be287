#!/usr/bin/env bash
# run.sh PROGRAM [ARGS...]: runs a Windows program under Wine in the tests' prefix
# (ZELVANE_WINEPREFIX), made first if needed, and returns the program's exit code.
#
# With ZELVANE_WINE_TRACE set, Wine also traces, with timestamps, every program it starts and says
# what went wrong, into a file of its own; if the program fails, the program starts and errors are
# shown after its output and the whole trace is kept, so that a launch that started no game shows
# which of its programs never started.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${ZELVANE_WINEPREFIX:?set ZELVANE_WINEPREFIX to the Wine prefix of the tests}"
"$here/make-prefix.sh" "$ZELVANE_WINEPREFIX"
# shellcheck source=scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"
export WINEPREFIX=$ZELVANE_WINEPREFIX
[ -n "${ZELVANE_WINE_TRACE:-}" ] || exec wine "$@"

trace=$(mktemp "${TMPDIR:-/tmp}/zelvane-wine-trace.XXXXXX")
code=0
WINEDEBUG=$wine_trace_channels wine "$@" 2>"$trace" || code=$?
# Now and then Wine cannot set up a new process's address space and the process dies before its
# first instruction: a start that the program asked for and that Windows would have made. A run that
# failed so is not the program's failure; it runs once more, saying why.
if [ "$code" -ne 0 ] && said=$(wine_lost_start "$trace"); then
    echo "note: Wine could not start a process ($said); the test runs again"
    code=0
    WINEDEBUG=$wine_trace_channels wine "$@" 2>"$trace" || code=$?
fi
if [ "$code" -ne 0 ]; then
    kept="${TMPDIR:-/tmp}/zelvane-failed-$(basename "$1" .exe)-$$.wine.err"
    cp "$trace" "$kept"
    echo "Wine's errors, the program's own messages and the program starts, the last of them (all of it: $kept):"
    wine_said "$trace" 60 | sed 's/^/    /'
fi
rm -f "$trace"
exit "$code"
