# Shared settings of the scripts: build folders, display and Wine prefix.
# Each may be set beforehand, so that several working copies can test at once.
ZV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ZV_BUILD_ROOT=${ZV_BUILD_ROOT:-$ZV_ROOT/build}
export ZV_DISPLAY=${ZV_DISPLAY:-:99}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-zorvane}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Configures and builds one architecture (x86 or x64): everything, or only the
# targets named after it.
zv_build() {
  local arch=$1; shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake -S "$ZV_ROOT" -B "$ZV_BUILD_ROOT/$arch" -DCMAKE_TOOLCHAIN_FILE="$ZV_ROOT/cmake/toolchain-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release ${ZV_CMAKE_ARGS:-} >/dev/null &&
    cmake --build "$ZV_BUILD_ROOT/$arch" -j "$(nproc)" "${targets[@]}"
}

# Every time stamp of a release (linker, strip, zip, staged files) comes from
# SOURCE_DATE_EPOCH, so that a rebuild gives the same bytes; unless it is set
# already, it is the time of the last commit.
zv_source_date_epoch() {
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$ZV_ROOT" log -1 --format=%ct 2>/dev/null) ||
      { echo "SOURCE_DATE_EPOCH is not set and $ZV_ROOT has no git history to take it from" >&2; return 1; }
  fi
  export SOURCE_DATE_EPOCH
}

# Starts Xvfb on ZV_DISPLAY unless a server already answers there.
zv_start_display() {
  export DISPLAY=$ZV_DISPLAY
  if ! xdpyinfo >/dev/null 2>&1 && ! xset q >/dev/null 2>&1; then
    local number=${ZV_DISPLAY#:}
    rm -f "/tmp/.X${number}-lock" "/tmp/.X11-unix/X${number}"
    Xvfb "$ZV_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ZV_XVFB_PID=$!
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X${number}" ] && break
      sleep 0.1
    done
  fi
}

# Makes the Wine prefix if it is missing and keeps one wine server running.
# No window manager runs on Xvfb: when Wine lets one manage its windows, it
# waits about 2 s for the manager's answer each time it hides a dialog or
# message box. The prefix's X11 driver is told to manage them itself.
zv_start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  wineserver -p >/dev/null 2>&1 || true
  if ! grep -qs '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
  fi
  # Start the prefix's services now, detached from any test's output pipe:
  # a service started by a test would hold CTest's pipe open.
  wine wineboot >/dev/null 2>&1 </dev/null || true
}

zv_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${ZV_XVFB_PID:-}" ]; then kill "$ZV_XVFB_PID" 2>/dev/null || true; fi
}
