#!/bin/bash
# Builds Setup.exe, its tests and their stand-ins, and runs every test under Wine.
# On a fresh Debian 12 machine (as root) it first installs what it needs.
# Extra arguments go to ctest (for instance -R script_tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"

usage() {
  echo "usage: test.sh [ctest options] (for instance -R script_tests; a gtest filter goes" \
       "through GTEST_FILTER)" >&2
  exit 2
}
# ctest passes over an option it does not know and then runs every test: such an option is
# refused here, before anything is built, by the option names ctest's own help lists.
check_arguments() {
  local known argument name
  known=$(ctest --help | grep -E '^  -' | grep -oE -- '(^|[ ,])-{1,2}[A-Za-z][-A-Za-z]*' |
          sed 's/^[ ,]//')
  for argument in "$@"; do
    case "$argument" in
      -*)
        name="${argument%%=*}"
        # A short option may carry its value (-j2).
        grep -qxF -- "$name" <<< "$known" || grep -qxF -- "${name:0:2}" <<< "$known" || usage ;;
    esac
  done
}
for argument in "$@"; do
  case "$argument" in
    --help | -h | -help | -usage) usage ;;
  esac
done
# On a fresh machine ctest comes with what deps.sh installs.
if command -v ctest >/dev/null; then check_arguments "$@"; fi

"$root/scripts/deps.sh"
check_arguments "$@"
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
