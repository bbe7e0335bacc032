#!/usr/bin/env bash
# icona.sh: makes packaging/superficie.png, the desktop icon, from the
# viewer's own start picture: scripts/run with no display saves it, the
# surface (rows above its shadow) is cropped out in a square and scaled to
# 128x128, and the grey background becomes transparent. Run once by hand;
# the icon is committed.
#
# It also remakes packaging/icona_finestra.inc, the same icon at the sizes
# the window itself offers the desktop (_NET_WM_ICON), since the viewer has
# no PNG decoder; `icona.sh --tabella` remakes only that, from the
# committed PNG.
source "$(dirname "$0")/../scripts/lib/comune.sh"
setup_packages icon

LATI_FINESTRA=(48)   # the window's icon sizes: 48 pixels, about 2300 values each
TABELLA="$ROOT/packaging/icona_finestra.inc"

# tabella: packaging/superficie.png as _NET_WM_ICON data, for each size its
# width, height and pixels row by row as 0xAARRGGBB. pamscale weighs the
# colours by alpha, so the transparent border does not darken the edges.
tabella() {
  {
    echo "// icona_finestra.inc: made by packaging/icona.sh from packaging/superficie.png"
    echo "// (pngtopam -alphapam | pamscale | pamtable); do not edit. For each size:"
    echo "// width, height, then the pixels row by row as 0xAARRGGBB."
    for lato in "${LATI_FINESTRA[@]}"; do
      echo "$lato, $lato,"
      pngtopam -alphapam "$ROOT/packaging/superficie.png" |
        pamscale -width "$lato" -height "$lato" | pamtable |
        awk -F'|' '{ for (i = 1; i <= NF; i++) { split($i, c, " ")
                       printf "0x%02x%02x%02x%02x,%s", c[4], c[1], c[2], c[3], (++n % 8) ? " " : "\n" } }'
    done
  } >"$TABELLA"
  echo "$TABELLA: ${LATI_FINESTRA[*]} pixels square"
}
if [ "${1:-}" = --tabella ]; then
  tabella
  exit 0
fi

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
tabella
