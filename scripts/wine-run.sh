#!/usr/bin/env bash
# Runs one Windows program under Wine with the given loader (wine for x86,
# wine64 for x64), quietly, returning the program's exit code.
set -u
loader=$1; shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec "$loader" "$@"
