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
cubo "$LAVORO/cubo.off"
{ echo solid t
  for f in "0 0 0|0 1 0|1 0 0" "0 0 0|1 0 0|0 0 1" "0 0 0|0 0 1|0 1 0" "1 0 0|0 1 0|0 0 1"; do
    IFS='|' read -r a b c <<<"$f"
    printf 'facet normal 0 0 0\nouter loop\nvertex %s\nvertex %s\nvertex %s\nendloop\nendfacet\n' "$a" "$b" "$c"
  done
  echo endsolid t; } >"$LAVORO/tetraedro.stl"

# come NAME: the window's picture NAME and the PNG's pixels are the same;
# otherwise how many pixels differ, by how much at most.
come() {
  pngtopam "$LAVORO/$1.png" >"$LAVORO/$1.out.ppm"
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
