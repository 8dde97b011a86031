#!/usr/bin/env bash
# Builds the x86 programs and runs Zorvane's main job under Wine: a capture
# started with Win+Alt+X outlines a sample window, a click closes it. Runs on
# the current display, or on Xvfb when there is none. The screenshot with the
# outline and label is written to docs/screenshot.png.
set -euo pipefail
source "$(dirname "$0")/env.sh"

[ "$(id -u)" = 0 ] && bash "$ZV_ROOT/scripts/setup.sh"
# The three programs, and the sample window and driver of the demonstration.
cmake -S "$ZV_ROOT" -B "$ZV_BUILD_ROOT/x86" -DCMAKE_TOOLCHAIN_FILE="$ZV_ROOT/cmake/toolchain-x86.cmake" \
  -DCMAKE_BUILD_TYPE=Release ${ZV_CMAKE_ARGS:-} >/dev/null
cmake --build "$ZV_BUILD_ROOT/x86" -j "$(nproc)" --target Zorvane Liftrun Stampwell action_target demo_close

if [ -z "${DISPLAY:-}" ]; then zv_start_display; fi
trap zv_stop EXIT
zv_start_wine

bin="$ZV_BUILD_ROOT/x86/bin"
work=$(mktemp -d)
mkdir -p "$ZV_ROOT/docs"
status=0
/usr/lib/wine/wine "$bin/demo_close.exe" "$(winepath -w "$work/screen.bmp" 2>/dev/null)" </dev/null || status=$?
if [ -s "$work/screen.bmp" ]; then
  # No date chunks: the same picture gives the same file.
  convert "$work/screen.bmp" -strip -define png:exclude-chunks=date,time "$ZV_ROOT/docs/screenshot.png"
  echo "screenshot: docs/screenshot.png"
fi
rm -rf "$work"
exit "$status"
