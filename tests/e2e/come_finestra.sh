#!/usr/bin/env bash
# come_finestra.sh VIEWER EXPORT: `superficie --output` against the window.
# For the start, keys (edges, transparency, an arrow, a shrink), two and
# four files and a resized window, the PNG written without any display
# holds, pixel for pixel, what a screenshot of the real window under Xvfb
# holds after the same keys and reshape. Both are Mesa's llvmpipe.
source "$(dirname "$0")/lib.sh"
EXPORT="$2"
"$EXPORT" "$LAVORO/superficie.off"
"$EXPORT" --obj "$LAVORO/superficie.obj"
printf 'OFF\n8 6 0\n-1 -1 -1\n1 -1 -1\n1 1 -1\n-1 1 -1\n-1 -1 1\n1 -1 1\n1 1 1\n-1 1 1\n%s' \
  '4 0 3 2 1
4 4 5 6 7
4 0 1 5 4
4 1 2 6 5
4 2 3 7 6
4 3 0 4 7
' >"$LAVORO/cubo.off"
cat >"$LAVORO/tetraedro.stl" <<'STL'
solid t
facet normal 0 0 -1
outer loop
vertex 0 0 0
vertex 0 1 0
vertex 1 0 0
endloop
endfacet
facet normal 0 -1 0
outer loop
vertex 0 0 0
vertex 1 0 0
vertex 0 0 1
endloop
endfacet
facet normal -1 0 0
outer loop
vertex 0 0 0
vertex 0 0 1
vertex 0 1 0
endloop
endfacet
facet normal 1 1 1
outer loop
vertex 1 0 0
vertex 0 1 0
vertex 0 0 1
endloop
endfacet
endsolid t
STL

# fuori NAME ARGS...: superficie --output with ARGS and no display, as
# NAME.png and its pixels in NAME.out.ppm.
fuori() {
  local nome="$1"; shift
  env -u DISPLAY "$VIEWER" --output "$LAVORO/$nome.png" "$@" </dev/null ||
    { echo "FAILED: --output $* ended with status $?" >&2; exit 1; }
  pngtopam "$LAVORO/$nome.png" >"$LAVORO/$nome.out.ppm"
}
# come NAME: the window's picture NAME and the PNG's pixels are the same;
# otherwise how many pixels differ, by how much at most.
come() {
  if cmp -s "$LAVORO/$1.ppm" "$LAVORO/$1.out.ppm"; then return 0; fi
  pamfile "$LAVORO/$1.ppm" "$LAVORO/$1.out.ppm" >&2
  pamarith -difference "$LAVORO/$1.ppm" "$LAVORO/$1.out.ppm" 2>/dev/null | ppmhist -noheader |
    awk '$1 + $2 + $3 > 0 { n += $NF; if ($1 > m) m = $1; if ($2 > m) m = $2; if ($3 > m) m = $3 }
      END { print "differing pixels: " n + 0 ", largest channel difference: " m + 0 }' >&2
  return 1
}

FILE=()
avvia
quadro inizio
fuori inizio
verifica "the start: the window's picture" come inizio
tasti b j Up a
quadro tasti inizio
fuori tasti --keys 'bj<Up>a'
verifica "--keys 'bj<Up>a' (edges, transparency, an arrow, a shrink): the window's after b j Up a" \
  come tasti
# A reshape of the window: the resize callback with the new size.
xdotool windowsize "$W" 640 480
quadro dimensioni tasti
fuori dimensioni --keys 'bj<Up>a' --size 640x480
verifica "--size 640x480 after the keys: the window reshaped to 640 by 480" come dimensioni
verifica "the resized picture is 640 by 480" grep -q '640 by 480' <(pamfile "$LAVORO/dimensioni.out.ppm")

ferma
FILE=("$LAVORO/cubo.off" "$LAVORO/superficie.off")
avvia
quadro due
fuori due "${FILE[@]}"
verifica "two files: the window's picture" come due
tasti 1 a o
quadro due_tasti due
fuori due_tasti --keys 1ao "${FILE[@]}"
verifica "two files after 1 a o: the window's picture" come due_tasti

ferma
FILE=("$LAVORO/cubo.off" "$LAVORO/superficie.off" "$LAVORO/superficie.obj" "$LAVORO/tetraedro.stl")
avvia
quadro quattro
fuori quattro "${FILE[@]}"
verifica "four files: the window's picture" come quattro
fine
