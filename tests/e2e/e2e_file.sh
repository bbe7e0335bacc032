#!/usr/bin/env bash
# e2e_file.sh VIEWER EXPORT: the real viewer with two files, a cube and the
# exported surface, side by side: the digits select each, a drag and "a"
# change only the selected one, "r" puts it back. The objects lie left and
# right of the window's middle column, which neither crosses.
source "$(dirname "$0")/lib.sh"
EXPORT="$2"
MEZZO=500   # of 1000 columns: left object 0..499, right 500..999
"$EXPORT" "$LAVORO/superficie.off"
cubo "$LAVORO/cubo.off"
FILE=("$LAVORO/cubo.off" "$LAVORO/superficie.off")
avvia

meta() { # meta NAME left|right: that half of picture NAME as NAME.left/right.ppm
  if [ "$2" = left ]; then pamcut -left 0 -width "$MEZZO" "$LAVORO/$1.ppm"
  else pamcut -left "$MEZZO" "$LAVORO/$1.ppm"; fi >"$LAVORO/$1.$2.ppm"
}
stessa_meta() { meta "$1" "$3" && meta "$2" "$3" && cmp -s "$LAVORO/$1.$3.ppm" "$LAVORO/$2.$3.ppm"; }
diversa_meta() { ! stessa_meta "$@"; }
colori() { ppmhist -noheader "$LAVORO/$1.$2.ppm" | wc -l; }

quadro inizio
meta inizio left && meta inizio right
verifica "both halves show an object" [ "$(colori inizio left)" -gt 3 -a "$(colori inizio right)" -gt 3 ]

tasti 1 a
quadro destra_piccola inizio
verifica "1 a: the right object shrinks" diversa_meta destra_piccola inizio right
verifica "1 a: the left object stays" stessa_meta destra_piccola inizio left

trascina 1 700 300 60 30 6
quadro destra_girata destra_piccola
verifica "a drag turns the right object" diversa_meta destra_girata destra_piccola right
verifica "a drag leaves the left object" stessa_meta destra_girata inizio left

tasti r
quadro destra_di_nuovo destra_girata
verifica "r: the right object as it started, the whole picture too" uguali destra_di_nuovo inizio

tasti 0 a Up
quadro sinistra_girata destra_di_nuovo
verifica "0 a Up: the left object changes" diversa_meta sinistra_girata inizio left
verifica "0 a Up: the right object stays" stessa_meta sinistra_girata inizio right
tasti 3 a q r
sleep 0.5
quadro vuoto_scelto
verifica "3 selects an empty slot: a, q and r change nothing" uguali vuoto_scelto sinistra_girata
tasti 0 r
quadro tutto_di_nuovo sinistra_girata
verifica "0 r: the start picture again" uguali tutto_di_nuovo inizio
fine
