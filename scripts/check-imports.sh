#!/bin/sh
# Fails unless the given program is a 32-bit (i386) Windows GUI program (a console program with
# --console) whose imports all come from the libraries that every 32-bit Windows has (from those
# named with --libraries "A.DLL B.DLL" only). --most N: its code and data (every section but the
# resources and relocations) also take at most N bytes. --file-most N: the file takes at most N
# bytes.
set -eu
usage() {
  echo "usage: check-imports.sh [--console] [--libraries \"A.DLL B.DLL\"] [--most N]" \
       "[--file-most N] <program.exe>" >&2
  exit 2
}
most=
file_most=
subsystem=00000002 kind=GUI
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL SHELL32.DLL OLE32.DLL COMCTL32.DLL MSVCRT.DLL "
while [ $# -gt 1 ]; do
  case "$1" in
    --console) subsystem=00000003 kind=console; shift ;;
    --libraries) allowed=" $2 "; shift 2 ;;
    --most) most="$2"; shift 2 ;;
    --file-most) file_most="$2"; shift 2 ;;
    *) break ;;
  esac
done
[ $# -eq 1 ] && [ -f "$1" ] || usage
exe="$1"
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "cannot read $exe" >&2; exit 1; }
status=0
echo "$dump" | grep -q 'file format pei-i386' || { echo "$exe: not a PE32 i386 image" >&2; status=1; }
echo "$dump" | grep -Eq "^Subsystem[[:space:]]+$subsystem" || { echo "$exe: not a $kind program" >&2; status=1; }
dlls=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr '[:lower:]' '[:upper:]' | tr -d '\r')
[ -n "$dlls" ] || { echo "$exe: no imports found" >&2; status=1; }
for dll in $dlls; do
  case "$allowed" in
    *" $dll "*) ;;
    *) echo "$exe: imports from $dll" >&2; status=1 ;;
  esac
done
# Functions that Windows 95/98/Me (and some of them XP) lack; the threading runtime behind C++
# exception support brings in the first two.
functions=$(echo "$dump" | awk '/DLL Name/ {inside=1} inside && /^\t[0-9a-f]+\t/ {print $3}')
for missing in GetTickCount64 AddVectoredExceptionHandler GetFileSizeEx SetFilePointerEx \
               GetModuleHandleExA InitializeCriticalSectionAndSpinCount; do
  if echo "$functions" | grep -qx "$missing"; then
    echo "$exe: imports $missing, which older Windows lacks" >&2
    status=1
  fi
done
if [ -n "$most" ]; then
  bytes=0
  for size in $(i686-w64-mingw32-objdump -h "$exe" |
                awk '$2 ~ /^[.]/ && $2 != ".rsrc" && $2 != ".reloc" { print $3 }'); do
    bytes=$((bytes + 0x$size))
  done
  echo "$exe: code and data $bytes bytes (at most $most)"
  [ "$bytes" -le "$most" ] || status=1
fi
if [ -n "$file_most" ]; then
  bytes=$(wc -c < "$exe")
  echo "$exe: $bytes bytes (at most $file_most)"
  [ "$bytes" -le "$file_most" ] || status=1
fi
[ "$status" = 0 ] && echo "$exe: PE32 i386 $kind, imports: $(echo $dlls)"
exit "$status"
