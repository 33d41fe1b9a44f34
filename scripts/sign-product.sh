#!/bin/bash
# Signs a product folder's Setup.exe with Authenticode and verifies the signature.
#
# Usage: sign-product.sh <product folder> --cert <file.p12> [--password-file F] [--timestamp URL]
#                        [--file F]
#   --cert           the code-signing certificate and its private key, as a PKCS#12 file
#   --password-file  a file whose first line is the PKCS#12 password (default: no password)
#   --timestamp      an RFC 3161 time-stamping service; a time-stamped signature stays valid
#                    after the certificate expires
#   --file           sign this program (a package of the product) instead of the folder's Setup.exe
#
# Setup.exe is signed in place (SHA-256), with the script's Application as the program name that
# Windows shows when it asks for administrator rights, and WebPage as the signature's link.
# Exit code: 0 signed and verified; 1 signing or verification failed; 2 wrong arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  sed -n '4,11p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

[ $# -ge 1 ] || usage
folder="$1"
[ "${folder#-}" = "$folder" ] || usage
shift
cert= password_file= timestamp= exe=
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$1" in
    --cert) cert="$2" ;;
    --password-file) password_file="$2" ;;
    --timestamp) timestamp="$2" ;;
    --file) exe="$2" ;;
    *) usage ;;
  esac
  shift 2
done
[ -n "$cert" ] || usage
exe="${exe:-$folder/Setup.exe}"
[ -f "$exe" ] || { echo "cannot read $exe" >&2; exit 2; }
[ -f "$cert" ] || { echo "cannot read the certificate $cert" >&2; exit 2; }
[ -z "$password_file" ] || [ -f "$password_file" ] ||
  { echo "cannot read the password file $password_file" >&2; exit 2; }

"$root/scripts/deps.sh"
. "$root/scripts/authenticode.sh"

# A key of [General] in Setup.ini, without its surrounding blanks and carriage return.
general_key() {
  [ -f "$folder/Setup.ini" ] || return 0
  tr -d '\r' < "$folder/Setup.ini" | awk -v key="$1" '
    /^[[:space:]]*\[/ { inside = tolower($0) ~ /^[[:space:]]*\[general\]/ ; next }
    inside { i = index($0, "="); if (i && tolower(substr($0, 1, i - 1)) ~ "^[[:space:]]*" tolower(key) "[[:space:]]*$") {
               value = substr($0, i + 1); gsub(/^[[:space:]]+|[[:space:]]+$/, "", value); print value; exit } }'
}

options=(sign -pkcs12 "$cert" -h sha256)
[ -n "$password_file" ] && options+=(-readpass "$password_file")
application=$(general_key Application)
web_page=$(general_key WebPage)
[ -n "$application" ] && options+=(-n "$application Setup")
[ -n "$web_page" ] && options+=(-i "$web_page")
[ -n "$timestamp" ] && options+=(-ts "$timestamp")

# An earlier signature is replaced. osslsigncode writes a new file; it replaces Setup.exe only
# when signing succeeded.
signed="$exe.signing"
trap 'rm -f "$signed"' EXIT
rm -f "$signed"
if ! osslsigncode "${options[@]}" -in "$exe" -out "$signed" </dev/null >/dev/null; then
  echo "signing $exe failed" >&2
  exit 1
fi
# osslsigncode's new file has the default mode: the signed file keeps the execute bit.
chmod --reference="$exe" "$signed"
mv "$signed" "$exe"
if ! description=$(orvex_describe_signature "$exe"); then
  echo "$exe: $description" >&2
  exit 1
fi
echo "$exe: $description"
