# Sourced by sign-product.sh and try-product.sh: what Authenticode signature a program carries,
# read with osslsigncode on the Linux side.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  echo "usage: . scripts/authenticode.sh (sourced by a bash script, which then calls" \
       "orvex_describe_signature <program>)" >&2
  exit 2
fi

# Prints one line: "not signed ...", "signed by <subject> ..." or "signature broken ...".
# Exit code 0 for a signature that is intact, 1 otherwise.
orvex_describe_signature() {
  local exe="$1" scratch subject status=0
  scratch=$(mktemp -d)
  if ! osslsigncode extract-signature -pem -in "$exe" -out "$scratch/signature.pem" \
         >/dev/null 2>&1; then
    rm -rf "$scratch"
    echo "not signed (Windows names the publisher \"Unknown publisher\")"
    return 1
  fi
  openssl pkcs7 -print_certs -in "$scratch/signature.pem" -out "$scratch/certificates.pem" \
    2>/dev/null || true
  # Checked once against the signature's own certificates (is the file as it was signed?) and
  # once against the system's roots (would a stranger's computer trust the signer?).
  if ! osslsigncode verify -in "$exe" -CAfile "$scratch/certificates.pem" \
         >"$scratch/own.txt" 2>&1; then
    echo "signature broken: the file was changed after signing, or the signature is damaged"
    status=1
  else
    subject=$(awk '/^Signer.s certificate:/ {inside=1}
                   inside && /Subject:/ {sub(/^[[:space:]]*Subject:[[:space:]]*/, ""); print; exit}' \
                "$scratch/own.txt")
    if osslsigncode verify -in "$exe" >/dev/null 2>&1; then
      echo "signed by $subject (the certificate chains to a trusted root)"
    else
      echo "signed by $subject (the certificate does not chain to a root this computer trusts:" \
           "Windows will show \"Unknown publisher\" unless the root is installed there)"
    fi
  fi
  rm -rf "$scratch"
  return "$status"
}
