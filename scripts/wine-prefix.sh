#!/bin/sh
# Creates (once) the private Wine prefix <wine-dir>/prefix<32|64> with a private HOME.
set -e
if [ $# -ne 2 ] || [ "${1#-}" != "$1" ] || { [ "$2" != 32 ] && [ "$2" != 64 ] && [ "$2" != dpi ]; }; then
  echo "usage: wine-prefix.sh <wine folder> 32|64|dpi (dpi: a 32-bit prefix of its own whose DPI tests change)" >&2
  exit 2
fi
wine_dir="$1"
kind="$2"
prefix="$wine_dir/prefix$kind"
[ -f "$prefix/.orvex-ready" ] && exit 0
mkdir -p "$wine_dir/home"
# Several tests may start at once: one creates the prefix, the others wait for it.
exec 9>"$wine_dir/.prefix$kind.lock"
flock -w 300 9
[ -f "$prefix/.orvex-ready" ] && exit 0
rm -rf "$prefix"
export HOME="$wine_dir/home" WINEPREFIX="$prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
if [ "$kind" = 64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
# Every step is bounded: a hung wineboot must fail the run, not stall it while holding the lock.
fail() {
  echo "creating the Wine prefix $prefix failed: $1" >&2
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  exit 1
}
timeout 300 wine wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
# Without a window manager, Wine's own decorations make windows close in milliseconds.
timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
  >/dev/null 2>&1 || fail "the registry could not be set"
timeout 120 wineserver -w || fail "the prefix's wineserver did not end"
touch "$prefix/.orvex-ready"
