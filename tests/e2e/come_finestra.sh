#!/usr/bin/env bash
# come_finestra.sh VIEWER EXPORT: `superficie --output` against the window.
# For the start, keys (edges, transparency, an arrow, a shrink), two and
# four files and a resized window, the PNG written without any display
# holds, pixel for pixel, what a screenshot of the real window under Xvfb
# holds after the same keys and reshape. Both are Mesa's llvmpipe. The two
# files, a cube and the surface, lie left and right of the window's middle
# column, which neither crosses: the digits select each, a drag and "a"
# change only the selected one, "r" puts it back.
source "$(dirname "$0")/lib.sh"
EXPORT="$2" MEZZO=500   # of 1000 columns: left object 0..499, right 500..999
"$EXPORT" "$LAVORO/superficie.off"
"$EXPORT" --obj "$LAVORO/superficie.obj"
cubo "$LAVORO/cubo.off"
{ echo solid t
  for f in "0 0 0|0 1 0|1 0 0" "0 0 0|1 0 0|0 0 1" "0 0 0|0 0 1|0 1 0" "1 0 0|0 1 0|0 0 1"; do
    IFS='|' read -r a b c <<<"$f"
    printf 'facet normal 0 0 0\nouter loop\nvertex %s\nvertex %s\nvertex %s\nendloop\nendfacet\n' "$a" "$b" "$c"
  done
  echo endsolid t; } >"$LAVORO/tetraedro.stl"

meta() { # meta NAME left|right: that half of picture NAME as NAME.left/right.ppm
  if [ "$2" = left ]; then pamcut -left 0 -width "$MEZZO" "$LAVORO/$1.ppm"
  else pamcut -left "$MEZZO" "$LAVORO/$1.ppm"; fi >"$LAVORO/$1.$2.ppm"
}
stessa_meta() { meta "$1" "$3" && meta "$2" "$3" && cmp -s "$LAVORO/$1.$3.ppm" "$LAVORO/$2.$3.ppm"; }
diversa_meta() { ! stessa_meta "$@"; }
colori() { ppmhist -noheader "$LAVORO/$1.$2.ppm" | wc -l; }

FILE=()
avvia
quadro inizio
verifica "the start: the window's picture" come inizio
tasti b j Up a
quadro tasti inizio
verifica "--keys 'bj<Up>a' (edges, transparency, an arrow, a shrink): the window's after b j Up a" \
  come tasti --keys 'bj<Up>a'
# A reshape of the window: the resize callback with the new size.
xdotool windowsize "$W" 640 480
quadro dimensioni tasti
verifica "--size 640x480 after the keys: the window reshaped to 640 by 480" come dimensioni --keys 'bj<Up>a' --size 640x480

ferma
FILE=("$LAVORO/cubo.off" "$LAVORO/superficie.off")
avvia
quadro due
verifica "two files: the window's picture" come due "${FILE[@]}"
meta due left && meta due right
verifica "both halves show an object" [ "$(colori due left)" -gt 3 -a "$(colori due right)" -gt 3 ]

tasti 1 a
quadro destra_piccola due
verifica "two files after 1 a: the window's picture" come destra_piccola --keys 1a "${FILE[@]}"
verifica "1 a: the right object shrinks" diversa_meta destra_piccola due right
verifica "1 a: the left object stays" stessa_meta destra_piccola due left

trascina 1 700 300 60 30 6
quadro destra_girata destra_piccola
verifica "a drag turns the right object" diversa_meta destra_girata destra_piccola right
verifica "a drag leaves the left object" stessa_meta destra_girata due left

tasti r
quadro destra_di_nuovo destra_girata
verifica "r: the right object as it started, the whole picture too" uguali destra_di_nuovo due

tasti 0 a Up
quadro sinistra_girata destra_di_nuovo
verifica "0 a Up: the left object changes" diversa_meta sinistra_girata due left
verifica "0 a Up: the right object stays" stessa_meta sinistra_girata due right
tasti 3 a q r
sleep 0.5
quadro vuoto_scelto
verifica "3 selects an empty slot: a, q and r change nothing" uguali vuoto_scelto sinistra_girata
tasti 0 r
quadro tutto_di_nuovo sinistra_girata
verifica "0 r: the start picture again" uguali tutto_di_nuovo due

ferma
FILE=("$LAVORO/cubo.off" "$LAVORO/superficie.off" "$LAVORO/superficie.obj" "$LAVORO/tetraedro.stl")
avvia
quadro quattro
verifica "four files: the window's picture" come quattro "${FILE[@]}"
fine
