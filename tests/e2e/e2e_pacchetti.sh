#!/usr/bin/env bash
# e2e_pacchetti.sh VIEWER EXPORT WRITER: the exported surface written again
# by WRITER as GLB, as .gltf with its .bin beside it, and as 3MF; each drawn
# by the real viewer gives the very picture of the same numbers as OFF
# (glTF with its normals, smooth), 3MF those numbers stood z up and
# smoothed; what superficie-export --from writes of each gives its picture.
source "$(dirname "$0")/lib.sh"
EXPORT="$2" WRITER="$3"
"$EXPORT" "$LAVORO/superficie.off"
"$WRITER" "$LAVORO/superficie.off" "$LAVORO"
"$EXPORT" --from "$LAVORO/m.gltf" "$LAVORO/da_gltf.off"
"$EXPORT" --from "$LAVORO/m.3mf" "$LAVORO/da_3mf.off"
for f in m.noff m.off m.glb m.gltf m.3mf da_gltf.off da_3mf.off; do
  fuori "$f" "$LAVORO/$f"
  verifica "$f opens without a word" [ ! -s "$LAVORO/$f.err" ]
done
stesse() { cmp -s "$LAVORO/$1.png" "$LAVORO/$2.png"; }
diverse() { ! stesse "$@"; }
verifica "the smooth and the flat pictures differ" diverse m.noff m.off
for coppia in m.glb:m.noff m.gltf:m.noff da_gltf.off:m.gltf da_3mf.off:m.3mf; do
  verifica "${coppia%:*}: the picture of ${coppia#*:}" stesse "${coppia%:*}" "${coppia#*:}"
done
verifica "3MF: stood up and smooth, not the flat OFF's picture" diverse m.3mf m.off
# The OFF's vertices turned, (x, y, z) as (x, z, -y), come first; split ones follow.
verifica "3MF: the OFF's vertices stood z up" awk 'NR == 2 { n = $1 } FNR <= 2 || FNR > n + 2 { next }
  NR == FNR { x[FNR] = $1; y[FNR] = $3; z[FNR] = -$2; next }
  { if ($1 != x[FNR] || $2 != y[FNR] || $3 != z[FNR]) diversi++; visti++ } END { exit diversi || !visti }' \
  "$LAVORO/m.off" "$LAVORO/da_3mf.off"
fine
