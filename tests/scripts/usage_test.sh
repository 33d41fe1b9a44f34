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
# deps.sh on a machine where another apt run holds the lists' lock for some tries, or for good:
# apt, dpkg and the rest are stand-ins that record the calls; sleep returns at once.
stubs="$work/stubs"
mkdir -p "$stubs"
stub() { printf '#!/bin/bash\n%s\n' "$2" > "$stubs/$1"; chmod +x "$stubs/$1"; }
stub apt-get 'echo "$*" >> "$APT_RECORD"
if [ "$1" = update ] && [ "$(grep -c "^update" "$APT_RECORD")" -le "$LOCKED_TRIES" ]; then
  echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 7 (apt-get)" >&2
  exit 100
fi'
stub dpkg-query 'exit 1'
stub id 'echo 0'
stub dpkg 'echo i386'
stub locale 'echo ja_JP.utf8'
stub sleep 'exit 0'
# locked tries, exit code, apt-get updates, what deps.sh says, install given the lock timeout
for case in "0 0 1 installing 1" "2 0 3 waiting 1" "99 100 61 after.ten.minutes 0"; do
  read -r locked code updates said installs <<< "$case"
  record="$work/apt-$locked.txt"
  : > "$record"
  status=0
  output=$(PATH="$stubs:$PATH" APT_RECORD="$record" LOCKED_TRIES="$locked" \
           timeout 60 bash "$root/scripts/deps.sh" 2>&1) || status=$?
  [ "$status" = "$code" ] || failures+=("deps.sh, locked $locked times: exit code $status")
  [ "$(grep -c '^update' "$record")" = "$updates" ] ||
    failures+=("deps.sh, locked $locked times: $(grep -c '^update' "$record") updates")
  grep -q "$said" <<< "$output" || failures+=("deps.sh, locked $locked times, did not say: $said")
  [ "$(grep -c '^install .*-o DPkg::Lock::Timeout=600 ' "$record")" = "$installs" ] ||
    failures+=("deps.sh, locked $locked times: install calls $(grep '^install' "$record")")
done

changed=$(diff <(echo "$before") <(snapshot) | head -n20 || true)
[ -z "$changed" ] || failures+=("the tree changed: $changed")
if [ ${#failures[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "passed: $(ls "$copy"/scripts | wc -l) scripts"
