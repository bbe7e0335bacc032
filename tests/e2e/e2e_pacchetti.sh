#!/usr/bin/env bash
# e2e_pacchetti.sh VIEWER EXPORT WRITER: the exported surface written again
# by WRITER as GLB, as .gltf with its .bin beside it, and as 3MF; each opened
# by the real viewer gives the very picture of the same numbers as OFF
# (glTF with its normals, smooth; 3MF without, flat), and so does what
# superficie-export --from writes of them.
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
verifica "3MF: the picture of the same mesh as OFF" uguali 3mf off
# superficie-export --from writes what the viewer shows of each.
"$EXPORT" --from "$LAVORO/m.gltf" "$LAVORO/da_gltf.off"
"$EXPORT" --from "$LAVORO/m.3mf" "$LAVORO/da_3mf.off"
foto esportato_gltf "$LAVORO/da_gltf.off"
verifica "superficie-export --from m.gltf: the .gltf's picture" uguali esportato_gltf gltf
foto esportato_3mf "$LAVORO/da_3mf.off"
verifica "superficie-export --from m.3mf: the 3MF's picture" uguali esportato_3mf 3mf
fine
