#!/usr/bin/env bash
# avvio.sh: the start picture of the real viewer: one window "Superficie",
# 1000x660 at (50, 50), grey, the lit surface in the middle, its shadow
# below; nothing printed; the process ends when its window goes.
source "$(dirname "$0")/lib.sh"
avvia

geometria="$(xdotool getwindowgeometry "$W")"
verifica "window at 50,50" grep -q "Position: 50,50" <<<"$geometria"
verifica "window 1000x660" grep -q "Geometry: 1000x660" <<<"$geometria"
verifica "one window" [ "$(xdotool search --name '^Superficie$' | wc -l)" -eq 1 ]

quadro inizio
misura inizio
echo "start: $oggetto surface pixels at ($ox, $oy), $ombra shadow pixels at ($sx, $sy)"
# The surface spans about 180 x 55 pixels; its shadow the plus sign below.
verifica "surface drawn" [ "$oggetto" -gt 4000 ]
verifica "surface centred" entro "$ox" 495 505
verifica "surface at mid height" entro "$oy" 320 340
verifica "shadow drawn" [ "$ombra" -gt 4000 ]
verifica "shadow below the surface" entro "$sy" 560 660
verifica "shadow centred" entro "$sx" 495 505

verifica "nothing on stdout" [ ! -s "$LAVORO/stdout" ]
verifica "nothing on stderr" [ ! -s "$LAVORO/stderr" ]

# Closing the window ends the process.
"$CHIUDI" "$W"
fino=$((SECONDS + ATTESA_FINESTRA))
while kill -0 "$VPID" 2>/dev/null && [ "$SECONDS" -lt "$fino" ]; do sleep 0.1; done
verifica "the process ended with its window" bash -c "! kill -0 $VPID 2>/dev/null"
fine
