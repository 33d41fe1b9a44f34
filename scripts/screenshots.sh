#!/bin/bash
# Regenerates the README's pictures (docs/images/) from the sample product: the four wizard pages
# and the uninstall progress window, as try-product.sh takes them in a 64-bit prefix, and the
# licence and components pages on a German and a Japanese Windows (licence-de.png ...).
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "usage: screenshots.sh (no arguments)" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"
shots="$build/screenshots-run"
rm -rf "$shots"
"$root/scripts/run-sample.sh" --out "$shots" >/dev/null
images="$root/docs/images"
mkdir -p "$images"
for page in licence hotsync-user components finish; do
  cp "$shots"/[0-9][0-9]-"$page".png "$images/$page.png"
done
# The window at its busiest stage; any stage it was seen in when that one was too quick.
progress=$(ls "$shots"/[0-9][0-9]-uninstall-deleting-files.png 2>/dev/null ||
           ls "$shots"/[0-9][0-9]-uninstall-*.png | grep -v question | head -n1)
cp "$progress" "$images/uninstall.png"
for lang in de ja; do
  rm -rf "$shots-$lang"
  "$root/scripts/run-sample.sh" --out "$shots-$lang" --lang "$lang" >/dev/null
  for page in licence components; do
    cp "$shots-$lang"/[0-9][0-9]-"$page".png "$images/$page-$lang.png"
  done
done
# The pictures are taken uncompressed; committed, they are squeezed.
for picture in "$images"/*.png; do
  convert "$picture" -strip -define png:compression-level=9 "$picture"
done
echo "Pictures in $images: $(cd "$images" && echo *.png)"
