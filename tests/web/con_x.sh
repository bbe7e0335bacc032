#!/usr/bin/env bash
# con_x.sh SCRIPT ARGS...: one of this folder's Python programs with an X
# server of its own in $DISPLAY.
source "$(dirname "$0")/../../scripts/lib/comune.sh"
start_xvfb
/usr/bin/python3 -B "$ROOT/tests/web/$1" "${@:2}"
