#!/bin/bash
# Assembles the sample product folder: samples/acme-reader with Setup.exe and the built files it
# names (Reader.exe, two COM servers, the packaged CondMgr.dll).
# Usage: sample-product.sh <destination folder> [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
product="$1"
build="${2:-${ORVEX_BUILD_DIR:-$root/build}}"
bin="$build/bin"

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
# The sample's two COM servers are copies of the test server, which records its registration.
cp "$bin/fakes/testcom/OrvexTestCom.dll" "$product/AcmeView.dll"
cp "$bin/fakes/testcom/OrvexTestCom.dll" "$product/AcmeSync.dll"
# The copy of HotSync's Conduit Manager that a product with Palm files packages.
cp "$bin/fakes/hotsync/full/CondMgr.dll" "$product"/
pad_to "$product/Reader.exe" 128
pad_to "$product/AcmeView.dll" 96
pad_to "$product/AcmeSync.dll" 96
