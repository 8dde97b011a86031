#!/usr/bin/env bash
# The release of the x86 programs, signed with a throwaway certificate: stripped
# programs within their sizes, Zorvane.exe already carrying its manifest, a zip
# and a PE setup program, both checked by SHA256SUMS, the version information of
# all four programs, and signatures that osslsigncode accepts. Under Wine: a
# silent install with its uninstall entry that leaves Zorvane.exe and the
# uninstaller signed; a second install over a running Zorvane that keeps the
# settings and the logon entry; one over a program file in use, replaced at the
# restart; silent uninstalls with and without /PURGE, neither of which leaves a
# logon entry.
# Usage: host_installer.sh <arch> <bin folder> <objdump>
set -euo pipefail
arch=$1
bindir=$2
objdump=$3
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "$arch" != x86 ]; then
  echo "installer: skipped for $arch (the setup program ships the x86 programs)"
  exit 0
fi

passed=0
failed=0
check() {  # check <description> <command...>
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
  exit $?
}

work=$(mktemp -d)
holder_pid=""
zorvane_pid=""
cleanup() {
  for pid in $holder_pid $zorvane_pid; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A certificate of our own, trusted by the checks below only.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zorvane test signing" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
release="$work/release"
setup=$(ZV_SIGN_CERT="$work/cert.pem" ZV_SIGN_KEY="$work/key.pem" \
  bash "$root/installer/make-installer.sh" "$bindir" "$release" | tail -n 1)
check "setup program built" test -s "$setup"
[ -s "$setup" ] || finish
version=$(basename "$setup" -setup.exe)
version=${version#Zorvane-}
site=$(sed -nE 's/^#define ZORVANE_SITE "(.*)"$/\1/p' "$bindir/../generated/site.h")

is_pe() {  # "MZ", then "PE\0\0" where the DOS header points
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read(4096)
offset = struct.unpack_from('<I', data, 0x3c)[0] if len(data) >= 0x40 else len(data)
sys.exit(0 if data[:2] == b'MZ' and data[offset:offset + 4] == b'PE\0\0' else 1)
PY
}
version_string() {  # version_string <file> <key> <value>: the version resource's string table has it
  python3 - "$@" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
key, value = (s.encode('utf-16-le') for s in sys.argv[2:4])
sys.exit(0 if re.search(re.escape(key) + b'\0\0(\0\0)?' + re.escape(value) + b'\0\0', data) else 1)
PY
}
signed() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }
at_most() {  # at_most <file> <bytes>
  local size; size=$(stat -c %s "$1")
  echo "$(basename "$1"): $size bytes stripped (at most $2)"
  [ "$size" -le "$2" ]
}
check "setup program is a PE file" is_pe "$setup"
check "setup program is a 32-bit x86 PE" bash -c "'$objdump' -f '$setup' | grep -q 'file format pei-i386'"
stage="$release/Zorvane-$version"
declare -A description=(
  [Zorvane]="Zorvane: point at a window and get rid of it"
  [Liftrun]="Liftrun: repeats a Zorvane action with administrator rights"
  [Stampwell]="Stampwell: gives Zorvane the modern look of the controls at set-up")
for program in Zorvane Liftrun Stampwell; do
  file="$stage/$program.exe"
  check "$program.exe says what it is for" version_string "$file" FileDescription "${description[$program]}"
  for pair in "CompanyName=Gravelin" "ProductName=Zorvane" "ProductVersion=$version" "FileVersion=$version" \
      "LegalCopyright=Copyright (C) Gravelin" "OriginalFilename=$program.exe" "InternalName=$program"; do
    check "$program.exe version information: $pair" version_string "$file" "${pair%%=*}" "${pair#*=}"
  done
  check "$program.exe signed" signed "$file"
done
for pair in "CompanyName=Gravelin" "ProductName=Zorvane" "ProductVersion=$version" \
    "LegalCopyright=Copyright (C) Gravelin" "OriginalFilename=Zorvane-$version-setup.exe"; do
  check "setup program's version information: $pair" version_string "$setup" "${pair%%=*}" "${pair#*=}"
done
check "setup program signed" signed "$setup"
check "a changed byte breaks the signature" bash -c "cp '$setup' '$work/changed.exe' &&
  printf X | dd of='$work/changed.exe' bs=1 seek=4096 conv=notrunc 2>/dev/null && ! osslsigncode verify \
  -CAfile '$work/cert.pem' -in '$work/changed.exe' >/dev/null 2>&1"
# The release folder holds the programs as make-installer stripped them.
check "Zorvane.exe at most 200 KB" at_most "$stage/Zorvane.exe" 204800
check "Liftrun.exe at most 32 KB" at_most "$stage/Liftrun.exe" 32768
check "Stampwell.exe at most 32 KB" at_most "$stage/Stampwell.exe" 32768
check "SHA256SUMS names the zip and the setup program" \
  test "$(awk '{print $2}' "$release/SHA256SUMS" | sort | tr '\n' ' ')" = "Zorvane-$version-setup.exe Zorvane-$version.zip "
check "SHA256SUMS matches (sha256sum -c)" bash -c "cd '$release' && sha256sum -c --quiet SHA256SUMS"

# The Wine part needs the prefix and display the test run sets up.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "installer: no WINEPREFIX or DISPLAY; silent install under Wine not tried"
  finish
fi

manifest='<?xml version="1.0" encoding="UTF-8" standalone="yes"?><assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"><assemblyIdentity version="1.0.0.0" processorArchitecture="x86" name="Zorvane" type="win32" /><description>Gravelin</description><dependency><dependentAssembly><assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" publicKeyToken="6595b64144ccf1df" language="*" processorArchitecture="x86"/></dependentAssembly></dependency><application xmlns="urn:schemas-microsoft-com:asm.v3"><windowsSettings><activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage></windowsSettings></application></assembly>'
drive="$WINEPREFIX/drive_c"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Zorvane.lnk"
candidates=("$drive/Program Files (x86)/Zorvane" "$drive/Program Files/Zorvane")
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\software\Zorvane\Zorvane\Preferences'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvane'
pending_key='HKLM\System\CurrentControlSet\Control\Session Manager'

has_manifest() { grep -qF "$manifest" "$1"; }
wait_gone() {  # polls until the path is gone, at most 60 s
  for _ in $(seq 300); do [ -e "$1" ] || return 0; sleep 0.2; done
  return 1
}
wait_until() {  # wait_until <seconds> <command...>: polls the command until it succeeds
  local rounds=$(($1 * 5)); shift
  for _ in $(seq "$rounds"); do "$@" && return 0; sleep 0.2; done
  return 1
}
process_ended() { ! kill -0 "$1" 2>/dev/null; }
reg_value() {  # reg_value <key> <name>: the value's data, empty when absent
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p" || true
}
value_is() { [ "$(reg_value "$1" "$2")" = "$3" ]; }
no_value() { ! wine reg query "$1" /v "$2" >/dev/null 2>&1; }
no_key() { ! wine reg query "$1" >/dev/null 2>&1; }
install_exits_with() {  # install_exits_with <code>; the Unix side sees the code's low eight bits
  local code=0
  timeout 180 wine "$setup" /S || code=$?
  [ "$code" = $(($1 % 256)) ]
}
clean_prefix() {
  rm -rf "${candidates[@]}" "$shortcut"
  wine reg delete "$run_key" /v Zorvane /f >/dev/null 2>&1 || true
  wine reg delete 'HKCU\software\Zorvane' /f >/dev/null 2>&1 || true
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  wine reg delete "$pending_key" /v PendingFileRenameOperations /f >/dev/null 2>&1 || true
}
clean_prefix

check "built Zorvane.exe carries no manifest" bash -c "! grep -qF '$manifest' '$bindir/Zorvane.exe'"
check "released Zorvane.exe carries the manifest" has_manifest "$stage/Zorvane.exe"
check "silent install ends with 0" install_exits_with 0
instdir=""
for candidate in "${candidates[@]}"; do [ -d "$candidate" ] && instdir=$candidate; done
check "installed into Program Files" test -n "$instdir"
[ -n "$instdir" ] || finish
for file in Zorvane.exe Liftrun.exe Stampwell.exe readme.txt Uninstall.exe; do
  check "$file installed" test -s "$instdir/$file"
done
check "installed Zorvane.exe carries the manifest" has_manifest "$instdir/Zorvane.exe"
# Set-up's Stampwell found the same manifest and wrote nothing: the signature holds.
check "installed Zorvane.exe is the released one" cmp -s "$instdir/Zorvane.exe" "$stage/Zorvane.exe"
check "installed Zorvane.exe still signed" signed "$instdir/Zorvane.exe"
check "uninstaller signed" signed "$instdir/Uninstall.exe"
check "Start menu shortcut" test -s "$shortcut"
check "uninstall entry: Publisher" value_is "$uninstall_key" Publisher Gravelin
check "uninstall entry: URLInfoAbout is the build's site $site" value_is "$uninstall_key" URLInfoAbout "$site"
check "uninstall entry: DisplayVersion" value_is "$uninstall_key" DisplayVersion "$version"

# Settings and the logon entry as the user left them, and Zorvane running: its
# start-up counts the start once its main window exists.
run_data="\"$(winepath -w "$instdir/Zorvane.exe" 2>/dev/null)\""
wine reg add "$settings_key" /v Methode /t REG_DWORD /d 1003 /f >/dev/null 2>&1
wine reg add "$settings_key" /v Startup /t REG_DWORD /d 5 /f >/dev/null 2>&1
wine reg add "$run_key" /v Zorvane /d "$run_data" /f >/dev/null 2>&1
wine "$instdir/Zorvane.exe" </dev/null >/dev/null 2>&1 &
zorvane_pid=$!
check "installed Zorvane started" wait_until 60 value_is "$settings_key" Startup 0x6

check "install over the running Zorvane ends with 0" install_exits_with 0
check "the running Zorvane was closed" wait_until 30 process_ended "$zorvane_pid"
zorvane_pid=""
check "settings kept by the second install" value_is "$settings_key" Methode 0x3eb
check "logon entry kept by the second install" value_is "$run_key" Zorvane "$run_data"
check "Zorvane.exe stamped again" has_manifest "$instdir/Zorvane.exe"

# A Zorvane.exe held by another program: the new copy waits, stamped, for the restart.
ready="$work/holder.ready"
wine "$bindir/file_holder.exe" "$(winepath -w "$instdir/Zorvane.exe" 2>/dev/null)" \
  "$(winepath -w "$ready" 2>/dev/null)" 120 </dev/null >/dev/null 2>&1 &
holder_pid=$!
check "Zorvane.exe held open" wait_until 60 test -e "$ready"
check "install over a file in use ends with 3010 (restart needed)" install_exits_with 3010
check "the new Zorvane.exe waits stamped in the pending folder" has_manifest "$instdir/Pending/Zorvane.exe"
check "its move into place is registered for the restart" \
  bash -c "wine reg query '$pending_key' /v PendingFileRenameOperations 2>/dev/null | grep -qi 'Zorvane\\\\Pending\\\\Zorvane.exe'"
kill "$holder_pid" 2>/dev/null || true
wait_until 30 process_ended "$holder_pid" || true
holder_pid=""
wine reg delete "$pending_key" /v PendingFileRenameOperations /f >/dev/null 2>&1 || true

# The uninstaller runs a copy of itself from the temporary folder and returns at once;
# the install folder goes last.
check "silent uninstall starts" timeout 180 wine "$instdir/Uninstall.exe" /S
check "install folder removed" wait_gone "$instdir"
check "Start menu shortcut removed" test ! -e "$shortcut"
check "uninstall entry removed" no_key "$uninstall_key"
check "settings kept without /PURGE" value_is "$settings_key" Methode 0x3eb
check "logon entry removed without /PURGE" no_value "$run_key" Zorvane

check "reinstall ends with 0" install_exits_with 0
wine reg add "$run_key" /v Zorvane /d "$run_data" /f >/dev/null 2>&1
check "silent uninstall with /PURGE starts" timeout 180 wine "$instdir/Uninstall.exe" /S /PURGE
check "install folder removed again" wait_gone "$instdir"
check "settings removed with /PURGE" no_key 'HKCU\software\Zorvane'
check "logon entry removed with /PURGE" no_value "$run_key" Zorvane

# Outside Program Files the folder is made changeable by administrators and SYSTEM
# only before any file goes in. Wine's icacls changes nothing: what Wine can show
# is the command, in its process trace, ahead of Stampwell's start.
outside="$drive/ZorvaneOutside"
rm -rf "$outside"
WINEDEBUG=trace+process timeout 180 wine "$setup" /S '/D=C:\ZorvaneOutside' >"$work/outside.trace" 2>&1 || true
restrict='ZorvaneOutside\" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX'
first_line() { grep -n -F "$1" "$work/outside.trace" | grep CreateProcessInternalW | head -1 | cut -d: -f1; }
restricted_at=$(first_line "$restrict")
stamped_at=$(first_line 'Stampwell.exe')
check "outside Program Files: installed" test -s "$outside/Zorvane.exe"
check "outside Program Files: icacls restricts the folder" test -n "$restricted_at"
check "outside Program Files: before Stampwell runs there" test "${restricted_at:-0}" -lt "${stamped_at:-0}"
[ -x "$outside/Uninstall.exe" ] && timeout 180 wine "$outside/Uninstall.exe" /S /PURGE >/dev/null 2>&1
wait_gone "$outside" || true
rm -rf "$outside"
clean_prefix
finish
