#!/usr/bin/env bash
# The setup program builds from the x86 programs and is a PE program; under Wine
# a silent install puts the programs into Program Files with Zorvane stamped and
# a Start menu shortcut, and the silent uninstall (/PURGE) removes all of it.
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
trap 'rm -rf "$work"' EXIT

setup=$(bash "$root/installer/make-installer.sh" "$bindir" "$work" | tail -n 1)
check "setup program built" test -s "$setup"
[ -s "$setup" ] || finish

is_pe() {  # "MZ", then "PE\0\0" where the DOS header points
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read(4096)
offset = struct.unpack_from('<I', data, 0x3c)[0] if len(data) >= 0x40 else len(data)
sys.exit(0 if data[:2] == b'MZ' and data[offset:offset + 4] == b'PE\0\0' else 1)
PY
}
check "setup program is a PE file" is_pe "$setup"
check "setup program is a 32-bit x86 PE" bash -c "'$objdump' -f '$setup' | grep -q 'file format pei-i386'"

# The Wine part needs the prefix and display the test run sets up.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "installer: no WINEPREFIX or DISPLAY; silent install under Wine not tried"
  finish
fi

manifest='<?xml version="1.0" encoding="UTF-8" standalone="yes"?><assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"><assemblyIdentity version="1.0.0.0" processorArchitecture="x86" name="Zorvane" type="win32" /><description>Gravelin</description><dependency><dependentAssembly><assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" publicKeyToken="6595b64144ccf1df" language="*" processorArchitecture="x86"/></dependentAssembly></dependency></assembly>'
drive="$WINEPREFIX/drive_c"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Zorvane.lnk"
candidates=("$drive/Program Files (x86)/Zorvane" "$drive/Program Files/Zorvane")
rm -rf "${candidates[@]}" "$shortcut"

has_manifest() { grep -qF "$manifest" "$1"; }
wait_gone() {  # polls until the path is gone, at most 60 s
  for _ in $(seq 300); do [ -e "$1" ] || return 0; sleep 0.2; done
  return 1
}
reg_has() { wine reg query "$@" >/dev/null 2>&1; }

check "built Zorvane.exe carries no manifest yet" bash -c "! grep -qF '$manifest' '$bindir/Zorvane.exe'"
check "silent install ends with 0" timeout 180 wine "$setup" /S
instdir=""
for candidate in "${candidates[@]}"; do [ -d "$candidate" ] && instdir=$candidate; done
check "installed into Program Files" test -n "$instdir"
[ -n "$instdir" ] || finish
for file in Zorvane.exe Liftrun.exe Stampwell.exe readme.txt Uninstall.exe; do
  check "$file installed" test -s "$instdir/$file"
done
check "Stampwell stamped the installed Zorvane.exe" has_manifest "$instdir/Zorvane.exe"
check "Start menu shortcut" test -s "$shortcut"

# Settings and the logon entry as Zorvane would leave them.
wine reg add 'HKCU\software\Zorvane\Zorvane\Preferences' /v Startup /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Zorvane /d 'C:\Zorvane.exe' /f >/dev/null 2>&1
check "settings in place before the uninstall" reg_has 'HKCU\software\Zorvane'

# The uninstaller runs a copy of itself from the temporary folder and returns at once.
check "silent uninstall starts" timeout 180 wine "$instdir/Uninstall.exe" /S /PURGE
check "install folder removed" wait_gone "$instdir"
check "Start menu shortcut removed" test ! -e "$shortcut"
check "settings key removed" bash -c "! wine reg query 'HKCU\\software\\Zorvane' >/dev/null 2>&1"
check "logon entry removed" bash -c "! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v Zorvane >/dev/null 2>&1"
rm -rf "${candidates[@]}" "$shortcut"
finish
