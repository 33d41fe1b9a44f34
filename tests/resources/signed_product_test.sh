#!/bin/bash
# A product whose Setup.exe carries an Authenticode signature (a throw-away certificate made here)
# installs through its wizard to the finish page and uninstalls cleanly, and try-product's report
# names the signer; its package, signed inside and out by pack-product.sh, verifies and installs
# the same way. Usage: signed_product_test.sh <build folder>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$1"
work="$build/try-tests/signed"
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }

"$root/scripts/sample-product.sh" "$work/acme-reader" "$build"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Orvex Test Signer/O=Orvex Tests" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
echo "test password" > "$work/password.txt"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.p12" \
  -passout "file:$work/password.txt"

"$root/scripts/sign-product.sh" "$work/acme-reader" --cert "$work/signer.p12" \
  --password-file "$work/password.txt" > "$work/sign.txt" || fail "sign-product.sh ended with $?"
grep -qF "signed by /CN=Orvex Test Signer/O=Orvex Tests" "$work/sign.txt" ||
  fail "sign-product.sh did not name the signer: $(cat "$work/sign.txt")"
cmp -s "$build/bin/Setup.exe" "$work/acme-reader/Setup.exe" && fail "Setup.exe was not changed"

"$root/scripts/try-product.sh" "$work/acme-reader" --prefix 32 --out "$work/out" ||
  fail "try-product.sh ended with $?"
report="$work/out/report.txt"
for part in "Setup.exe signature: signed by /CN=Orvex Test Signer/O=Orvex Tests" \
            "RESULT: installed and uninstalled cleanly"; do
  grep -qF -- "$part" "$report" || fail "the report lacks: $part"
done
[ -s "$work/out/04-finish.png" ] || fail "the finish page was not reached"

package="$work/Acme Reader.exe"
"$root/scripts/pack-product.sh" "$work/acme-reader" --out "$package" --cert "$work/signer.p12" \
  --password-file "$work/password.txt" > "$work/pack.txt" || fail "pack-product.sh ended with $?"
grep -qF "$package: " "$work/pack.txt" && grep -qF "signed by /CN=Orvex Test Signer" "$work/pack.txt" ||
  fail "pack-product.sh did not name the package's signer: $(cat "$work/pack.txt")"
[ -x "$package" ] && [ -x "$work/acme-reader/Setup.exe" ] ||
  fail "signing took the execute bit away"
osslsigncode verify -in "$package" -CAfile "$work/cert.pem" >/dev/null 2>&1 ||
  fail "the package's signature does not verify"
"$root/scripts/try-product.sh" "$package" --prefix 32 --out "$work/package-out" ||
  fail "try-product.sh on the package ended with $?"
for part in "Package signature: signed by /CN=Orvex Test Signer/O=Orvex Tests" \
            "Trying $package (\"Acme Reader\")" "The package ended with exit code 0." \
            "RESULT: installed and uninstalled cleanly"; do
  grep -qF -- "$part" "$work/package-out/report.txt" || fail "the package's report lacks: $part"
done

# The unsigned build is reported as such, a signature that no longer matches the file as broken.
. "$root/scripts/authenticode.sh"
description=$(orvex_describe_signature "$build/bin/Setup.exe") &&
  fail "the unsigned Setup.exe passed as signed: $description"
[[ "$description" == "not signed"* ]] || fail "unsigned Setup.exe described as: $description"
printf 'X' | dd of="$work/acme-reader/Setup.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if description=$(orvex_describe_signature "$work/acme-reader/Setup.exe"); then
  fail "a changed Setup.exe passed as signed: $description"
fi
echo "passed"
