#!/usr/bin/env bash
# mouse.sh: left, right and middle drags on the real viewer, judged by
# screenshots, including the right drag that turns until the left button
# has been released once.
source "$(dirname "$0")/lib.sh"
avvia

quadro inizio
misura inizio
area0=$oggetto
ombra0=$ombra
ox0=$ox

# Right drag straight after start: the left flag still holds its start
# value, so it turns instead of rescaling. A turn about X tilts the flat
# object: its floor shadow barely changes, while a rescale by 1.3 would
# grow it to about 1.7 times.
trascina 3 500 200 0 -30 6
quadro destro_gira inizio
misura destro_gira
r="$(rapporto "$ombra" "$ombra0")"
echo "right drag before any left release: shadow x$r"
verifica "right drag at start turns: shadow area within 0.8..1.2" entro "$r" 0.8 1.2
verifica "right drag at start turns: the picture changes" diversi destro_gira inizio
tasti r
quadro r1 destro_gira
verifica "r: start picture" uguali r1 inizio

# A left click releases the left button once; a right drag up then rescales
# (its first step still turns, by the 5 px of that step).
xdotool mousemove --window "$W" 500 200 click 1
trascina 3 500 200 0 -30 6
quadro destro_scala r1
misura destro_scala
r="$(rapporto "$ombra" "$ombra0")"
echo "right drag after a left release: shadow x$r, surface x$(rapporto "$oggetto" "$area0")"
# 5 steps of 5 px up after the turning one: 1.05^5 = 1.28 in size, 1.63 in area.
verifica "right drag up rescales: shadow area grows to about 1.6" entro "$r" 1.4 1.85
verifica "right drag up rescales: about the centre" entro "$ox" 495 505
trascina 3 500 200 0 30 6
quadro destro_giu destro_scala
misura destro_giu
verifica "right drag down shrinks" [ "$ombra" -lt "$ombra0" ]
tasti r
quadro r2 destro_giu
verifica "r: start picture" uguali r2 inizio

# Left drag to the right: a turn about the world Y axis through the centre.
# The plus sign shows the same outline every quarter turn; 0.4 rad is far
# from one.
trascina 1 500 200 40 0 8
quadro sinistro r2
misura sinistro
verifica "left drag turns: the picture changes" [ "$(differenze sinistro inizio)" -gt 1000 ]
verifica "left drag turns about the centre" entro "$ox" 495 505
verifica "a turn about Y keeps the shadow's size" entro "$(rapporto "$ombra" "$ombra0")" 0.9 1.1
tasti r
quadro r3 sinistro
verifica "r: start picture" uguali r3 inizio

# Middle drag: 10 px per unit in the floor plane, for the whole drag.
trascina 2 300 200 60 0 6
quadro centrale r3
misura centrale
echo "middle drag right by 60 px: surface centroid x $ox0 -> $ox"
verifica "middle drag right moves the object right" entro "$ox" $((${ox0%.*} + 60)) $((${ox0%.*} + 160))
verifica "middle drag right keeps its size" entro "$(rapporto "$oggetto" "$area0")" 0.9 1.1
trascina 2 300 200 0 40 8
quadro vicino centrale
misura vicino
verifica "middle drag down brings it nearer: larger" entro "$(rapporto "$oggetto" "$area0")" 1.1 2.0
# The first left drag above began on the rescale handler that the right
# drags had left (a step by 1.0) and turned in its other 7 steps. The
# middle release puts back the handler installed before the middle drag,
# the rotation one, so 7 steps of 5 px now turn by the same amount.
tasti r
quadro r4 vicino
trascina 1 500 200 35 0 7
quadro sinistro2 r4
verifica "left drag after a middle drag turns from its first step" [ "$(differenze sinistro2 sinistro)" -lt 50 ]
fine
