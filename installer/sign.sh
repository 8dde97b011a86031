#!/usr/bin/env bash
# Signs one Windows program in place (Authenticode, SHA-256) with osslsigncode:
# certificate ZV_SIGN_CERT and private key ZV_SIGN_KEY (PEM files), time-stamped
# by the RFC 3161 server at ZV_SIGN_TIMESTAMP when that is set. Run by
# make-installer.sh for the programs and by makensis for the setup program and
# its uninstaller.
# Usage: installer/sign.sh <file>
set -euo pipefail
file=$1
: "${ZV_SIGN_CERT:?sign: ZV_SIGN_CERT is not set}" "${ZV_SIGN_KEY:?sign: ZV_SIGN_KEY is not set}"
timestamp=()
[ -n "${ZV_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$ZV_SIGN_TIMESTAMP")
# osslsigncode writes a new file; it takes the old one's place only once it is whole.
trap 'rm -f "$file.signed"' EXIT
osslsigncode sign -certs "$ZV_SIGN_CERT" -key "$ZV_SIGN_KEY" -h sha256 -n Zorvane "${timestamp[@]}" \
  -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
