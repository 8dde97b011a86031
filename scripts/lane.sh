#!/usr/bin/env bash
# Runs a command of a test on the lane (display and Wine prefix) that CTest's
# resource allocation gave the test, when scripts/test.sh runs the suite over
# several lanes; otherwise on DISPLAY and WINEPREFIX as they are.
# Usage: lane.sh <command> [arguments]
lane=${CTEST_RESOURCE_GROUP_0_LANES:-}
if [ -n "$lane" ] && [ -n "${ZV_LANE_DISPLAYS:-}" ]; then
  lane=${lane#id:}
  lane=${lane%%,*}
  read -r -a displays <<<"$ZV_LANE_DISPLAYS"
  read -r -a prefixes <<<"$ZV_LANE_PREFIXES"
  export DISPLAY=${displays[$lane]} WINEPREFIX=${prefixes[$lane]}
fi
exec "$@"
