#!/bin/bash
# Every script under scripts/ answers --help and a wrong argument with its usage and exit code 2
# before it touches a file: each runs in a throw-away copy of the tree (its build folder, HOME
# and working folder inside it), which must be unchanged afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copy="$work/tree"
mkdir -p "$copy/home"
tar -C "$root" --exclude=./build --exclude=./out --exclude=./.git -cf - . | tar -C "$copy" -xf -

snapshot() {
  (cd "$copy" && find . -printf '%p %y %s %T@ %m\n' | sort)
}
before=$(snapshot)
failures=()
for script in "$copy"/scripts/*; do
  name=$(basename "$script")
  case "$name" in
    *.py) interpreter=python3 ;;
    *) [ "$(head -c 9 "$script")" = '#!/bin/sh' ] && interpreter=sh || interpreter=bash ;;
  esac
  for argument in --help --no-such-option; do
    status=0
    output=$(cd "$copy" && HOME="$copy/home" ORVEX_BUILD_DIR="$copy/build" \
             timeout 60 "$interpreter" "$script" "$argument" 2>&1 </dev/null) || status=$?
    [ "$status" = 2 ] || failures+=("$name $argument: exit code $status")
    grep -qiE "usage:.*${name%.in}" <<< "$output" ||
      failures+=("$name $argument: no usage in: $(head -n5 <<< "$output")")
  done
done
changed=$(diff <(echo "$before") <(snapshot) | head -n20 || true)
[ -z "$changed" ] || failures+=("the tree changed: $changed")
if [ ${#failures[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "passed: $(ls "$copy"/scripts | wc -l) scripts"
