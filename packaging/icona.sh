#!/usr/bin/env bash
# icona.sh: makes packaging/superficie.png, the desktop icon, from the
# viewer's own start picture: scripts/run on a virtual display saves it, the
# surface (rows above its shadow) is cropped out in a square and scaled to
# 128x128, and the grey background becomes transparent. Run once by hand;
# the icon is committed. Needs what scripts/run installs (netpbm, Xvfb).
source "$(dirname "$0")/../scripts/lib/common.sh"

LATO=128          # side of the icon, pixels
MARGINE=6         # grey kept around the surface before scaling, pixels
RIGA_OMBRA=440    # of 660: the surface lies about row 330, its shadow below 560
SFONDO=rgb:80/80/80    # the clear colour, 0.5 grey
BORDO=rgb:29/29/0a     # the darkest lit yellow: scaled edges blend into it, not into grey

lavoro="$(mktemp -d)"
trap 'rm -rf "$lavoro"' EXIT
# Its own build tree, so that the other trees keep their options.
env -u DISPLAY SUPERFICIE_BUILD_DIR=build-icon SUPERFICIE_SCREENSHOT="$lavoro/vista.png" \
  "$ROOT/scripts/run" >/dev/null
pngtopnm "$lavoro/vista.png" >"$lavoro/vista.ppm"

# The surface's bounding box: what pnmcrop takes off each side of the rows
# above the shadow.
pamcut -bottom "$((RIGA_OMBRA - 1))" "$lavoro/vista.ppm" | pnmcrop -verbose 2>"$lavoro/bordi" >/dev/null
tagli() { sed -n "s/.*Cropping \([0-9]*\) pixels from the $1 border.*/\1/p" "$lavoro/bordi"; }
read -r larghezza altezza < <(pamfile -size "$lavoro/vista.ppm")
sinistra=$(tagli left) sopra=$(tagli top)
w=$((larghezza - sinistra - $(tagli right)))
h=$((RIGA_OMBRA - sopra - $(tagli bottom)))
lato=$(( (w > h ? w : h) + 2 * MARGINE ))
x=$((sinistra + w / 2 - lato / 2)) y=$((sopra + h / 2 - lato / 2))

pamcut -left "$x" -top "$y" -width "$lato" -height "$lato" "$lavoro/vista.ppm" >"$lavoro/quadrato.ppm"
ppmcolormask -color="$SFONDO" "$lavoro/quadrato.ppm" |
  pamscale -quiet -width "$LATO" -height "$LATO" >"$lavoro/alfa.pgm"
ppmchange "$SFONDO" "$BORDO" "$lavoro/quadrato.ppm" |
  pamscale -width "$LATO" -height "$LATO" |
  pnmtopng -compression=9 -alpha="$lavoro/alfa.pgm" >"$ROOT/packaging/superficie.png"
echo "$ROOT/packaging/superficie.png: ${lato}x${lato} at ($x, $y) scaled to ${LATO}x${LATO}"
