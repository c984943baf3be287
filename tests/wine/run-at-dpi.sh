#!/usr/bin/env bash
# run-at-dpi.sh DPI PROGRAM [ARGS...]: runs a Windows program under Wine at a screen DPI of its
# own, in a copy of the tests' prefix (ZELVANE_WINEPREFIX) made for this run and removed after it,
# with ZELVANE_EXPECT_DPI set to that DPI; returns the program's exit code.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
ensure_display "$@"
dpi=$1
shift
make_work "dpi-$dpi"
make_test_prefix "$work/prefix"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
# The test's own output, without the end-to-end tests' tracing of program starts.
ZELVANE_EXPECT_DPI=$dpi WINEDEBUG=-all,err+winediag wine "$@"
