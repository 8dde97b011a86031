#!/usr/bin/env bash
# Installs what is missing, builds the x86 and x64 programs and runs the whole
# test suite under Wine on a virtual display.
# Usage: scripts/test.sh [--arch x86|x64] [ctest arguments, e.g. -R capture]
set -euo pipefail
source "$(dirname "$0")/env.sh"

arches="x86 x64"
if [ "${1:-}" = "--arch" ]; then arches=$2; shift 2; fi

[ "$(id -u)" = 0 ] && bash "$ZV_ROOT/scripts/setup.sh"
for arch in $arches; do zv_build "$arch"; done

zv_start_display
trap zv_stop EXIT
zv_start_wine

status=0
for arch in $arches; do
  echo "== tests of the $arch build"
  ctest --test-dir "$ZV_BUILD_ROOT/$arch" --output-on-failure "$@" | tee "$ZV_BUILD_ROOT/$arch/ctest.log" || status=1
done
passed=0; failed=0
for arch in $arches; do
  line=$(grep -E '^[0-9]+% tests passed' "$ZV_BUILD_ROOT/$arch/ctest.log" || true)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*, ([0-9]+) tests failed.*/\1/')
  [ -n "$total" ] && [ -n "$bad" ] && { passed=$((passed + total - bad)); failed=$((failed + bad)); }
done
echo "$passed passed, $failed failed"
[ "$status" = 0 ] && [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
