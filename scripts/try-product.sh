#!/bin/bash
# Tries a product folder or package under Wine: checks it, installs it through its wizard, reports
# what the install made, uninstalls it through its uninstall entry and reports whatever is left.
#
# Usage: try-product.sh <product folder | package.exe> [--components "A;B"] [--user NAME]
#                       [--prefix 32|64] [--out FOLDER] [--lang TAG] [--silent]
#   --components  the components to install, by the names the wizard shows (default: as offered)
#   --user        the HotSync user to choose (default: the one the wizard offers); the simulated
#                 HotSync has the users Ann and Bob, and this one too
#   --prefix      a 64-bit Windows (WOW64, the default) or a 32-bit one
#   --out         where the report goes (default: out/<product>-<prefix> of this project)
#   --lang        the run on a Windows of that language (de, ja, pt-BR ...): the locale gives the
#                 user's language and code page, so Setup.<TAG>.lng speaks, pictures included
#   --silent      unattended: Setup.exe /S with /COMPONENTS (section names here) and /USER, then
#                 the removal through the registered QuietUninstallString; both exit codes are
#                 reported, and the record of /LOG goes to the output folder
#
# The vendor's folder is never written: the run works on a scratch copy (a Setup.exe of this
# build is added when the folder has none). SetupCheck.exe checks the copy first and the run
# stops on an error. A package (made by pack-product.sh) is run as the user would run it, from a
# scratch copy; the report gives its size and signer instead of the check. Each try gets a new
# private Wine prefix and HOME (build/wine/try-run), with a simulated HotSync and ActiveSync;
# documents opened at the end go to a recorder. The output folder gets report.txt, report.html
# and a picture of every page and of the uninstall window; with --silent, which shows no window,
# the run's record (setup-record.txt) instead of pictures.
# Exit code: 0 when the install succeeded and nothing was left behind; 1 otherwise; 2 when the
# check found an error or the arguments are wrong.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ORVEX_BUILD_DIR:-$root/build}"
bin="$build/bin"

usage() {
  sed -n '4,15p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

[ $# -ge 1 ] || usage
source_folder="$1"
[ "${source_folder#-}" = "$source_folder" ] || usage
shift
package=
if [ -f "$source_folder" ]; then
  package="$(cd "$(dirname "$source_folder")" && pwd)/$(basename "$source_folder")"
  source_folder=$(dirname "$package")
else
  [ -d "$source_folder" ] && [ -f "$source_folder/Setup.ini" ] || {
    echo "$source_folder is neither a package nor a product folder (no Setup.ini)" >&2
    exit 2
  }
  source_folder=$(cd "$source_folder" && pwd)
fi
# --silent takes no value: it is taken out before the options that do.
silent=false
rest=()
for option in "$@"; do
  if [ "$option" = --silent ]; then silent=true; else rest+=("$option"); fi
done
set -- ${rest[@]+"${rest[@]}"}
components= components_given=false user= kind=64 out= lang=
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$1" in
    --components) components="$2"; components_given=true ;;
    --user) user="$2" ;;
    --prefix) kind="$2"; [ "$kind" = 32 ] || [ "$kind" = 64 ] || usage ;;
    --out) out="$2" ;;
    --lang) lang="$2"; [[ "$lang" =~ ^[A-Za-z]{2,3}(-[A-Za-z]{2})?$ ]] || usage ;;
    *) usage ;;
  esac
  shift 2
done
name=$(basename "${package:-$source_folder}" .exe)
out="${out:-$root/out/$name-prefix$kind}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
template_dir="$build/wine/try"
wine_dir="$build/wine/try-run"
product="$build/try/$name-prefix$kind"

# A Unix path as Windows programs in the prefix see it (drive Z: is the Unix root).
win_path() {
  local path="${1//\//\\}"
  printf 'Z:%s' "$path"
}

