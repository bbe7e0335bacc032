#!/usr/bin/env bash
# stesso_flusso.sh VIEWER STREAM GL: checks under apitrace that the stream
# floors issue the very calls the viewer issues, on the X server named by
# $DISPLAY.
#
#   - the real viewer and bench_nudo_flusso, each at its first frame;
#   - in bench_gl, in all four states and with four files at capacity in the
#     scene, the viewer's frame and the stream floor's frame that its frames_
#     case reads back to compare pixels.
#
# A frame is the calls from its glClear to its buffer swap. The two frames of
# a pair must match call for call, arguments included (as apitrace prints
# them; the X display's address and the window's id aside). Prints one line per pair with the
# primitive calls per frame; exits 1 if a pair differs.
set -euo pipefail
viewer="$1" stream="$2" gl="$3"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

# frame TRACE [N]: the last whole frame of TRACE, or the last one before its
# N-th glReadPixels; one call a line.
frame() {
  apitrace dump --color=never "$1" | sed -n 's/^[0-9][0-9]* //p' |
    sed 's/0x[0-9a-f]*/0x/g; s/drawable = [0-9]*/drawable = N/' >"$1.calls"
  local end swap clear
  end="$(wc -l <"$1.calls")"
  if [ -n "${2:-}" ]; then
    end="$(grep -n '^glReadPixels(' "$1.calls" | sed -n "${2}p" | cut -d: -f1)"
    [ -n "$end" ] || return 0
  fi
  swap="$(head -n "$end" "$1.calls" | grep -n '^glXSwapBuffers(' | tail -1 | cut -d: -f1)"
  [ -n "$swap" ] || return 0
  clear="$(head -n "$swap" "$1.calls" | grep -n '^glClear(' | tail -1 | cut -d: -f1)"
  sed -n "${clear:-1},${swap}p" "$1.calls"
}

# standalone NAME PROGRAM: traces PROGRAM until its window has been up a
# while, then ends it; apitrace writes the trace out when its child ends.
standalone() {
  apitrace trace --output "$dir/$1.trace" "$2" >/dev/null 2>"$dir/$1.err" &
  local tracer=$! child=""
  timeout 20 xdotool search --sync --name '^Superficie$' >/dev/null || true
  sleep 2
  child="$(pgrep -P "$tracer" || true)"
  [ -n "$child" ] && kill -TERM "$child"
  wait "$tracer" || true
  frame "$dir/$1.trace" >"$dir/$1.frame"
}

# bench_case STATE: bench_gl's frames_STATE for a moment; its first read-back
# follows the viewer's frame, its second the stream floor's.
bench_case() {
  apitrace trace --output "$dir/$1.trace" "$gl" --benchmark_filter="^frames_$1/" \
    --benchmark_min_time=0.01 >/dev/null 2>"$dir/$1.err" || true
  frame "$dir/$1.trace" 1 >"$dir/$1-viewer.frame"
  frame "$dir/$1.trace" 2 >"$dir/$1-stream.frame"
}

counts() {
  local f="$1" out="" n
  for call in glBegin glEnd glMaterialfv glColor4f glNormal3f glVertex3f; do
    n="$(grep -c "^$call(" "$f" || true)"
    out="$out $n $call,"
  done
  echo "${out% ,}" | sed 's/,$//'
}

status=0
compare() { # compare LABEL A B
  if [ ! -s "$dir/$2.frame" ] || [ ! -s "$dir/$3.frame" ]; then
    echo "$1: no frame traced ($2, $3)"; status=1; return
  fi
  if cmp -s "$dir/$2.frame" "$dir/$3.frame"; then
    echo "$1: same calls, same arguments; per frame$(counts "$dir/$2.frame")"
  else
    echo "$1: DIFFERENT: viewer$(counts "$dir/$2.frame") / floor$(counts "$dir/$3.frame")"
    status=1
  fi
}

standalone viewer "$viewer"
standalone stream "$stream"
compare "superficie and bench_nudo_flusso, first frame" viewer stream
for state in default shadows_off edges_on transparency_on four_files; do
  bench_case "$state"
  compare "bench_gl, $state" "$state-viewer" "$state-stream"
done
exit "$status"
