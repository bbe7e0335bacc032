#!/usr/bin/env bash
# e2e_pacchetti.sh VIEWER EXPORT WRITER: the exported surface written again
# by WRITER as GLB, as .gltf with its .bin beside it, and as 3MF; each opened
# by the real viewer gives the very picture of the same numbers as OFF
# (glTF with its normals, smooth), 3MF those numbers stood z up and
# smoothed; what superficie-export --from writes of each gives its picture.
source "$(dirname "$0")/lib.sh"
EXPORT="$2" WRITER="$3"
"$EXPORT" "$LAVORO/superficie.off"
"$WRITER" "$LAVORO/superficie.off" "$LAVORO"

foto() {   # foto NAME FILE: the settled picture of the viewer showing FILE
  FILE=("$2")
  avvia
  quadro "$1"
  ferma
  verifica "$2 opens without a word" [ ! -s "$LAVORO/stderr" ]
}
foto noff "$LAVORO/m.noff"
foto off "$LAVORO/m.off"
diverse() { ! uguali "$@"; }
verifica "the smooth and the flat pictures differ" diverse noff off
foto glb "$LAVORO/m.glb"
verifica "GLB: the picture of the same mesh as OFF" uguali glb noff
foto gltf "$LAVORO/m.gltf"
verifica ".gltf with its .bin: the picture of the same mesh as OFF" uguali gltf noff
foto 3mf "$LAVORO/m.3mf"
verifica "3MF: stood up and smooth, not the flat OFF's picture" diverse 3mf off
# superficie-export --from writes what the viewer shows of each.
"$EXPORT" --from "$LAVORO/m.gltf" "$LAVORO/da_gltf.off"
"$EXPORT" --from "$LAVORO/m.3mf" "$LAVORO/da_3mf.off"
# The OFF's vertices turned, (x, y, z) as (x, z, -y), come first; split ones follow.
verifica "3MF: the OFF's vertices stood z up" awk 'NR == 2 { n = $1 } FNR <= 2 || FNR > n + 2 { next }
  NR == FNR { x[FNR] = $1; y[FNR] = $3; z[FNR] = -$2; next }
  { if ($1 != x[FNR] || $2 != y[FNR] || $3 != z[FNR]) diversi++; visti++ } END { exit diversi || !visti }' \
  "$LAVORO/m.off" "$LAVORO/da_3mf.off"
foto esportato_gltf "$LAVORO/da_gltf.off"
verifica "superficie-export --from m.gltf: the .gltf's picture" uguali esportato_gltf gltf
foto esportato_3mf "$LAVORO/da_3mf.off"
verifica "superficie-export --from m.3mf: the 3MF's picture" uguali esportato_3mf 3mf
fine
