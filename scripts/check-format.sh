#!/bin/sh
# Fails when a C or C++ source below src/, tests/ or bench/ of the given checkout differs from what
# clang-format makes of it under the checkout's .clang-format.
set -eu
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: check-format.sh <checkout folder>" >&2
  exit 2
fi
root="$1"
cd "$root"
files=$(find src tests bench \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -type f | sort)
[ -n "$files" ] || { echo "no sources found below $root" >&2; exit 1; }
# shellcheck disable=SC2086
exec clang-format --style=file --dry-run --Werror $files
