#!/usr/bin/env bash
# memcheck.sh VIEWER SUPPRESSIONS: the real viewer under memcheck for a scripted
# session of drags, keys and reshapes; fails on any unsuppressed error.
ATTESA_FINESTRA=120   # under valgrind llvmpipe compiles for about 30 s before the first frame
source "$(dirname "$0")/../e2e/lib.sh"
LOG="$LAVORO/memcheck.log"
avvia env LIBGL_ALWAYS_SOFTWARE=1 valgrind --tool=memcheck --leak-check=no --track-origins=yes \
  --num-callers=40 --suppressions="$2" --gen-suppressions=all --log-file="$LOG"
fallito() { { echo "memcheck session: $*"; cat "$LOG"; } >&2; exit 1; }
# Waits until the viewer has used no CPU for a second: all events handled, frames drawn.
riposo() {
  local prima dopo=x
  until [ "${prima:-}" = "$dopo" ]; do
    prima=$dopo && sleep 1
    dopo=$(awk '{ print $14 + $15 }' "/proc/$VPID/stat") || fallito "the viewer is gone"
  done
}
scatta() { riposo && schermata "$W" "$LAVORO/$1.ppm"; }

scatta inizio
trascina 1 500 330 90 30 3
scatta trascinato
uguali trascinato inizio && fallito "a left drag changed nothing on screen"
trascina 3 500 330 0 -30 3   # after the left release: a turn, then rescales
trascina 3 500 330 0 40 2
trascina 2 500 330 30 20 3
tasti j j j u b o a q Up Left Down Right F1
tasti u u b o r 2 a q r Up 4 a r space   # then keys and a drag on an empty and on no slot
trascina 1 500 330 30 20 2
tasti 0 r
for g in "400 300" "1 1" "1000 660"; do xdotool windowsize "$W" $g && riposo; done
kill -TERM "$VPID" || fallito "the viewer died during the session"
wait "$VPID" || true
grep -q "ERROR SUMMARY: 0 errors" "$LOG" || fallito "errors found"
