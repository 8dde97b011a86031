# Shared settings of the scripts: build folders, displays and Wine prefixes.
# Each may be set beforehand, so that several working copies can test at once.
ZV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ZV_BUILD_ROOT=${ZV_BUILD_ROOT:-$ZV_ROOT/build}
export ZV_DISPLAY=${ZV_DISPLAY:-:99}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-zorvane}
# A second display and prefix, on which scripts/test.sh tests the x64 build
# while the x86 one is tested on the first: by default 100 displays further
# on and the first prefix's name with "-2".
zv_display_number=${ZV_DISPLAY#:}
export ZV_DISPLAY2=${ZV_DISPLAY2:-:$((${zv_display_number%%.*} + 100))}
export WINEPREFIX2=${WINEPREFIX2:-$WINEPREFIX-2}
unset zv_display_number

# The display and Wine prefix of scripts/test.sh's lane N: lanes 0 and 1 are
# the two above, each further one 100 displays on and the prefix's name with -N+1.
zv_lane_display() {
  case $1 in
    0) echo "$ZV_DISPLAY" ;;
    1) echo "$ZV_DISPLAY2" ;;
    *) local number=${ZV_DISPLAY2#:}; echo ":$((${number%%.*} + 100 * ($1 - 1)))" ;;
  esac
}
zv_lane_prefix() {
  case $1 in
    0) echo "$WINEPREFIX" ;;
    1) echo "$WINEPREFIX2" ;;
    *) echo "$WINEPREFIX-$(($1 + 1))" ;;
  esac
}
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

# Starts Xvfb on the display (ZV_DISPLAY when none is given) unless a server
# already answers there, and makes it the DISPLAY of what follows.
zv_start_display() {
  local display=${1:-$ZV_DISPLAY}
  export DISPLAY=$display
  if ! xdpyinfo >/dev/null 2>&1 && ! xset q >/dev/null 2>&1; then
    local number=${display#:}
    number=${number%%.*}
    rm -f "/tmp/.X${number}-lock" "/tmp/.X11-unix/X${number}"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ZV_XVFB_PIDS="${ZV_XVFB_PIDS:-} $!"
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X${number}" ] && break
      sleep 0.1
    done
  fi
}

# Makes the Wine prefix WINEPREFIX if it is missing and keeps one wine server
# running. No window manager runs on Xvfb: when Wine lets one manage its
# windows, it waits about 2 s for the manager's answer each time it hides a
# dialog or message box. The prefix's X11 driver is told to manage them itself.
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
  ZV_WINEPREFIXES="${ZV_WINEPREFIXES:-} $WINEPREFIX"
}

# Ends the wine servers of the prefixes started here and the Xvfb servers
# started here.
zv_stop() {
  local prefix pid
  for prefix in ${ZV_WINEPREFIXES:-$WINEPREFIX}; do WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; done
  for pid in ${ZV_XVFB_PIDS:-}; do kill "$pid" 2>/dev/null || true; done
}
