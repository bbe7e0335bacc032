#!/usr/bin/env bash
# e2e_grandi.sh VIEWER EXPORT GENERATOR: files larger than a polyhedron holds
# drawn by the real viewer. Each gives its one line on standard error; the
# picture of a fitted file is the picture of what superficie-export --from
# writes for it; four large files lie side by side, each as its export. The
# sanitizer build's small instance has a tenth of the triangles.
source "$(dirname "$0")/lib.sh"
EXPORT="$2" GENERA="$3" SCALA=10
[ -z "${SUPERFICIE_ISTANZA_PICCOLA:-}" ] || SCALA=1
# riga FILE FACES: the line a fitted FILE gives, from the faces it holds and
# those its export holds.
riga() {
  echo "superficie: $1: $2 faces shown as $("$EXPORT" --from "$1" 2>/dev/null | sed -n 2p |
    cut -d' ' -f2) (a polyhedron holds 5000)"
}
stesse() { cmp -s "$LAVORO/$1.png" "$LAVORO/$2.png"; }
colori() { pngtopam "$LAVORO/$1.png" | pamcut "${@:2}" | ppmhist -noheader | wc -l; }

# A scan-sized binary STL: 1.3 million triangles, 65 MB.
"$GENERA" stl $((131072 * SCALA)) "$LAVORO/grande.stl"
fuori grande "$LAVORO/grande.stl"
verifica "a large STL: one object" [ "$(colori grande -left 0)" -gt 3 ]
verifica "its one line on standard error" uguale "$(cat "$LAVORO/grande.err")" \
  "$(riga "$LAVORO/grande.stl" "$(od -An -tu4 -j80 -N4 "$LAVORO/grande.stl" | tr -d ' ')")"
# Its export, as OFF and as OBJ, gives the same picture.
"$EXPORT" --from "$LAVORO/grande.stl" "$LAVORO/grande_esportato.off" 2>/dev/null
"$EXPORT" --obj --from "$LAVORO/grande.stl" "$LAVORO/grande_esportato.obj" 2>/dev/null
verifica "the export of a file without normals is OFF" [ "$(head -n 1 "$LAVORO/grande_esportato.off")" = OFF ]
fuori esportato "$LAVORO/grande_esportato.off"
verifica "the exported OFF: the fitted file's picture" stesse esportato grande
verifica "the exported OFF fits: nothing on standard error" [ ! -s "$LAVORO/esportato.err" ]
fuori esportato_obj "$LAVORO/grande_esportato.obj"
verifica "the exported OBJ: the fitted file's picture" stesse esportato_obj grande

# Smooth, from a file with normals: NOFF, the same picture.
"$GENERA" off $((30000 * SCALA)) "$LAVORO/liscio.off"
"$EXPORT" --from "$LAVORO/liscio.off" "$LAVORO/liscio_esportato.off" 2>/dev/null
verifica "the export of a file with normals is NOFF" [ "$(head -n 1 "$LAVORO/liscio_esportato.off")" = NOFF ]
fuori liscio "$LAVORO/liscio.off"
fuori liscio_esportato "$LAVORO/liscio_esportato.off"
verifica "the exported NOFF: the smooth fitted file's picture" stesse liscio_esportato liscio
verifica "smooth and flat fittings differ" eval '! stesse liscio grande'

# Four large files in four formats, side by side: four lines, in order, and
# the picture of their four exports.
for f in ply obj stla; do "$GENERA" "$f" $((20000 * SCALA)) "$LAVORO/quattro.${f%a}"; done
QUATTRO=("$LAVORO/liscio.off" "$LAVORO/quattro.ply" "$LAVORO/quattro.obj" "$LAVORO/quattro.stl")
fuori quattro "${QUATTRO[@]}"
attese="" ESPORTATI=()
for f in "${QUATTRO[@]}"; do
  n="$("$EXPORT" --from "$f" 2>&1 >"$f.esportato.off" | sed 's/^superficie-export: [^:]*: \([0-9]*\) faces.*/\1/')"
  attese+="$(riga "$f" "$n")"$'\n'
  ESPORTATI+=("$f.esportato.off")
done
verifica "four large files: four lines, in order" uguale "$(cat "$LAVORO/quattro.err")" "${attese%$'\n'}"
fuori quattro_esportati "${ESPORTATI[@]}"
verifica "four large files: the picture of their four exports" stesse quattro_esportati quattro
# Object k lies about column 500 + 191 (k - 1.5): four bands, each drawn.
for fascia in "0 309" "309 191" "500 191" "691 309"; do
  read -r da largo <<<"$fascia"
  verifica "an object in columns $da to $((da + largo))" [ "$(colori quattro -left "$da" -width "$largo")" -gt 3 ]
done
fine
