#!/usr/bin/env bash
# pacchetti_errati.sh VIEWER EXPORT WRITER: hostile glTF and 3MF files
# (written by WRITER --ostili) on the real viewer's and superficie-export's
# command lines: one line on standard error naming the file and the place,
# status 2, no window (DISPLAY is unset: a viewer that went on would fail
# with freeglut's status 1 instead).
source "$(dirname "$0")/../lib/verifica.sh"
VIEWER="$1" EXPORT="$2" WRITER="$3" D="$(mktemp -d)"
trap 'rm -rf "$D"' EXIT
unset DISPLAY
mkdir "$D/dentro"
"$WRITER" --ostili "$D/dentro"
# What uscita.gltf reaches for: there, and readable, so only the refusal keeps it unread.
cp "$D/dentro/oltre.gltf" "$D/cubo.bin"

# rifiuta PROGRAM FILE EXPECTED: status 2 and one line "PROGRAM: D/dentro/FILE: EXPECTED..."
rifiuta() {
  local status=0 f="$D/dentro/$2"
  if [ "$1" = superficie-export ]; then "$EXPORT" --from "$f" "$D/uscita.off" >"$D/out" 2>"$D/err" || status=$?
  else "$VIEWER" "$f" >"$D/out" 2>"$D/err" </dev/null || status=$?; fi
  local lines; lines="$(wc -l <"$D/err")"
  if [ "$status" -ne 2 ] || [ "$lines" -ne 1 ] || [ -s "$D/out" ] ||
     [[ "$(cat "$D/err")" != "$1: $f: $3"* ]]; then
    falliti=$((falliti + 1))
    echo "FAILED: $1 $2: status $status, $lines lines: $(head -c 300 "$D/err")" >&2
    echo "        expected: $1: $f: $3..." >&2
  fi
}
while IFS='|' read -r file atteso; do
  rifiuta superficie "$file" "$atteso"
  rifiuta superficie-export "$file" "$atteso"
done <<'LIST'
oltre.gltf|accessors[0]: count 900 runs past bufferView 0 (96 bytes)
passo.gltf|accessors[0]: bufferView 0's byteStride 8 is smaller than its element (12 bytes)
indice.gltf|accessors[1]: index 8 is not below POSITION's count 8
uscita.gltf|buffers[0]: uri "../cubo.bin" leaves the model's folder
ciclo.gltf|nodes[0]: reached twice: the node hierarchy has a cycle
draco.gltf|extensionsRequired[0]: KHR_draco_mesh_compression, which this reader does not read
bomba.3mf|3D/3dmodel.model: unpacks to 314572800 bytes, past the 256 MiB
bugiarda.3mf|3D/3dmodel.model: inflates past the 1000 bytes its header gives: a ZIP bomb
crc.3mf|3D/3dmodel.model: CRC
tronca.3mf|ZIP archive without its end record: truncated
risate.3mf|3D/3dmodel.model:2: a DTD (<!DOCTYPE>): refused
componenti.3mf|3D/3dmodel.model:4: a component cycle: object 1 contains itself
LIST
verifica "superficie-export wrote nothing for a refused file" [ ! -e "$D/uscita.off" ]
fine
