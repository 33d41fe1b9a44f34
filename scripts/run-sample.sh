#!/bin/bash
# Tries the sample product (samples/acme-reader) under Wine: scripts/try-product.sh on the sample
# as scripts/sample-product.sh assembles it. Arguments go to try-product.sh (--prefix 32 for a
# 32-bit Windows, --components, --user, --out, --lang); ORVEX_PREFIX_KIND=32 does the same as
# --prefix 32.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"

usage() {
  echo "usage: run-sample.sh [--prefix 32|64] [--components \"A;B\"] [--user NAME]" \
       "[--out FOLDER] [--lang TAG] [--silent]" >&2
  exit 2
}
# try-product.sh checks them too, but only after the build and the sample's assembly.
arguments=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --silent) shift ;;
    --prefix) [ $# -ge 2 ] && { [ "$2" = 32 ] || [ "$2" = 64 ]; } || usage; shift 2 ;;
    --components | --user | --out | --lang) [ $# -ge 2 ] || usage; shift 2 ;;
    *) usage ;;
  esac
done
set -- ${arguments[@]+"${arguments[@]}"}

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)" --target Setup SetupCheck orvex_test_programs product_walker \
  >/dev/null
"$root/scripts/sample-product.sh" "$build/sample/acme-reader" "$build"
exec "$root/scripts/try-product.sh" "$build/sample/acme-reader" --prefix "${ORVEX_PREFIX_KIND:-64}" \
  --out "$root/out" "$@"
