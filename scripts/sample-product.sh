#!/bin/bash
# Assembles the sample product folder: samples/acme-reader with Setup.exe and the built files it
# names (Reader.exe, two COM servers, the packaged CondMgr.dll), and the project's language files
# (languages/Setup.*.lng).
# Usage: sample-product.sh <destination folder> [build folder]
#   destination  made anew: an earlier assembly there is replaced; any other folder is refused
#   build folder where Setup.exe and the stand-ins were built (default: $ORVEX_BUILD_DIR, else
#                build/ of this project; scripts/test.sh or scripts/run-sample.sh builds them)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  sed -n '5,8p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

[ $# -ge 1 ] && [ $# -le 2 ] || usage
for argument in "$@"; do
  [ -n "$argument" ] && [ "${argument#-}" = "$argument" ] || usage
done
product="$1"
build="${2:-${ORVEX_BUILD_DIR:-$root/build}}"
bin="$build/bin"
if [ ! -f "$bin/Setup.exe" ] || [ ! -f "$bin/fakes/sample/Reader.exe" ]; then
  echo "$build holds no built Setup.exe and stand-ins: build first (scripts/test.sh)" >&2
  exit 2
fi
# The destination is deleted first, so it must be empty or an earlier assembly.
if [ -e "$product" ] && { [ ! -d "$product" ] || [ -n "$(ls -A "$product")" ]; } &&
   { [ ! -f "$product/Setup.ini" ] || [ ! -f "$product/Reader.exe" ]; }; then
  echo "$product is neither empty nor an earlier assembly of the sample: not replaced" >&2
  exit 2
fi

# A real product's files have the sizes its script gives; the stand-ins are padded to them
# (bytes after a program's last section are never loaded).
pad_to() {
  local file="$1" size=$(($2 * 1024))
  if [ "$(stat -c %s "$file")" -gt "$size" ]; then
    echo "$file is larger than the $2 K the sample gives it" >&2
    return 0
  fi
  truncate -s "$size" "$file"
}

rm -rf "$product"
mkdir -p "$product"
cp "$root"/samples/acme-reader/* "$product"/
cp "$bin/Setup.exe" "$bin/fakes/sample/Reader.exe" "$product"/
for language in "$root"/languages/Setup.*.lng; do
  [ ! -f "$language" ] || cp "$language" "$product"/
done
# The sample's two COM servers are copies of the test server, which records its registration.
cp "$bin/fakes/testcom/OrvexTestCom.dll" "$product/AcmeView.dll"
cp "$bin/fakes/testcom/OrvexTestCom.dll" "$product/AcmeSync.dll"
# The copy of HotSync's Conduit Manager that a product with Palm files packages.
cp "$bin/fakes/hotsync/full/CondMgr.dll" "$product"/
pad_to "$product/Reader.exe" 128
pad_to "$product/AcmeView.dll" 96
pad_to "$product/AcmeSync.dll" 96
