#!/usr/bin/env bash
# e2e_pacchetti.sh VIEWER EXPORT WRITER: the exported surface written again
# by WRITER as GLB and as .gltf with its .bin beside it; each drawn by the
# real viewer gives the very picture of the same numbers and normals as
# NOFF, and what superficie-export --from writes of the glTF gives its
# picture. (3MF, stood z up and smoothed: tests/formats and offscreen_aspetto.)
source "$(dirname "$0")/lib.sh"
EXPORT="$2" WRITER="$3"
"$EXPORT" "$LAVORO/superficie.off"
"$WRITER" "$LAVORO/superficie.off" "$LAVORO"
"$EXPORT" --from "$LAVORO/m.gltf" "$LAVORO/da_gltf.off"
for f in m.noff m.glb m.gltf da_gltf.off; do
  fuori "$f" "$LAVORO/$f"
  verifica "$f opens without a word" [ ! -s "$LAVORO/$f.err" ]
done
for coppia in m.glb:m.noff m.gltf:m.noff da_gltf.off:m.gltf; do
  verifica "${coppia%:*}: the picture of ${coppia#*:}" cmp -s "$LAVORO/${coppia%:*}.png" "$LAVORO/${coppia#*:}.png"
done
fine
