#!/bin/bash
# Measures Setup.exe against plain programs doing the same work and prints one table: the
# stripped size, the start to the visible wizard, an install of 1,000 small files, the extra
# start time of a 5,000-item script, the uninstall of the same files without its pauses and the
# silent uninstall (/S) of them without the finishing step's waits and its own start and end, and
# for one-file packages: the size against xz, the starter's own bytes, unpacking against xz -d and
# the sample's package against its folder from start to the visible wizard.
# Medians of alternating runs (BENCH_RUNS, at least 10; 21 by default) in a private prefix under
# build/bench (64-bit; ORVEX_PREFIX_KIND=32 for a 32-bit one). Not part of the tests.
# ORVEX_BENCH_LANGUAGES (a Windows path) puts that folder's language files beside the start-up
# product; with LC_ALL of a language among them the start-up figure is that of a translated run.
# "scripts/bench.sh start" measures only the start-up figures, "removal" only the uninstall rows,
# "unpack" only the package rows.
set -euo pipefail
if [ $# -gt 1 ] || { [ $# = 1 ] && [ "$1" != start ] && [ "$1" != removal ] && [ "$1" != unpack ]; }; then
  echo "usage: bench.sh [start|removal|unpack] (the start-up figures, the uninstall rows or the" \
       "package rows only; BENCH_RUNS and ORVEX_PREFIX_KIND=32 in the environment)" >&2
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
sample="$build/bench/sample"
rm -rf "$sample"
"$root/scripts/sample-product.sh" "$sample" "$build" >/dev/null

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
[ "${1:-}" = unpack ] || ORVEX_BENCH_SAMPLE=$(timeout 60 winepath -w "$sample") \
  timeout $((120 * runs + 300)) wine "$build/bin/bench_runner.exe" "$bin" 'C:\orvex-bench' "$runs" \
  "$@" </dev/null
[ $# = 0 ] || [ "$1" = unpack ] || exit 0

# Packages, measured here and under Wine in the same run.
work="$wine_dir/packages"
rm -rf "$work"
mkdir -p "$work/mixed" "$work/big"
# Deterministic bytes of three kinds: text (C headers), noise (AES-CTR of zeros), Windows programs.
# Each source is cut short by head, which its writer sees as a broken pipe.
text() { cat /usr/include/*.h /usr/include/*/*.h 2>/dev/null | head -c "$1" || true; }
noise() {
  openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 0 -nosalt </dev/zero 2>/dev/null |
    head -c "$1" || true
}
programs() { cat /usr/lib/i386-linux-gnu/wine/i386-windows/*.dll 2>/dev/null | head -c "$1" || true; }
# A product folder: Setup.exe (or a stand-in), the sample's licence and logo, and one item per
# other file.
product() {
  local folder="$1" setup="$2" items=() i=0 file
  cp "$setup" "$folder/Setup.exe"
  cp "$root/samples/acme-reader/Licence.txt" "$root/samples/acme-reader/Logo.bmp" "$folder"/
  for file in "$folder"/*; do
    case "${file##*/}" in Setup.exe|Licence.txt|Logo.bmp) continue ;; esac
    i=$((i + 1))
    items+=("CopyFile$i=$((($(stat -c %s "$file") + 1023) / 1024));%DEST_PATH%\\${file##*/}")
  done
  printf '%s\r\n' "[General]" "Company=Orvex Bench" "Application=Package" "Components=Main" \
    "[Main]" "Name=Main" "${items[@]}" > "$folder/Setup.ini"
}
pack() {
  timeout 1200 wine "$build/bin/SetupCheck.exe" --pack "$(winepath -w "$2")" "$(winepath -w "$1")" \
    >/dev/null || [ $? = 1 ] || { echo "bench: packing $1 failed" >&2; exit 1; }
}
# Where the package data starts: the end of the starter's last section.
data_at() {
  i686-w64-mingw32-objdump -h "$1" |
    awk '$2 ~ /^[.]/ { print $6, $3 }' | while read -r at size; do echo $((0x$at + 0x$size)); done |
    sort -n | tail -1
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

text 4194304 > "$work/mixed/Text.txt"
noise 4194304 > "$work/mixed/Noise.bin"
programs 4194304 > "$work/mixed/Programs.dll"
product "$work/mixed" "$build/bin/Setup.exe"
pack "$work/mixed" "$work/mixed.exe"
package_bytes=$(stat -c %s "$work/mixed.exe")
starter_bytes=$(data_at "$work/mixed.exe")
data_bytes=$((package_bytes - starter_bytes))
xz_bytes=$(cat "$work/mixed"/* | xz --format=lzma -9e | wc -c)
icon_bytes=$(($(stat -c %s "$build/bin/PackageStarter.exe") - $(stat -c %s "$build/bin/PackageStarterWithoutIcon.exe")))

{ text 14000000; noise 13000000; programs 14943040; } > "$work/big/Big.bin"
# The stand-in installer ends at once: only unpacking is measured.
product "$work/big" "$build/bin/plain_files.exe"
pack "$work/big" "$work/big.exe"
xz --format=lzma -9e -c "$work/big/Big.bin" > "$work/big.lzma"
unpack=() unxz=()
for _ in $(seq "$runs"); do
  unpack+=("$(seconds timeout 600 wine "$work/big.exe" /S)")
  unxz+=("$(seconds sh -c "xz -d --format=lzma -c '$work/big.lzma' > '$work/big.out'")")
done
rm -f "$work/big.out"
m_unpack=$(printf '%s\n' "${unpack[@]}" | median)
m_unxz=$(printf '%s\n' "${unxz[@]}" | median)

printf '| Package of %s bytes of text, noise and programs: its data (xz --format=lzma -9e of the files) | %s bytes | %s bytes | %.3f | at most 1.03 |\n' \
  "$(cat "$work/mixed"/* | wc -c)" "$data_bytes" "$xz_bytes" "$(ratio "$data_bytes" "$xz_bytes")"
printf '| The starter: the package less its data and signature (without its icon) | %s bytes | %s bytes | | |\n' \
  "$starter_bytes" "$((starter_bytes - icon_bytes))"
printf '| Unpacking a 40 MB file: the package run to its end (xz -d of its LZMA stream), speed | %.0f ms | %.0f ms | %.2f | at least 0.9 |\n' \
  "$(ratio "$m_unpack" 0.001)" "$(ratio "$m_unxz" 0.001)" "$(ratio "$m_unxz" "$m_unpack")"
rm -rf "$work" "$sample"
