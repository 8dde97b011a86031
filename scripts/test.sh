#!/usr/bin/env bash
# Installs what is missing, builds the x86 and x64 programs and runs the whole
# test suite under Wine on virtual displays. The two builds are tested side by
# side, x86 on ZV_DISPLAY and WINEPREFIX, x64 on ZV_DISPLAY2 and WINEPREFIX2:
# each has its own pointer, keyboard, processes and registry, and on one
# display the tests that use it run one at a time. The x86 build, three times
# slower under qemu, hands the tests labelled second_display to the second
# display once the x64 tests are done.
# Usage: scripts/test.sh [--arch x86|x64] [ctest arguments, e.g. -R capture]
set -euo pipefail
source "$(dirname "$0")/env.sh"

arches="x86 x64"
if [ "${1:-}" = "--arch" ]; then arches=$2; shift 2; fi

[ "$(id -u)" = 0 ] && bash "$ZV_ROOT/scripts/setup.sh"
for arch in $arches; do zv_build "$arch"; done

# The first build gets the first display and prefix, the second build the others.
displays=("$ZV_DISPLAY" "$ZV_DISPLAY2")
prefixes=("$WINEPREFIX" "$WINEPREFIX2")
read -r -a arch_list <<<"$arches"
lanes=${#arch_list[@]}

trap zv_stop EXIT
for ((lane = 0; lane < lanes; ++lane)); do zv_start_display "${displays[$lane]}"; done
# A missing prefix takes a minute or two to make: all at once.
# Only these are waited for: the displays started above are children too.
starters=()
for ((lane = 0; lane < lanes; ++lane)); do
  (export DISPLAY=${displays[$lane]} WINEPREFIX=${prefixes[$lane]}; zv_start_wine) &
  starters+=($!)
done
wait "${starters[@]}"
ZV_WINEPREFIXES="${prefixes[*]:0:$lanes}"

# Runs tests of one build on the lane's display and prefix; CTest's output goes
# to <arch>/<log>, and its time in seconds to <arch>/<log>.time. Two
# at a time: the host-side checks run beside the Wine tests, which keep the
# display to themselves (RESOURCE_LOCK display).
run_tests() {  # run_tests <arch> <lane> <log> [ctest arguments]
  local arch=$1 lane=$2 log=$ZV_BUILD_ROOT/$1/$3 started=$SECONDS
  shift 3
  echo "== tests of the $arch build on display ${displays[$lane]}, prefix ${prefixes[$lane]}" >"$log"
  DISPLAY=${displays[$lane]} WINEPREFIX=${prefixes[$lane]} \
    ctest --test-dir "$ZV_BUILD_ROOT/$arch" --output-on-failure -j 2 "$@" >>"$log" 2>&1 || true
  echo $((SECONDS - started)) >"$log.time"
}

for arch in "${arch_list[@]}"; do rm -f "$ZV_BUILD_ROOT/$arch"/ctest*.log "$ZV_BUILD_ROOT/$arch"/ctest*.time; done
started=$SECONDS
pids=() logs=() writers=()
if [ "$lanes" = 2 ] && [ "${arch_list[0]}" = x86 ]; then
  run_tests x86 0 ctest.log -LE second_display "$@" &
  pids+=($!)
  (run_tests "${arch_list[1]}" 1 ctest.log "$@"; run_tests x86 1 ctest-second.log -L second_display "$@") &
  pids+=($!)
  logs=("x86/ctest.log" "${arch_list[1]}/ctest.log" "x86/ctest-second.log")
  writers=("${pids[0]}" "${pids[1]}" "${pids[1]}")
else
  for ((lane = 0; lane < lanes; ++lane)); do
    run_tests "${arch_list[$lane]}" "$lane" ctest.log "$@" &
    pids+=($!)
    logs+=("${arch_list[$lane]}/ctest.log")
    writers+=($!)
  done
fi
# The progress as it comes, each line marked with its build.
followers=()
for i in "${!logs[@]}"; do
  log=${logs[$i]}
  tail -n +1 -F --pid="${writers[$i]}" "$ZV_BUILD_ROOT/$log" 2>/dev/null | sed -u "s|^|${log%%/*}\| |" &
  followers+=($!)
done
wait "${pids[@]}" || true
wait "${followers[@]}" || true
elapsed=$((SECONDS - started))

passed=0; failed=0; complete=1
for log in "${logs[@]}"; do
  line=$(grep -E '^[0-9]+% tests passed' "$ZV_BUILD_ROOT/$log" || true)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*, ([0-9]+) tests failed.*/\1/')
  if [ -n "$total" ] && [ -n "$bad" ]; then
    passed=$((passed + total - bad)); failed=$((failed + bad))
  elif ! grep -q 'No tests were found' "$ZV_BUILD_ROOT/$log"; then
    complete=0; echo "no result in $log"
  fi
done
for arch in "${arch_list[@]}"; do
  seconds=0
  for file in "$ZV_BUILD_ROOT/$arch"/ctest*.log.time; do seconds=$((seconds + $(cat "$file"))); done
  echo "$arch build: tests $seconds s"
done
echo "tests of all builds: $elapsed s"
echo "$passed passed, $failed failed"
[ "$complete" = 1 ] && [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
