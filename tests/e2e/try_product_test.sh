#!/bin/bash
# try-product.sh end to end. Usage: try_product_test.sh <build folder> sample|leftover|silent|recipe
#   sample:   the sample in a 32-bit prefix: exit code 0 and a complete report, all of it on the
#             console, naming the vendor's folder rather than the scratch copy.
#   silent:   the sample unattended, two components and a user chosen: both exit codes 0, and
#             the closing line names the files written, no pictures among them.
#   recipe:   not try-product.sh but the vendor guide's HotSync recipe, as written, with a package
#             of the sample in a prefix of its own: exit code 0 and the Palm files queued.
#   leftover: a product whose COM server keeps its registration on removal and whose first run
#             fills the destination: a non-zero exit code, both leftovers named, and a file in
#             the system folder listed once although WOW64 shows it under two names.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$1"
case_name="$2"
work="$build/try-tests/$case_name"
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }

if [ "$case_name" = sample ]; then
  "$root/scripts/sample-product.sh" "$work/acme-reader" "$build"
  "$root/scripts/try-product.sh" "$work/acme-reader" --prefix 32 --out "$work/out" \
    > "$work/console.txt" || fail "try-product.sh ended with $?"
  report="$work/out/report.txt"
  missing=$(grep -vxF -f "$work/console.txt" "$report" || true)
  [ -z "$missing" ] || fail "the console lacks these lines of the report: $missing"
  ! grep -qiF 'Z:\' "$report" || fail "the report names a path as Wine sees it: $(grep -iF 'Z:\' "$report")"
  for part in "try-product: $work/acme-reader" "$work/acme-reader: no findings" \
              "Trying $work/acme-reader (" "$work/out/01-licence.png" \
              "SetupCheck.exe:" "Files:" "Reader.exe  (131072 bytes)" "Folders:" \
              "Links:" "Acme Reader.lnk -> C:\\Program Files\\Acme\\Reader\\Reader.exe" \
              "Registry values:" "[UninstallString] = " "COM servers registered:" \
              "AcmeView.dll" "user Ann: Reader.prc" "File Copy: " "kept     C:\\windows\\Setup.exe" \
              "removed  every file" "RESULT: installed and uninstalled cleanly"; do
    grep -qF -- "$part" "$report" || fail "the report lacks: $part"
  done
  for picture in 01-licence 02-hotsync-user 03-components 04-finish 05-uninstall-question-1; do
    [ -s "$work/out/$picture.png" ] || fail "no picture $picture.png"
    grep -qF "$picture.png" "$work/out/report.html" || fail "report.html lacks $picture.png"
  done
elif [ "$case_name" = silent ]; then
  "$root/scripts/sample-product.sh" "$work/acme-reader" "$build"
  "$root/scripts/try-product.sh" "$work/acme-reader" --silent --components "Desktop;HandheldBooks" \
    --user Bob --out "$work/out" > "$work/console.txt" || fail "try-product.sh --silent ended with $?"
  written="Report: $work/out (report.txt, report.html and setup-record.txt, the record of /LOG)"
  grep -qxF "$written" "$work/console.txt" || fail "the console lacks: $written"
  report="$work/out/report.txt"
  for part in "Silent install: Setup.exe /S /COMPONENTS=\"Desktop;HandheldBooks\" /USER=\"Bob\"" \
              "windows  none" "user Bob: Aesop.pdb" "Uninstall through the registered QuietUninstallString" \
              "removed  every file" "Exit code: 0" "Exit codes: install 0, removal 0" \
              "RESULT: installed and uninstalled cleanly, unattended"; do
    grep -qF -- "$part" "$report" || fail "the report lacks: $part"
  done
  ! grep -qF "Guide.txt" "$report" || fail "a component that was not chosen was installed"
elif [ "$case_name" = recipe ]; then
  "$root/scripts/sample-product.sh" "$work/acme-reader" "$build"
  "$root/scripts/pack-product.sh" "$work/acme-reader" --out "$work/acme.exe" > /dev/null ||
    fail "pack-product.sh ended with $?"
  recipe=$(sed -n '/^    palm="\$WINEPREFIX/,/^$/s/^    //p' "$root/docs/vendor-guide.md")
  [ -n "$recipe" ] || fail "no HotSync recipe in the vendor guide"
  "$root/scripts/wine-prefix.sh" "$work/wine" 32
  . "$root/scripts/session.sh"
  trap 'orvex_stop_session; rm -rf "$work/wine"' EXIT
  orvex_start_session "$work/wine" 32
  # The recipe runs from the project's folder, where build/ is the build folder.
  mkdir "$work/project"
  ln -s "$build" "$work/project/build"
  output=$(cd "$work/project" && HOME="$work/wine/home" WINEPREFIX="$work/wine/prefix32" \
           WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d" product="$work/acme-reader" \
           setup="$work/acme.exe" timeout 600 bash -c "$recipe" 2>&1) || fail "the recipe: $output"
  for line in "exit code 0" Reader.prc Aesop.pdb Grimm.pdb; do
    grep -qxF "$line" <<< "$output" || fail "the recipe's output lacks $line: $output"
  done
else
  product="$work/keeper"
  mkdir -p "$product"
  cp "$root/samples/acme-reader/Licence.txt" "$root/samples/acme-reader/Logo.bmp" "$product"/
  cp "$build/bin/fakes/testcom/OrvexTestCom.dll" "$product/KeepView.dll"
  size=$(( ($(stat -c %s "$product/KeepView.dll") + 1023) / 1024 ))
  # Opened at the end as its read-me, it makes a data folder the uninstall knows nothing of.
  printf '%s\r\n' 'mkdir "%~dp0Data"' 'echo x> "%~dp0Data\Settings.txt"' > "$product/FirstRun.bat"
  echo note > "$product/KeepNote.txt"
  printf '%s\r\n' "[General]" "Company=Acme" "Application=Keeper" "Components=Main" \
    "ReadMe=%DEST_PATH%\\FirstRun.bat;Start Keeper" "[Main]" "Name=Keeper" \
    "CopyFile1=$size;%DEST_PATH%\\KeepView.dll;REGSERVICE" "CopyFile2=1;%SYSTEM%\\KeepNote.txt" \
    "CopyFile3=1;%DEST_PATH%\\FirstRun.bat" > "$product/Setup.ini"
  status=0
  "$root/scripts/try-product.sh" "$product" --out "$work/out" || status=$?
  [ "$status" != 0 ] || fail "try-product.sh passed a product that leaves its registration"
  report="$work/out/report.txt"
  for line in 'LEFT     value    HKCU\Software\OrvexTests\Registered\[C:\Program Files (x86)\Acme\Keeper\KeepView.dll]' \
              'LEFT     folder   C:\Program Files (x86)\Acme\Keeper'; do
    grep -qxF "  $line" "$report" || fail "the report lacks: $line"
  done
  listed=$(grep -cF 'KeepNote.txt  (' "$report" || true)
  [ "$listed" = 1 ] || fail "KeepNote.txt is listed $listed times among the files made"
fi
echo "passed"
