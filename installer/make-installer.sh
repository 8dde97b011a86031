#!/usr/bin/env bash
# Packs the release of one x86 build: the programs and read-me in a folder and a
# zip, the NSIS setup program, and SHA256SUMS for the zip and the setup program.
# Usage: installer/make-installer.sh <bin folder of the build> <output folder>
# Leaves in <output>: Zorvane-<version>/, Zorvane-<version>.zip,
# Zorvane-<version>-setup.exe and SHA256SUMS, and prints the setup program's path.
# The same sources give the same bytes: every stamp comes from SOURCE_DATE_EPOCH
# (by default the time of the last commit). With ZV_SIGN_CERT and ZV_SIGN_KEY set
# (see installer/sign.sh), the programs, the setup program and its uninstaller
# are signed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/env.sh"
bindir=$1
outdir=$(mkdir -p "$2" && cd "$2" && pwd)
zv_source_date_epoch

# The version, publisher and web site the build was configured with.
generated="$bindir/../generated"
define_of() {  # define_of <header> <macro>: the text of #define <macro> "<text>"
  sed -nE "s/^#define $2 \"(.*)\"\$/\\1/p" "$generated/$1" 2>/dev/null || true
}
version=$(define_of version.h ZORVANE_VERSION_TEXT)
company=$(define_of version.h ZORVANE_COMPANY)
copyright=$(define_of version.h ZORVANE_COPYRIGHT)
site=$(define_of site.h ZORVANE_SITE)
[ -n "$version" ] && [ -n "$company" ] && [ -n "$copyright" ] ||
  { echo "make-installer: no version, company or copyright in $generated/version.h" >&2; exit 1; }
[ -n "$site" ] || { echo "make-installer: no ZORVANE_SITE in $generated/site.h" >&2; exit 1; }

signing=0
if [ -n "${ZV_SIGN_CERT:-}" ] || [ -n "${ZV_SIGN_KEY:-}" ]; then
  [ -f "${ZV_SIGN_CERT:-}" ] && [ -f "${ZV_SIGN_KEY:-}" ] ||
    { echo "make-installer: ZV_SIGN_CERT and ZV_SIGN_KEY must both name PEM files" >&2; exit 1; }
  signing=1
fi

name="Zorvane-$version"
stage="$outdir/$name"
rm -rf "$stage"
mkdir -p "$stage"
for program in Zorvane Liftrun Stampwell; do
  [ -f "$bindir/$program.exe" ] || { echo "make-installer: $bindir/$program.exe is missing" >&2; exit 1; }
  cp "$bindir/$program.exe" "$stage/"
done
# Symbols are of no use to the user. strip stamps the header with SOURCE_DATE_EPOCH.
i686-w64-mingw32-strip --strip-all "$stage"/*.exe
# Windows line ends for Notepad.
sed 's/\r$//; s/$/\r/' "$here/readme.txt" > "$stage/readme.txt"

# Zorvane.exe gets its manifest before it is signed, from the release's own
# Stampwell, as set-up would give it; set-up then finds it there and leaves the
# signed file alone.
code=0
(cd "$stage" && wine Stampwell.exe </dev/null >/dev/null 2>&1) || code=$?
[ "$code" = 0 ] || { echo "make-installer: Stampwell ended with $code under Wine" >&2; exit 1; }

if [ "$signing" = 1 ]; then
  for program in Zorvane Liftrun Stampwell; do bash "$here/sign.sh" "$stage/$program.exe"; done
fi
# Fixed modes and times: nothing of the builder's umask or clock reaches the zip.
chmod 0755 "$stage"
chmod 0644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/* "$stage"

setup="$outdir/$name-setup.exe"
rm -f "$setup" "$outdir/$name.zip" "$outdir/SHA256SUMS"
options=()
[ -f "$ZV_ROOT/resources/zorvane.ico" ] && options+=("-DICON=$ZV_ROOT/resources/zorvane.ico")
[ "$signing" = 1 ] && options+=("-DSIGN=$here/sign.sh")
# Warnings are errors, so that a script gone wrong fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 "-DVERSION=$version" "-DPUBLISHER=$company" "-DCOPYRIGHT=$copyright" \
  "-DSITE=$site" "-DSOURCEDIR=$stage" "-DOUTFILE=$setup" "${options[@]}" "$here/zorvane.nsi" >&2
# Entries in name order, times in UTC (zip writes local time), no extra fields.
(cd "$outdir" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$name.zip" &&
  sha256sum "$name.zip" "$name-setup.exe" > SHA256SUMS)
echo "$setup"
