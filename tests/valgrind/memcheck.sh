#!/usr/bin/env bash
# memcheck.sh BINARY SUPPRESSIONS WORKDIR: runs the real viewer under
# valgrind's memcheck on an X server of its own, drives a scripted session of drags, keys
# and reshapes through the X server (xdotool), and fails on any invalid read
# or write or use of an uninitialised value that the suppressions (the C
# library's loader and Mesa only) do not cover.
#
# Mesa renders with llvmpipe by default: its start-up is slower under
# valgrind (the first frame compiles shaders, about 30 s against 5 s for
# softpipe) but it needs no suppression of its own, so nothing it is handed
# goes unchecked. SUPERFICIE_VALGRIND_DRIVER=softpipe picks the faster one.
source "$(dirname "$0")/../../scripts/lib/common.sh"

BINARY="$1"
SUPP="$2"
WORK="$3"
mkdir -p "$WORK"
LOG="$WORK/memcheck.log"
rm -f "$LOG"

start_xvfb
export LIBGL_ALWAYS_SOFTWARE=1
if [ "${SUPERFICIE_VALGRIND_DRIVER:-llvmpipe}" = softpipe ]; then
  export GALLIUM_DRIVER=softpipe
fi

valgrind --tool=memcheck --leak-check=no --track-origins=yes --num-callers=40 \
  --suppressions="$SUPP" --gen-suppressions=all --log-file="$LOG" "$BINARY" &
VG=$!
trap 'kill "$VG" 2>/dev/null || true; kill "$XVFB_PID" 2>/dev/null || true' EXIT

fail() {
  echo "memcheck session: $*" >&2
  [ -f "$LOG" ] && sed -n '1,400p' "$LOG" >&2
  exit 1
}

# Waits until the viewer has used no CPU for a second: every event sent so
# far has been handled and the frame it asked for drawn.
idle() {
  local prima dopo
  dopo=$(awk '{print $14 + $15}' "/proc/$VG/stat") || fail "the viewer is gone"
  while :; do
    prima="$dopo"
    sleep 1
    dopo=$(awk '{print $14 + $15}' "/proc/$VG/stat") || fail "the viewer is gone"
    [ "$prima" = "$dopo" ] && return 0
  done
}

shot() { xwd -root -silent | md5sum | cut -d' ' -f1; }

# Under valgrind mapping takes seconds; two minutes is a deadline for a
# loaded machine.
WIN=$(timeout 120 xdotool search --sync --name '^Superficie$' | head -n1) ||
  fail "no window within 120 s"
idle
inizio=$(shot)

# The window sits at (50, 50), 1000 x 660: its centre is at (550, 380).
xdotool mousemove 550 380 mousedown 1 mousemove 570 390 mousemove 600 410 \
  mousemove 640 380 mouseup 1
idle
dopo_trascinamento=$(shot)
[ "$dopo_trascinamento" != "$inizio" ] || fail "a left drag changed nothing on screen"

# Right drag after the left release: one turn, then rescales up and down.
xdotool mousemove 550 380 mousedown 3 mousemove 550 370 mousemove 550 350 \
  mousemove 550 390 mouseup 3
idle
# Middle drag: translation in the floor plane.
xdotool mousemove 550 380 mousedown 2 mousemove 570 400 mousemove 530 360 mouseup 2
idle

# Transparency down and up, shadows and edges off and on, shrink, grow,
# turns by the arrows and a function key, reset.
xdotool key j j j u b o a q Up Left Down Right F1
idle
dopo_tasti=$(shot)
[ "$dopo_tasti" != "$dopo_trascinamento" ] || fail "the keys changed nothing on screen"
xdotool key u u b o r
idle

# Empty and missing slots selected: keys and drags must act on nothing.
xdotool key 2 a q r Up 4 a r space
xdotool mousemove 550 380 mousedown 1 mousemove 580 400 mouseup 1
xdotool key 0 r
idle

# Reshapes, down to one pixel and back.
xdotool windowsize "$WIN" 400 300
idle
xdotool windowsize "$WIN" 1 1
idle
xdotool windowsize "$WIN" 1000 660
idle

kill -0 "$VG" 2>/dev/null || fail "the viewer died during the session"
kill -TERM "$VG"
wait "$VG" || true

summary=$(grep -E '== ERROR SUMMARY:' "$LOG" | tail -n1) || fail "no error summary"
echo "$summary"
errors=$(echo "$summary" | sed -E 's/.*ERROR SUMMARY: ([0-9]+) errors.*/\1/')
[ "$errors" = 0 ] || fail "$errors errors"
echo "memcheck session: no errors"
