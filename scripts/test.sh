#!/bin/bash
# Builds Setup.exe, its tests and their stand-ins, and runs every test under Wine.
# On a fresh Debian 12 machine (as root) it first installs what it needs.
# Extra arguments go to ctest (for instance -R script_tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel -DORVEX_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

"$root/scripts/wine-prefix.sh" "$build/wine" 32
"$root/scripts/wine-prefix.sh" "$build/wine" 64

. "$root/scripts/session.sh"
trap orvex_stop_session EXIT
trap 'exit 130' INT TERM
orvex_start_session "$build/wine" 32 64
# Tests share the machine-wide registry of their prefix, so they run one after another.
ctest --test-dir "$build" --output-on-failure "$@"
