#!/usr/bin/env bash
# Runs one Windows program under Wine with the given loader (wine for x86,
# wine64 for x64), quietly, returning the program's exit code. A failing run
# says its exit code, so that a program that never got to print is told apart
# from a failed check.
set -u
loader=$1; shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
"$loader" "$@"
code=$?
[ "$code" = 0 ] || echo "$(basename "$1") ended with exit code $code"
exit "$code"