# The report names the vendor's folder and the output folder as the vendor knows them, not as
# the Windows programs saw the scratch copy (Z:\...\build\try\...).
vendor_paths() {
  local package_map=()
  [ -z "$package" ] || package_map=("$(win_path "$product.exe")" "$package")
  perl -pe 'BEGIN { $| = 1; @map = splice(@ARGV, 0) }
    for ($i = 0; $i < @map; $i += 2) {
      my ($from, $to) = @map[$i, $i + 1];
      s{\Q$from\E((?:\\[^\\\s"]+)*)}{ my $rest = $1; $rest =~ tr|\\|/|; "$to$rest" }gie;
    }' ${package_map[@]+"${package_map[@]}"} "$(win_path "$product")" "$source_folder" \
      "$(win_path "$out")" "$out"
}

write_ini() {
  local file="$1"; shift
  printf '%s\r\n' "$@" > "$file"
}

reg_add() {
  timeout 120 wine reg add "$@" /reg:32 /f >/dev/null
}

# HotSync in C:\Program Files\Palm. The stand-in libraries read HotSyncFake.ini beside
# themselves, or else the one there.
prepare_hotsync() {
  local palm="$WINEPREFIX/drive_c/Program Files/Palm"
  local palm_win='C:\Program Files\Palm'
  local users=(Ann Bob)
  if [ -n "$user" ] && [ "$user" != Ann ] && [ "$user" != Bob ]; then users+=("$user"); fi
  rm -rf "$palm/Queue"
  local ini=("[HotSync]" "ExecPath=$palm_win\\HotSync.exe" "Queue=$palm_win\\Queue"
             "Record=$palm_win\\calls.txt" "UserCount=${#users[@]}")
  local i
  for i in "${!users[@]}"; do
    mkdir -p "$palm/Queue/${users[$i]}"
    ini+=("User$i=${users[$i]}")
  done
  rm -f "$palm/calls.txt"
  cp "$bin"/fakes/hotsync/full/{CondMgr,UserData,InstAide}.dll "$palm"/ 2>/dev/null ||
    { mkdir -p "$palm"; cp "$bin"/fakes/hotsync/full/{CondMgr,UserData,InstAide}.dll "$palm"/; }
  : > "$palm/HotSync.exe"
  write_ini "$palm/HotSyncFake.ini" "${ini[@]}"
  write_ini "$product/HotSyncFake.ini" "${ini[@]}"
}

prepare_activesync() {
  local folder="$WINEPREFIX/drive_c/Program Files/Microsoft ActiveSync"
  mkdir -p "$folder"
  cp "$bin/fakes/activesync/CEAppMgr.exe" "$bin/fakes/activesync/wcesmgr.exe" "$folder"/
  rm -f "$folder/wcesmgr.record"
  reg_add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\CEAppMgr.exe' /ve \
    /d 'C:\Program Files\Microsoft ActiveSync\CEAppMgr.exe'
}

# Documents open in a recorder: an editor or browser would keep the prefix running.
prepare_open_recorder() {
  local recorder type
  recorder=$(win_path "$bin/fakes/wizardaids/openrecorder.exe")
  for type in txt htm html rtf pdf doc; do
    reg_add "HKCR\\.$type" /ve /d "orvextry.$type"
    reg_add "HKCR\\orvextry.$type\\shell\\open\\command" /ve /d "\"$recorder\" \"%1\""
  done
  rm -f "$build/try/opened.txt"
  export ORVEX_OPEN_RECORD
  ORVEX_OPEN_RECORD=$(win_path "$build/try/opened.txt")
}

html_escape() {
  sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g'
}

write_html() {
  {
    echo "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>$name: try-product</title>"
    echo "<style>body{font-family:sans-serif}pre{background:#f4f4f4;padding:8px}"
    echo "figure{display:inline-block;margin:8px;vertical-align:top}</style></head><body>"
    echo "<h1>$(printf '%s' "$name" | html_escape) in a ${kind}-bit Windows prefix</h1>"
    echo "<pre>"
    html_escape < "$out/report.txt"
    echo "</pre>"
    local picture heading="<h2>Pictures</h2>"
    for picture in "$out"/*.png; do
      [ -e "$picture" ] || continue
      [ -z "$heading" ] || echo "$heading"
      heading=
      picture=$(basename "$picture")
      echo "<figure><img src=\"$picture\" alt=\"$picture\"><figcaption>$picture</figcaption></figure>"
    done
    echo "</body></html>"
  } > "$out/report.html"
}

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)" --target Setup SetupCheck orvex_test_programs product_walker \
  >/dev/null
"$root/scripts/wine-prefix.sh" "$template_dir" "$kind"

# Every try starts from a copy of a new prefix, so that no earlier try shows in the report.
. "$root/scripts/session.sh"
orvex_end_wineserver "$wine_dir" "$kind"
rm -rf "$wine_dir/prefix$kind" "$wine_dir/home"
mkdir -p "$wine_dir/home"
cp -a "$template_dir/prefix$kind" "$wine_dir/prefix$kind"
# The user's folders of a new prefix are links into HOME, all to the same place; on Windows
# they are folders of their own.
for link in "$wine_dir/prefix$kind"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
done

rm -rf "$product" "$product.exe" "$out"/*.png "$out/report.txt" "$out/report.html" "$out/setup-record.txt"
mkdir -p "$product"
note=
if [ -n "$package" ]; then
  # The folder holds only the simulated HotSync's configuration; the package is beside it.
  cp "$package" "$product.exe"
elif cp -r "$source_folder"/. "$product"/ && [ ! -f "$product/Setup.exe" ]; then
  cp "$bin/Setup.exe" "$product"/
  note="(the folder has no Setup.exe: this build's was added to the copy)"
fi

# Wine takes the user's language and the ANSI code page from the locale: de is de_DE, pt-BR
# pt_BR; a language whose country code differs from it is named here. A locale the system lacks
# is made privately from Debian's sources.
if [ -n "$lang" ]; then
  base="${lang%%-*}" country=
  [ "$lang" = "$base" ] || country="${lang#*-}"
  if [ -z "$country" ]; then
    case "${base,,}" in
      en) country=US ;; ja) country=JP ;; ko) country=KR ;; sv) country=SE ;; da) country=DK ;;
      nb) country=NO ;; cs) country=CZ ;; zh) country=CN ;; *) country="$base" ;;
    esac
  fi
  locale="${base,,}_${country^^}"
  if ! LC_ALL="$locale.UTF-8" locale -k charmap 2>/dev/null | grep -q UTF-8; then
    mkdir -p "$build/try/locales"
    [ -d "$build/try/locales/$locale.UTF-8" ] ||
      localedef -i "$locale" -f UTF-8 "$build/try/locales/$locale.UTF-8" >/dev/null 2>&1 || true
    [ -d "$build/try/locales/$locale.UTF-8" ] || { echo "no locale $locale for --lang $lang" >&2; exit 2; }
    export LOCPATH="$build/try/locales"
  fi
  export LC_ALL="$locale.UTF-8"
fi
export WINEPREFIX="$wine_dir/prefix$kind" HOME="$wine_dir/home" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
trap orvex_stop_session EXIT
trap 'exit 130' INT TERM
orvex_start_session "$wine_dir" "$kind"

. "$root/scripts/authenticode.sh"
if [ -n "$package" ]; then
  {
    echo "try-product: $package"
    echo
    echo "Package: $(stat -c %s "$package") bytes"
    echo "Package signature: $(orvex_describe_signature "$package" || true)"
    echo
  } | tee "$out/report.txt"
else
  {
    echo "try-product: $source_folder $note"
    echo
    echo "SetupCheck.exe:"
  } | tee "$out/report.txt"
  check_status=0
  timeout 120 wine "$bin/SetupCheck.exe" "$(win_path "$product")" | sed -u 's/\r$//' |
    sed 's/^/  /' | vendor_paths | tee -a "$out/report.txt" || check_status=$?
  if [ "$check_status" -ge 2 ]; then
    echo "The check found errors: fix them first (nothing was installed)." | tee -a "$out/report.txt"
    write_html
    echo "Report: $out"
    exit 2
  fi
  echo | tee -a "$out/report.txt"

  # Signature: whether Setup.exe carries an Authenticode signature, and whose (read on Linux).
  signature=$(orvex_describe_signature "$product/Setup.exe") || true
  { echo "Setup.exe signature: $signature"; echo; } | tee -a "$out/report.txt"
fi

prepare_hotsync
prepare_activesync
prepare_open_recorder
# A Japanese Windows shows dialogs made for MS Sans Serif, and its captions, in MS UI Gothic,
# which Wine lacks: left alone, Wine takes the first face it finds with the Japanese characters,
# fixed-width or without Latin letters. IPA PGothic (deps.sh) is proportional as MS UI Gothic is.
if [ "${lang,,}" = ja ]; then
  reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /d "IPAPGothic"
  timeout 120 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v "MS Sans Serif" /d "MS UI Gothic" /f >/dev/null
fi

walk=("$bin/product_walker.exe" walk "$(win_path "$product")" "$(win_path "$out")")
if $silent; then
  walk[1]=silent
fi
[ -n "$user" ] && walk+=(--user "$user")
if [ -n "$package" ]; then
  walk+=(--package "$(win_path "$product.exe")")
fi
$components_given && walk+=(--components "$components")
status=0
timeout 900 wine "${walk[@]}" | sed -u 's/\r$//' | vendor_paths | tee -a "$out/report.txt" ||
  status=$?
if [ -s "$build/try/opened.txt" ]; then
  echo "Documents opened at the end: $(tr -d '\r' < "$build/try/opened.txt" | tr '\n' ' ')" |
    tee -a "$out/report.txt"
fi
[ "$status" = 124 ] && echo "The walk did not end in time." | tee -a "$out/report.txt"
write_html
written="report.txt, report.html"
pictures=$(find "$out" -maxdepth 1 -name '*.png' | wc -l)
[ "$pictures" = 0 ] || written+=" and $pictures pictures"
[ ! -f "$out/setup-record.txt" ] || written+=" and setup-record.txt, the record of /LOG"
echo
echo "Report: $out ($written)"
exit "$status"
