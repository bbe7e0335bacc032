#!/usr/bin/env bash
# come_finestra.sh VIEWER EXPORT: two files in the window. The PNG that
# `superficie --output` writes without any display holds, pixel for pixel,
# what a screenshot of the real window under Xvfb holds (both Mesa's
# llvmpipe; the start and keys with a reshape: e2e.sh, four files after a
# slot's keys: vivi.sh). The two files, a cube and the surface, lie left
# and right of the window's middle column, which neither crosses: the digits
# select each, a drag and "a" change only the selected one, "r" puts it back.
source "$(dirname "$0")/lib.sh"
EXPORT="$2" MEZZO=500   # of 1000 columns: left object 0..499, right 500..999
"$EXPORT" "$LAVORO/superficie.off"
cubo "$LAVORO/cubo.off"

# halves NAME: the md5 sums of picture NAME's left and right halves.
halves() { echo $(pamcut -width "$MEZZO" "$LAVORO/$1.ppm" | md5sum) $(pamcut -left "$MEZZO" "$LAVORO/$1.ppm" | md5sum); }
# passo NAME PREVIOUS LEFT RIGHT ACTION...: after ACTION, each half of picture
# NAME is the same as PREVIOUS's ("=") or not ("!=").
passo() {
  "${@:5}"; quadro "$1" "$2"
  read -r s1 _ d1 _ < <(halves "$1") && read -r s2 _ d2 _ < <(halves "$2")
  verifica "${*:5}: the left object $3, the right $4" [ "$s1" "$3" "$s2" -a "$d1" "$4" "$d2" ]
}

FILE=("$LAVORO/cubo.off" "$LAVORO/superficie.off")
avvia
quadro due
verifica "two files: the window's picture" come due "${FILE[@]}"
# Each half holds an object: a shrink changes it.
passo destra_piccola due = != tasti 1 a
passo destra_girata destra_piccola = != trascina 1 700 300 60 30 6
tasti r
quadro destra_di_nuovo destra_girata
verifica "r: the right object as it started, the whole picture too" uguali destra_di_nuovo due
passo sinistra_girata destra_di_nuovo != = tasti 0 a Up
tasti 0 r
quadro tutto_di_nuovo sinistra_girata
verifica "0 r: the start picture again" uguali tutto_di_nuovo due
fine
