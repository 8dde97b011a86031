#!/usr/bin/env bash
# Packs the release of one x86 build: the programs and read-me in a folder and a
# zip, the NSIS setup program, and SHA256SUMS for the zip and the setup program.
# Usage: installer/make-installer.sh <bin folder of the build> <output folder>
# Leaves in <output>: Zorvane-<version>/, Zorvane-<version>.zip,
# Zorvane-<version>-setup.exe and SHA256SUMS, and prints the setup program's path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
bindir=$1
outdir=$(mkdir -p "$2" && cd "$2" && pwd)

version=$(sed -nE 's/^project\(Zorvane VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "make-installer: no version in CMakeLists.txt" >&2; exit 1; }
# The web site the build was configured with (ZORVANE_SITE), for the uninstall entry.
site_header="$bindir/../generated/site.h"
site=$(sed -nE 's/^#define ZORVANE_SITE "(.*)"$/\1/p' "$site_header" 2>/dev/null || true)
[ -n "$site" ] || { echo "make-installer: no ZORVANE_SITE in $site_header" >&2; exit 1; }

name="Zorvane-$version"
stage="$outdir/$name"
rm -rf "$stage"
mkdir -p "$stage"
for program in Zorvane Liftrun Stampwell; do
  [ -f "$bindir/$program.exe" ] || { echo "make-installer: $bindir/$program.exe is missing" >&2; exit 1; }
  cp "$bindir/$program.exe" "$stage/"
done
# Symbols are of no use to the user.
i686-w64-mingw32-strip --strip-all "$stage"/*.exe
# Windows line ends for Notepad.
sed 's/\r$//; s/$/\r/' "$here/readme.txt" > "$stage/readme.txt"

setup="$outdir/$name-setup.exe"
rm -f "$setup" "$outdir/$name.zip" "$outdir/SHA256SUMS"
icon=()
[ -f "$root/resources/zorvane.ico" ] && icon=("-DICON=$root/resources/zorvane.ico")
# Warnings are errors, so that a script gone wrong fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSITE=$site" "-DSOURCEDIR=$stage" \
  "-DOUTFILE=$setup" "${icon[@]}" "$here/zorvane.nsi" >&2
(cd "$outdir" && zip -q -r -X "$name.zip" "$name" && sha256sum "$name.zip" "$name-setup.exe" > SHA256SUMS)
echo "$setup"
