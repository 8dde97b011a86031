#!/usr/bin/env bash
# Stages the release files of one x86 build and builds the NSIS setup program.
# Usage: installer/make-installer.sh <bin folder> <output folder>
# Leaves <output>/Zorvane-<version>/ (programs and readme) and
# <output>/Zorvane-<version>-setup.exe, and prints the setup program's path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
bindir=$1
outdir=$2

version=$(sed -nE 's/^project\(Zorvane VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "make-installer: no version in CMakeLists.txt" >&2; exit 1; }

stage="$outdir/Zorvane-$version"
rm -rf "$stage"
mkdir -p "$stage"
for program in Zorvane Liftrun Stampwell; do
  [ -f "$bindir/$program.exe" ] || { echo "make-installer: $bindir/$program.exe is missing" >&2; exit 1; }
  cp "$bindir/$program.exe" "$stage/"
done
# Symbols are of no use to the user.
strip=$(command -v i686-w64-mingw32-strip || true)
[ -n "$strip" ] && "$strip" --strip-all "$stage"/*.exe
# Windows line ends for Notepad.
sed 's/\r$//; s/$/\r/' "$here/readme.txt" > "$stage/readme.txt"

setup="$outdir/Zorvane-$version-setup.exe"
rm -f "$setup"
icon=()
[ -f "$root/resources/zorvane.ico" ] && icon=("-DICON=$root/resources/zorvane.ico")
# Warnings are errors, so that a script gone wrong fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSOURCEDIR=$stage" "-DOUTFILE=$setup" \
  "${icon[@]}" "$here/zorvane.nsi" >&2
echo "$setup"
