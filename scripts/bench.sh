#!/bin/bash
# Measures Setup.exe against plain programs doing the same work and prints one table: the
# stripped size, the start to the visible wizard, an install of 1,000 small files, the extra
# start time of a 5,000-item script, the uninstall of the same files without its pauses and the
# silent uninstall (/S) of them without the finishing step's waits and its own start and end.
# Medians of alternating runs (BENCH_RUNS, at least 10; 21 by default) in a private prefix under
# build/bench (64-bit; ORVEX_PREFIX_KIND=32 for a 32-bit one). Not part of the tests.
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "usage: bench.sh (no arguments; BENCH_RUNS and ORVEX_PREFIX_KIND=32 in the environment)" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"
runs="${BENCH_RUNS:-21}"
kind="${ORVEX_PREFIX_KIND:-64}"
[ "$kind" = 32 ] || kind=64
if [ "$runs" -lt 10 ]; then
  echo "BENCH_RUNS must be at least 10" >&2
  exit 2
fi

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target bench_programs -j"$(nproc)" >/dev/null

wine_dir="$build/bench"
"$root/scripts/wine-prefix.sh" "$wine_dir" "$kind"
. "$root/scripts/session.sh"
trap orvex_stop_session EXIT
trap 'exit 130' INT TERM
orvex_start_session "$wine_dir" "$kind"

export HOME="$wine_dir/home" WINEPREFIX="$wine_dir/prefix$kind" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
bin=$(timeout 60 winepath -w "$build/bin")
# Each run takes some seconds; a hung one ends the whole benchmark.
timeout $((120 * runs + 300)) wine "$build/bin/bench_runner.exe" "$bin" 'C:\orvex-bench' "$runs" \
  </dev/null
