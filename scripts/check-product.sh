#!/bin/bash
# Checks a product folder with SetupCheck.exe under Wine, for vendors on Linux and for CI.
# Usage: check-product.sh <product folder> [--sizes] [--codepage N] [--pack PACKAGE]
# (--pack takes the package's path as Wine names it; vendors use pack-product.sh for it.)
# Prints one line per finding ("Setup.ini:12: error: ...") and a summary; the exit code is
# SetupCheck's: 0 nothing to report, 1 warnings only, 2 errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"
usage() {
  echo "usage: check-product.sh <product folder> [--sizes] [--codepage N] [--pack PACKAGE]" >&2
  exit 2
}
[ $# -ge 1 ] && [ -d "$1" ] || usage
folder=$(cd "$1" && pwd)
shift
# Checked here, before anything is built: SetupCheck.exe would only say so after the build.
options=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) shift ;;
    --codepage) [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] || usage; shift 2 ;;
    --pack) [ $# -ge 2 ] && [ -n "$2" ] || usage; shift 2 ;;
    *) usage ;;
  esac
done
set -- ${options[@]+"${options[@]}"}
wine_dir="$build/wine/check"

if [ ! -x "$build/bin/SetupCheck.exe" ] || [ -z "${ORVEX_NO_BUILD:-}" ]; then
  "$root/scripts/deps.sh"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
  cmake --build "$build" --target SetupCheck -j"$(nproc)" >/dev/null
fi
"$root/scripts/wine-prefix.sh" "$wine_dir" 32

export WINEPREFIX="$wine_dir/prefix32" HOME="$wine_dir/home" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
status=0
timeout 120 wine "$build/bin/SetupCheck.exe" "$@" "Z:${folder//\//\\}" | tr -d '\r' || status=$?
# The prefix's server ends with its last program; none of it may outlive the check.
timeout 20 wineserver -w >/dev/null 2>&1 || timeout 20 wineserver -k >/dev/null 2>&1 || true
[ "$status" = 124 ] && echo "SetupCheck.exe did not finish in time" >&2
exit "$status"
