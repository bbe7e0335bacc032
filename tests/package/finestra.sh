#!/usr/bin/env bash
# finestra.sh VIEWER: the installed viewer on a virtual X server of its own:
# its window appears, 1000 by 660, and shows the scene; with no display it
# fails with status 1, as its manual page says.
source "$(dirname "$0")/lib.sh"
source "$ROOT/scripts/lib/schermo.sh"
VIEWER="$1"
ATTESA=60   # seconds: a deadline for a loaded machine, not an expectation
LAVORO="$(mktemp -d)"

status=0
env -u DISPLAY "$VIEWER" 2>"$LAVORO/errore" || status=$?
verifica "no display: status 1 and freeglut's message" \
  [ "$status" -eq 1 -a -n "$(grep 'failed to open display' "$LAVORO/errore")" ]

# As in the end-to-end test: under load a fresh server has been seen
# unreachable, so a try that gets no window starts another.
w=""
for prova in 1 2 3; do
  start_xvfb
  "$VIEWER" 2>"$LAVORO/errore" &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true; kill "$XVFB_PID" 2>/dev/null || true; rm -rf "$LAVORO"' EXIT
  w="$(finestra_di "$pid" "$ATTESA")" && break
  echo "no window on $DISPLAY (try $prova): $(cat "$LAVORO/errore")" >&2
  w="" && kill "$pid" "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
done
if [ -n "$w" ]; then
  verifica "the window is 1000 by 660" \
    uguale "$(xwininfo -id "$w" | awk '/Width:|Height:/ { printf "%s ", $2 }')" "1000 660 "
  verifica "the window shows the scene" attendi_scena "$w" "$LAVORO/quadro.ppm" "$ATTESA"
else
  verifica "the window \"Superficie\" appears" false
fi
fine
