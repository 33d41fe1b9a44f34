#!/bin/bash
# Builds Setup.exe and runs it on the sample product (samples/acme-reader) under Wine.
#
# The run uses a private Wine prefix and HOME under build/wine/sample, never ~/.wine. The prefix
# gets a simulated HotSync (stand-in libraries, users Ann and Bob) and ActiveSync (stand-in
# CEAppMgr.exe and wcesmgr.exe), and text documents open in a recorder instead of an editor.
#
# With a reachable display and a terminal on stdin, the wizard is yours to click through; then
# the script says where everything went and runs the uninstall entry for you to answer.
# Otherwise the wizard is walked automatically on a private virtual display: install, report,
# uninstall through the registered UninstallString, and a picture of every window in out/.
#
# ORVEX_PREFIX_KIND=32 takes a 32-bit prefix instead of the 64-bit one (WOW64) most users have.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"
kind="${ORVEX_PREFIX_KIND:-64}"
bin="$build/bin"
wine_dir="$build/wine/sample"
product="$build/sample/acme-reader"
out="$root/out"

# A Unix path as Windows programs in the prefix see it (drive Z: is the Unix root).
win_path() {
  local path="${1//\//\\}"
  printf 'Z:%s' "$path"
}

# Writes an INI file with Windows line ends.
write_ini() {
  local file="$1"; shift
  printf '%s\r\n' "$@" > "$file"
}

display_reachable() {
  [ -n "${DISPLAY:-}" ] && [ -t 0 ] && xdpyinfo >/dev/null 2>&1
}

assemble_product() {
  "$root/scripts/sample-product.sh" "$product" "$build"
}

# HotSync in C:\Program Files\Palm with the users Ann and Bob. The stand-in libraries read
# HotSyncFake.ini beside themselves, so the product folder gets a copy too.
prepare_hotsync() {
  local palm="$WINEPREFIX/drive_c/Program Files/Palm"
  local palm_win='C:\Program Files\Palm'
  mkdir -p "$palm/Queue/Ann" "$palm/Queue/Bob"
  rm -f "$palm"/Queue/*/* "$palm/calls.txt"
  cp "$bin"/fakes/hotsync/full/{CondMgr,UserData,InstAide}.dll "$palm"/
  : > "$palm/HotSync.exe"
  local ini=("[HotSync]" "ExecPath=$palm_win\\HotSync.exe" "Queue=$palm_win\\Queue"
             "Record=$palm_win\\calls.txt" "UserCount=2" "User0=Ann" "User1=Bob")
  write_ini "$palm/HotSyncFake.ini" "${ini[@]}"
  write_ini "$product/HotSyncFake.ini" "${ini[@]}"
}

# Writes a registry value where the 32-bit Setup.exe reads it (Wow6432Node in a 64-bit prefix).
reg_add() {
  timeout 120 wine reg add "$@" /reg:32 /f >/dev/null
}

prepare_activesync() {
  local folder="$WINEPREFIX/drive_c/Program Files/Microsoft ActiveSync"
  mkdir -p "$folder"
  cp "$bin/fakes/activesync/CEAppMgr.exe" "$bin/fakes/activesync/wcesmgr.exe" "$folder"/
  rm -f "$folder/wcesmgr.record"
  reg_add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\CEAppMgr.exe' /ve \
    /d 'C:\Program Files\Microsoft ActiveSync\CEAppMgr.exe'
}

# Text documents (the read-me) open in a recorder: notepad would keep the prefix running.
prepare_open_recorder() {
  local recorder
  recorder=$(win_path "$bin/fakes/wizardaids/openrecorder.exe")
  reg_add 'HKCR\.txt' /ve /d txtfile
  reg_add 'HKCR\txtfile\shell\open\command' /ve /d "\"$recorder\" \"%1\""
  rm -f "$build/sample/opened.txt"
  export ORVEX_OPEN_RECORD
  ORVEX_OPEN_RECORD=$(win_path "$build/sample/opened.txt")
}

start_wineserver() {
  stop_wineserver
  wineserver -p
  # The prefix's services start now rather than inside the first program.
  timeout 120 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wineserver() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  timeout 20 wineserver -w >/dev/null 2>&1 || true
}

run_by_hand() {
  echo "The wizard of the sample product opens on your display."
  (cd "$product" && wine Setup.exe) || true
  timeout 120 wine "$bin/sample_walker.exe" report "$(win_path "$product")" || return 0
  if [ -s "$build/sample/opened.txt" ]; then
    echo "The read-me was opened with: $(tr -d '\r' < "$build/sample/opened.txt")"
  fi
  echo
  read -r -p "Press Enter to run the uninstall entry (Ctrl-C keeps the product installed) "
  wine "$bin/sample_walker.exe" uninstall
}

run_walked() {
  rm -rf "$out"
  mkdir -p "$out"
  timeout 600 wine "$bin/sample_walker.exe" walk "$(win_path "$product")" "$(win_path "$out")"
  echo "Pictures of every page: $out"
}

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)" --target Setup orvex_test_programs sample_walker
"$root/scripts/wine-prefix.sh" "$wine_dir" "$kind"

export WINEPREFIX="$wine_dir/prefix$kind" HOME="$wine_dir/home" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

if display_reachable; then
  trap stop_wineserver EXIT
  trap 'exit 130' INT TERM
  start_wineserver
  by_hand=true
else
  . "$root/scripts/session.sh"
  trap orvex_stop_session EXIT
  trap 'exit 130' INT TERM
  orvex_start_session "$wine_dir" "$kind"
  by_hand=false
fi

assemble_product
prepare_hotsync
prepare_activesync
prepare_open_recorder

if $by_hand; then
  run_by_hand
else
  run_walked
fi
