#!/usr/bin/env bash
# Builds the x86 programs and packs a release: a folder and a zip with Zorvane.exe,
# Liftrun.exe, Stampwell.exe and the read-me, the setup program, and SHA256SUMS.
# The same commit gives the same bytes (stamps from SOURCE_DATE_EPOCH, by default
# the last commit's time; scripts/check-reproducible.sh checks it). With
# ZV_SIGN_CERT and ZV_SIGN_KEY (PEM files; ZV_SIGN_TIMESTAMP, an RFC 3161 address,
# optional) the programs, the setup program and its uninstaller are signed.
# Usage: scripts/release.sh [output folder, default release/]
set -euo pipefail
source "$(dirname "$0")/env.sh"

out=${1:-$ZV_ROOT/release}
[ "$(id -u)" = 0 ] && bash "$ZV_ROOT/scripts/setup.sh" >/dev/null
zv_source_date_epoch
# The shipped programs only: the tests are not part of a release.
zv_build x86 Zorvane Liftrun Stampwell

mkdir -p "$out"
out=$(cd "$out" && pwd)
setup=$(bash "$ZV_ROOT/installer/make-installer.sh" "$ZV_BUILD_ROOT/x86/bin" "$out" | tail -n 1)
name=$(basename "$setup" -setup.exe)

echo "Release in $out:"
echo "  $name/          the programs and readme.txt"
echo "  $name.zip       the same folder, zipped"
echo "  $(basename "$setup")  the setup program"
echo "  SHA256SUMS                the zip's and the setup program's checksums (sha256sum -c SHA256SUMS)"
[ -n "${ZV_SIGN_CERT:-}" ] && echo "  signed with $ZV_SIGN_CERT"
exit 0
