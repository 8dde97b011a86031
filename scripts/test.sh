#!/usr/bin/env bash
# Installs what is missing, builds the x86 and x64 programs and runs the whole
# test suite under Wine on virtual displays. One CTest run takes the tests of
# both builds and spreads them over ZV_LANES lanes (default 4), each a display
# and a Wine prefix of its own: on one lane the tests run one at a time, as
# they press keys, move the pointer and end processes; the lanes never meet.
# Usage: scripts/test.sh [--arch x86|x64] [ctest arguments, e.g. -R capture]
set -euo pipefail
source "$(dirname "$0")/env.sh"

arches="x86 x64"
if [ "${1:-}" = "--arch" ]; then arches=$2; shift 2; fi

[ "$(id -u)" = 0 ] && bash "$ZV_ROOT/scripts/setup.sh"
for arch in $arches; do zv_build "$arch"; done

lanes=${ZV_LANES:-4}
displays=() prefixes=()
for ((lane = 0; lane < lanes; ++lane)); do
  displays+=("$(zv_lane_display "$lane")")
  prefixes+=("$(zv_lane_prefix "$lane")")
done

trap zv_stop EXIT
for display in "${displays[@]}"; do zv_start_display "$display"; done
# A missing prefix takes a minute or two to make: all at once. Only these are
# waited for: the displays started above are children too.
starters=()
for ((lane = 0; lane < lanes; ++lane)); do
  (export DISPLAY=${displays[$lane]} WINEPREFIX=${prefixes[$lane]}; zv_start_wine) &
  starters+=($!)
done
wait "${starters[@]}"
ZV_WINEPREFIXES="${prefixes[*]}"
export ZV_LANE_DISPLAYS="${displays[*]}" ZV_LANE_PREFIXES="${prefixes[*]}"
export DISPLAY=${displays[0]} WINEPREFIX=${prefixes[0]}

# One test folder over the builds' own, and the lanes as CTest resources.
suite=$ZV_BUILD_ROOT/suite
mkdir -p "$suite"
{
  echo "# The tests of the builds that scripts/test.sh runs together."
  for arch in $arches; do echo "subdirs(\"$ZV_BUILD_ROOT/$arch\")"; done
} >"$suite/CTestTestfile.cmake"
{
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"lanes": ['
  for ((lane = 0; lane < lanes; ++lane)); do
    printf '%s{"id": "%d", "slots": 1}' "$([ "$lane" = 0 ] || echo ", ")" "$lane"
  done
  printf ']}]}\n'
} >"$suite/lanes.json"

# The lanes' tests, and beside them the host-side checks.
log=$suite/ctest.log
started=$SECONDS
ctest --test-dir "$suite" --resource-spec-file "$suite/lanes.json" -j $((lanes + 1)) \
  --output-on-failure "$@" 2>&1 | tee "$log" || true
elapsed=$((SECONDS - started))

line=$(grep -E '^[0-9]+% tests passed' "$log" || true)
total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
failed=$(echo "$line" | sed -E 's/.*, ([0-9]+) tests? failed.*/\1/')
complete=1
if [ -n "$total" ] && [ -n "$failed" ]; then
  passed=$((total - failed))
else
  passed=0 failed=0
  grep -q 'No tests were found' "$log" || { complete=0; echo "no result in $log"; }
fi
# Each build's time: the sum of its tests' times, as CTest measured them.
for arch in $arches; do
  seconds=$(sed -nE "s/.*Test +#[0-9]+: $arch\.[^ ]+ .* ([0-9.]+) sec$/\1/p" "$log" |
    awk '{ s += $1 } END { printf "%d", s }')
  echo "$arch build: tests $seconds s"
done
echo "tests of all builds: $elapsed s on $lanes lanes"
echo "$passed passed, $failed failed"
[ "$complete" = 1 ] && [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
