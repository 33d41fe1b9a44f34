#!/bin/sh
# Runs a test program in the build's own prefix for other displays, its user's DPI set first
# (Wine reads LogPixels when a program starts). Usage: dpi-run.sh <wine-run.sh> <dpi> <program> ...
set -e
wine_run="$1"
dpi="$2"
shift 2
export ORVEX_PREFIX_KIND=dpi ORVEX_EXPECT_DPI="$dpi"
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
exec "$wine_run" "$@"
