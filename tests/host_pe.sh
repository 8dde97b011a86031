#!/usr/bin/env bash
# Checks the built programs as files: machine, GUI subsystem, imports from
# Windows' known DLLs only (no MinGW runtime DLL to ship, and no library that
# Windows would look for in the program's own folder first), and no manifest
# resource in Zorvane.exe (Stampwell writes it at set-up).
# Usage: host_pe.sh <x86|x64> <bin folder> <objdump>
set -u
arch=$1 bin=$2 objdump=$3

case $arch in
  x86) format=pei-i386 machine=i386 ;;
  x64) format=pei-x86-64 machine=i386:x86-64 ;;
  *) echo "unknown architecture $arch"; exit 1 ;;
esac

# DLLs that Windows 10 and 11 list as known (KnownDLLs), and ntdll, which every
# process has loaded first; api-ms-win-* sets are matched separately.
system_dlls=" kernel32 user32 gdi32 advapi32 shell32 msvcrt ntdll ole32 oleaut32 shlwapi comdlg32 "

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for program in Zorvane Liftrun Stampwell; do
  file=$bin/$program.exe
  if [ ! -f "$file" ]; then fail "$program.exe missing in $bin"; continue; fi
  header=$("$objdump" -f "$file")
  grep -q "file format $format\$" <<<"$header" || fail "$program.exe is not $format: $(grep -o 'file format.*' <<<"$header")"
  grep -q "^architecture: $machine," <<<"$header" || fail "$program.exe machine: $(grep '^architecture' <<<"$header")"
  private=$("$objdump" -p "$file")
  subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$private")
  [ "$subsystem" = 00000002 ] || fail "$program.exe subsystem $subsystem, expected 2 (Windows GUI)"
  dlls=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$private")
  [ -n "$dlls" ] || fail "$program.exe lists no imported DLL"
  for dll in $dlls; do
    name=${dll%.dll}
    case $name in
      api-ms-win-*) continue ;;
    esac
    [[ $system_dlls == *" $name "* ]] || fail "$program.exe imports $dll, not a known system DLL"
  done
  echo "$program.exe: $format, subsystem $subsystem, imports" $dlls
done

# Resource types of Zorvane.exe, read from its PE resource directory.
types=$(python3 - "$bin/Zorvane.exe" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', data, 0x3C)[0]
sections = struct.unpack_from('<H', data, pe + 6)[0]
optional_size = struct.unpack_from('<H', data, pe + 20)[0]
optional = pe + 24
magic = struct.unpack_from('<H', data, optional)[0]
directories = optional + (96 if magic == 0x10B else 112)
rva, size = struct.unpack_from('<II', data, directories + 2 * 8)
if not rva:
    sys.exit(0)
table = optional + optional_size
for i in range(sections):
    va, raw_size, raw_offset = struct.unpack_from('<III', data, table + 40 * i + 12)
    virtual_size = struct.unpack_from('<I', data, table + 40 * i + 8)[0]
    if va <= rva < va + max(virtual_size, raw_size):
        root = raw_offset + rva - va
        break
else:
    sys.exit('resource directory outside every section')
named, ids = struct.unpack_from('<HH', data, root + 12)
for n in range(named + ids):
    name, _ = struct.unpack_from('<II', data, root + 16 + 8 * n)
    print('name' if name & 0x80000000 else name)
EOF
) || fail "Zorvane.exe: unreadable resource directory"
echo "Zorvane.exe resource types:" $types
grep -qx 24 <<<"$types" && fail "Zorvane.exe carries a manifest resource (type 24)"
grep -qx 5 <<<"$types" || fail "Zorvane.exe has no dialog resources"

if [ $failures -gt 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "all checks passed"
