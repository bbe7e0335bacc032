#!/usr/bin/env bash
# e2e.sh VIEWER: keys and drags on the real viewer under apitrace, judged by
# screenshots of its window (the start's against `superficie --output`; keys
# with a reshape: vivi.sh) and by the primitives of its frames.
source "$(dirname "$0")/lib.sh"
# apitrace preloads its GL wrapper ahead of the sanitizer runtime.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}verify_asan_link_order=0"
TOLLERANZA_AREA=0.04   # outline pixels come and go with a scaling
RIGA_SOTTO=440   # of 660: the object lies about row 330, its shadow below 560
# area NAME: the pixels above the shadow not of the clear colour (0.5 grey: 127 or 128).
area() {
  pamcut -height "$RIGA_SOTTO" "$LAVORO/$1.ppm" | ppmhist -noheader |
    awk 'function g(v) { return v == 127 || v == 128 } !(g($1) && g($2) && g($3)) { n += $NF } END { print n }'
}
avvia apitrace trace --output "$LAVORO/superficie.trace"

# Its pixels are docs/superficie.png's: offscreen_quadro.
quadro inizio
verifica "the start: --output's picture" come inizio
tasti a
quadro piccolo inizio
verifica "a: object area about 0.75 squared of before" awk -v a="$(area piccolo)" -v b="$(area inizio)" \
  -v t="$TOLLERANZA_AREA" 'BEGIN { print "a: area x" a / b; exit (a / b - 0.5625) ^ 2 > t * t }'

# quadro fails unless each drag changes the picture.
trascina 1 500 200 40 0 8
quadro sinistro piccolo
tasti A Up q Left
trascina 3 500 200 0 -30 6
quadro destro sinistro
trascina 2 300 200 60 20 6
quadro centrale destro
tasti r
quadro reset centrale
verifica "r after turns, scalings and a move: the start picture pixel for pixel" \
  uguali reset inizio

# Only the shadow going with o is test_gl's; here its frames lose their shadows.
tasti o
quadro senza_ombra reset
tasti O b
quadro bordi senza_ombra

# apitrace writes its trace out when the viewer, its child, gets SIGTERM.
kill -TERM "$(pgrep -P "$VPID")"
timeout "$ATTESA_FINESTRA" tail --pid="$VPID" -f /dev/null || true
# Per frame: faces, shadows (their material is the shadow grey), lines, others.
apitrace dump --color=never "$LAVORO/superficie.trace" | awk '
  /glBegin\(mode = GL_POLYGON\)/ { p = 1; next }
  /glBegin\(mode = GL_LINES\)/ { l++; p = 0; next }
  /glBegin\(/ { a++; p = 0; next }
  /glMaterialfv\(/ && p { if (/params = \{0\.1, 0\.1, 0\.1, 1\}/) s++; else f++; p = 0 }
  /glXSwapBuffers\(/ { print f + 0, s + 0, l + 0, a + 0; f = s = l = a = 0 }' >"$LAVORO/quadri"
verifica "first frame: 4096 faces and 4096 shadows" [ "$(head -n 1 "$LAVORO/quadri")" = "4096 4096 0 0" ]
verifica "after o: no shadows" grep -qx "4096 0 0 0" "$LAVORO/quadri"
verifica "after O b: 12288 lines more" [ "$(tail -n 1 "$LAVORO/quadri")" = "4096 4096 12288 0" ]
fine
