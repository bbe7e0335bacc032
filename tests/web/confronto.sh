#!/usr/bin/env bash
# confronto.sh VIEWER PAGE [OUT]: confronto.py on an X server of its own.
source "$(dirname "$0")/../../scripts/lib/common.sh"
start_xvfb
/usr/bin/python3 "$ROOT/tests/web/confronto.py" "$@"
