#!/usr/bin/env bash
# The release rebuilds byte for byte: scripts/check-reproducible.sh on two clean
# clones of the checkout's HEAD. Once, with the x86 build that ships.
# Usage: host_reproducible.sh <arch> <bin folder> <objdump>
set -euo pipefail
if [ "$1" != x86 ]; then
  echo "reproducible: skipped for $1 (the release ships the x86 programs)"
  exit 0
fi
root=$(cd "$(dirname "$0")/.." && pwd)
if ! git -C "$root" rev-parse --verify -q HEAD >/dev/null; then
  echo "reproducible: $root is not a git checkout"
  exit 1
fi
exec bash "$root/scripts/check-reproducible.sh" HEAD
