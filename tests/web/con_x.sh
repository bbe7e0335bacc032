#!/usr/bin/env bash
# con_x.sh PART ARGS...: a part of prove.py with an X server of its own in
# $DISPLAY, and the screenshot program in $SCHERMATA.
source "$(dirname "$0")/../../scripts/lib/comune.sh"
source "$ROOT/scripts/lib/schermo.sh"
costruisci_schermata
start_xvfb
SCHERMATA="$SCHERMATA" /usr/bin/python3 -B "$ROOT/tests/web/prove.py" "$@"
