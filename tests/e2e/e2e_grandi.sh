#!/usr/bin/env bash
# e2e_grandi.sh VIEWER EXPORT GENERATOR: files larger than a polyhedron holds
# on the real window. Each opens with its one line on standard error; the
# picture of a fitted file is the picture of what superficie-export --from
# writes for it; four large files lie side by side, each as its export.
source "$(dirname "$0")/lib.sh"
EXPORT="$2" GENERA="$3"

# mostra NAME FILES...: the viewer with FILES, its first picture as NAME,
# its standard error as NAME.err; then the viewer and its server stop.
mostra() {
  local nome="$1"; shift
  FILE=("$@")
  avvia
  quadro "$nome"
  cp "$LAVORO/stderr" "$LAVORO/$nome.err"
  ferma
}
# riga FILE: the line a fitted FILE gives, from the counts of what it holds
# and of what its export holds.
riga() {
  echo "superficie: $1: $2 faces shown as $("$EXPORT" --from "$1" 2>/dev/null | sed -n 2p |
    cut -d' ' -f2) (a polyhedron holds 5000)"
}

# The 65 MB scan-sized binary STL: 1.3 million triangles.
"$GENERA" stl 1310720 "$LAVORO/grande.stl"
mostra grande "$LAVORO/grande.stl"
verifica "a 1.3-million-triangle STL opens: one object" [ "$(ppmhist -noheader "$LAVORO/grande.ppm" | wc -l)" -gt 3 ]
verifica "its one line on standard error" \
  uguale "$(cat "$LAVORO/grande.err")" "$(riga "$LAVORO/grande.stl" 1308736)"

# Its export, as OFF and as OBJ, gives the same picture.
"$EXPORT" --from "$LAVORO/grande.stl" "$LAVORO/grande_esportato.off" 2>/dev/null
"$EXPORT" --obj --from "$LAVORO/grande.stl" "$LAVORO/grande_esportato.obj" 2>/dev/null
verifica "the export of a fitted file without normals is NOFF, its normals computed" \
  [ "$(head -n 1 "$LAVORO/grande_esportato.off")" = NOFF ]
mostra esportato "$LAVORO/grande_esportato.off"
verifica "the exported OFF: the fitted file's picture" uguali esportato grande
verifica "the exported OFF fits: nothing on standard error" [ ! -s "$LAVORO/esportato.err" ]
mostra esportato_obj "$LAVORO/grande_esportato.obj"
verifica "the exported OBJ: the fitted file's picture" uguali esportato_obj grande

# Smooth, from a file with normals: NOFF, the same picture.
"$GENERA" off 300000 "$LAVORO/liscio.off"
"$EXPORT" --from "$LAVORO/liscio.off" "$LAVORO/liscio_esportato.off" 2>/dev/null
verifica "the export of a file with normals is NOFF" [ "$(head -n 1 "$LAVORO/liscio_esportato.off")" = NOFF ]
mostra liscio "$LAVORO/liscio.off"
mostra liscio_esportato "$LAVORO/liscio_esportato.off"
verifica "the exported NOFF: the smooth fitted file's picture" uguali liscio_esportato liscio
diversi() { ! uguali "$@"; }
verifica "the NOFF and the STL, stood up: other pictures" diversi liscio grande

# Four large files in four formats, side by side: four lines, in order, and
# the picture of their four exports.
"$GENERA" ply 200000 "$LAVORO/quattro.ply"
"$GENERA" obj 200000 "$LAVORO/quattro.obj"
"$GENERA" stla 200000 "$LAVORO/quattro.stl"
QUATTRO=("$LAVORO/liscio.off" "$LAVORO/quattro.ply" "$LAVORO/quattro.obj" "$LAVORO/quattro.stl")
mostra quattro "${QUATTRO[@]}"
attese=""
for f in "${QUATTRO[@]}"; do
  n="$("$EXPORT" --from "$f" 2>&1 >/dev/null | sed 's/^superficie-export: [^:]*: \([0-9]*\) faces.*/\1/')"
  attese+="$(riga "$f" "$n")"$'\n'
done
verifica "four large files: four lines, in order" uguale "$(cat "$LAVORO/quattro.err")" "${attese%$'\n'}"
ESPORTATI=()
for f in "${QUATTRO[@]}"; do
  "$EXPORT" --from "$f" "$f.esportato.off" 2>/dev/null
  ESPORTATI+=("$f.esportato.off")
done
mostra quattro_esportati "${ESPORTATI[@]}"
verifica "four large files: the picture of their four exports" uguali quattro_esportati quattro
# Object k lies about column 500 + 191 (k - 1.5): four bands, each drawn.
for fascia in "0 309" "309 191" "500 191" "691 309"; do
  read -r da largo <<<"$fascia"
  pamcut -left "$da" -width "$largo" "$LAVORO/quattro.ppm" >"$LAVORO/fascia.ppm"
  verifica "an object in columns $da to $((da + largo))" [ "$(ppmhist -noheader "$LAVORO/fascia.ppm" | wc -l)" -gt 3 ]
done
fine
