#!/usr/bin/env bash
# tasti.sh: ordinary and arrow keys on the real viewer, judged by
# screenshots: shrink, reset, shadows, edges, transparency, turns, and keys
# that select no object or an empty slot.
source "$(dirname "$0")/lib.sh"
avvia

# Edge pixels of the surface outline come and go with a scaling, so the
# area ratio of "a" (0.75 squared) holds to a few hundredths only.
TOLLERANZA_AREA=0.04

quadro inizio
misura inizio
area0=$oggetto
ombra0=$ombra

tasti a
quadro piccolo inizio
misura piccolo
r="$(rapporto "$oggetto" "$area0")"
echo "\"a\": surface area x$r, shadow area x$(rapporto "$ombra" "$ombra0")"
verifica "a: area about 0.5625 of before" entro "$r" $(awk -v t=$TOLLERANZA_AREA 'BEGIN { print 0.5625 - t, 0.5625 + t }')
verifica "a: shrinks about the centre" entro "$ox" 495 505
tasti A
quadro piccolissimo piccolo
misura piccolissimo
verifica "A: shrinks again" entro "$(rapporto "$oggetto" "$area0")" 0.25 0.38
tasti r
quadro reset1 piccolissimo
verifica "r: the start picture again" uguali reset1 inizio

tasti o
quadro senza_ombra inizio
misura senza_ombra
verifica "o: no shadow pixels" [ "$ombra" -eq 0 ]
verifica "o: surface unchanged" [ "$oggetto" -eq "$area0" ]
tasti O
quadro con_ombra senza_ombra
verifica "O: shadow back, the start picture" uguali con_ombra inizio

tasti b
quadro bordi inizio
misura bordi
verifica "b: edges change the surface" [ "$(differenze bordi inizio)" -gt 500 ]
verifica "b: shadow untouched" [ "$ombra" -eq "$ombra0" ]
tasti B
quadro senza_bordi bordi
verifica "B: edges gone" uguali senza_bordi inizio

tasti j
quadro trasparente inizio
verifica "j: the colours change" [ "$(differenze trasparente inizio)" -gt 2000 ]
tasti u
quadro opaco trasparente
verifica "u: opaque again, the start picture" uguali opaco inizio

# The arrows turn by 6 radians; up then down comes back to within rounding.
tasti Up
quadro su inizio
verifica "Up: the picture changes" [ "$(differenze su inizio)" -gt 500 ]
tasti Down
quadro giu su
verifica "Down: back to the start, to within rounding" [ "$(differenze giu inizio)" -lt 50 ]
tasti Left
quadro sinistra giu
tasti Right
quadro destra sinistra
verifica "Left then Right: back to within rounding" [ "$(differenze destra inizio)" -lt 50 ]

# A mix of turns, scalings and a translation, then "R".
tasti Left q q Up a
trascina 1 500 100 40 30 4
quadro misto destra
trascina 3 500 100 0 20 4
quadro misto2 misto
trascina 2 500 100 30 -20 4
quadro misto3 misto2
verifica "the mix moved the object" diversi misto3 inizio
tasti R
quadro reset2 misto3
verifica "R after the mix: the start picture pixel for pixel" uguali reset2 inizio

# Keys on an empty slot or on no slot change nothing; "o" afterwards shows
# that they were handled (events arrive in order) and left the surface alone.
tasti 2 a q r Up Left 4 a q Up space q a Right
tasti o
quadro nessuno reset2
verifica "keys on slot 2, 4 and -1 change nothing" uguali nessuno senza_ombra
tasti 0 a o
quadro di_nuovo nessuno
misura di_nuovo
verifica "after 0 the keys act on the surface again" entro "$(rapporto "$oggetto" "$area0")" 0.52 0.61
fine
