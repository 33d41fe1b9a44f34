#!/bin/bash
# Packs a product folder into one program file that installs it, with SetupCheck.exe --pack under
# Wine, and signs it on request.
#
# Usage: pack-product.sh <product folder> --out <package.exe> [--cert F.p12 [--password-file F]
#                        [--timestamp URL]]
#   --out            the package to write; a file already there is replaced only by a complete one
#   --cert, --password-file, --timestamp
#                    as for sign-product.sh: the Setup.exe that goes into the package is signed
#                    first (in a scratch copy; the vendor's folder is never written), the package
#                    after packing
#
# The folder is checked as check-product.sh checks it; the package holds only the files its
# Setup.ini needs. Exit code: 0 written; 1 written, and the check has warnings; 2 nothing written
# (a check error, a write failure or wrong arguments); 3 signing failed (nothing written).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"

usage() {
  sed -n '4,12p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

[ $# -ge 1 ] || usage
folder="$1"
shift
out= sign_options=()
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$1" in
    --out) out="$2" ;;
    --cert|--password-file|--timestamp) sign_options+=("$1" "$2") ;;
    *) usage ;;
  esac
  shift 2
done
[ -n "$out" ] || usage
[ -d "$folder" ] && [ -f "$folder/Setup.ini" ] ||
  { echo "$folder is not a product folder (no Setup.ini)" >&2; exit 2; }
[ -d "$(dirname "$out")" ] || { echo "the folder of $out does not exist" >&2; exit 2; }
if [ ${#sign_options[@]} -gt 0 ]; then
  printf '%s\n' "${sign_options[@]}" | grep -qx -- --cert || usage
fi
folder=$(cd "$folder" && pwd)
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
product="$scratch/product"
mkdir "$product"
cp -r "$folder"/. "$product"/
if [ ${#sign_options[@]} -gt 0 ]; then
  "$root/scripts/sign-product.sh" "$product" "${sign_options[@]}" | sed "s|^$product/||" || exit 3
fi

status=0
package_win="Z:${scratch//\//\\}\\package.exe"
# SetupCheck.exe names the scratch copy as Windows sees it; the vendor knows the folder.
ORVEX_BUILD_DIR="$build" "$root/scripts/check-product.sh" "$product" --pack "$package_win" |
  sed -e "s|Z:${product//\//\\\\}|$folder|g" -e "s|Z:${scratch//\//\\\\}\\\\package.exe|$out|" ||
  status=$?
[ "$status" -le 1 ] && [ -f "$scratch/package.exe" ] || exit 2

signature=
if [ ${#sign_options[@]} -gt 0 ]; then
  signature=$("$root/scripts/sign-product.sh" "$product" --file "$scratch/package.exe" \
                "${sign_options[@]}") || { echo "nothing written to $out" >&2; exit 3; }
  signature=", ${signature#"$scratch/package.exe: "}"
fi
# The last step is a rename on the output's own drive: the output is the old file or the new.
cp "$scratch/package.exe" "$out.part"
mv "$out.part" "$out"
echo "$out: $(stat -c %s "$out") bytes$signature"
exit "$status"
