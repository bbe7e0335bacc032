#!/usr/bin/env bash
# finestra.sh VIEWER: the installed viewer on a virtual X server of its own,
# started as the end-to-end test starts the built one: its window appears,
# 1000 by 660, and shows the scene; with no display it fails with status 1,
# as its manual page says.
source "$(dirname "$0")/../e2e/lib.sh"

status=0
env -u DISPLAY "$VIEWER" 2>"$LAVORO/errore" || status=$?
verifica "no display: status 1 and freeglut's message" \
  [ "$status" -eq 1 -a -n "$(grep 'failed to open display' "$LAVORO/errore")" ]

avvia   # fails the test when no window appears
verifica "the window is 1000 by 660" \
  uguale "$(xwininfo -id "$W" | awk '/Width:|Height:/ { printf "%s ", $2 }')" "1000 660 "
verifica "the window shows the scene" attendi_scena "$W" "$LAVORO/quadro.ppm" "$ATTESA_QUADRO"
fine
