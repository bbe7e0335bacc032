#!/usr/bin/env bash
# file_errati.sh VIEWER EXPORT: every kind of bad file named on the real
# viewer's command line gives one line on standard error naming the file and
# the place, and status 2, before any window: DISPLAY is unset, so a viewer
# that went on to open one would fail with freeglut's status 1 instead.
source "$(dirname "$0")/../lib/verifica.sh"
VIEWER="$1" EXPORT="$2" D="$(mktemp -d)"
chmod 755 "$D"
trap 'rm -rf "$D"' EXIT
unset DISPLAY

# rifiuta WHAT EXPECTED ARGS...: status 2 and one line "superficie: EXPECTED...";
# COME, if set, is a command to run the viewer under.
rifiuta() {
  local what="$1" expected="$2"; shift 2
  local status=0
  ${COME:-} "$VIEWER" "$@" >"$D/out" 2>"$D/err" </dev/null || status=$?
  local lines; lines="$(wc -l <"$D/err")"
  if [ "$status" -ne 2 ] || [ "$lines" -ne 1 ] || [ -s "$D/out" ] ||
     [[ "$(cat "$D/err")" != "superficie: $expected"* ]]; then
    falliti=$((falliti + 1))
    echo "FAILED: $what: status $status, $lines lines: $(head -c 300 "$D/err")" >&2
    echo "        expected: superficie: $expected..." >&2
  fi
}

v3='0 0 0\n1 0 0\n0 1 0\n'
printf "OFF\n3 1 0\n$v3""3 0 1 2\n" >"$D/buono.off"

rifiuta "missing file" "$D/manca.off: No such file or directory" "$D/manca.off"
: >"$D/vuoto.stl"
rifiuta "empty file" "$D/vuoto.stl: empty file" "$D/vuoto.stl"
mkdir "$D/cartella.obj"
rifiuta "a directory" "$D/cartella.obj: is a directory" "$D/cartella.obj"
cp "$D/buono.off" "$D/chiuso.off" && chmod 000 "$D/chiuso.off"
# Root reads anything: the unreadable file is tried as nobody.
[ "$(id -u)" -ne 0 ] || COME="setpriv --reuid=65534 --regid=65534 --clear-groups"
COME="${COME:-}" rifiuta "unreadable file" "$D/chiuso.off: Permission denied" "$D/chiuso.off"
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' >"$D/immagine.off"
rifiuta "an image named like a mesh" "$D/immagine.off: unknown format" "$D/immagine.off"
printf 'x' | gzip >"$D/archivio.ply"
rifiuta "an archive named like a mesh" "$D/archivio.ply: unknown format" "$D/archivio.ply"
printf 'v 0 0 0\nv 1 0 0\nv 0 1\0 0\nf 1 2 3\n' >"$D/nul.obj"
rifiuta "a NUL byte in a text format" "$D/nul.obj:3: binary data" "$D/nul.obj"
"$EXPORT" "$D/intero.off"
head -c 5000 "$D/intero.off" >"$D/tronco.off"
rifiuta "a truncated text file" "$D/tronco.off:" "$D/tronco.off"
{ printf '%-80s' 'solid but binary'; printf '\002\000\000\000'; head -c 60 /dev/zero; } >"$D/tronco.stl"
rifiuta "a truncated binary file" "$D/tronco.stl: byte " "$D/tronco.stl"
printf "OFF\n3 2 0\n$v3""3 0 1 2\n" >"$D/conti.off"
rifiuta "counts that disagree with the data" "$D/conti.off:7: the file ends after 1 of its 2 faces" "$D/conti.off"
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n' >"$D/indice.obj"
rifiuta "an index outside the vertices" "$D/indice.obj:4:" "$D/indice.obj"
printf 'ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 nan 0\n0 1 0\n3 0 1 2\n' >"$D/nan.ply"
rifiuta "a non-finite coordinate" "$D/nan.ply:11:" "$D/nan.ply"
printf 'solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1e31 0 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid x\n' >"$D/assurdo.stl"
rifiuta "an absurd coordinate" "$D/assurdo.stl:5:" "$D/assurdo.stl"
printf "OFF\n3 1 0\n$v3""-3 0 1 2\n" >"$D/negativa.off"
rifiuta "a negative vertex count in a face" "$D/negativa.off:6: a face of -3 vertices" "$D/negativa.off"
printf "OFF\n3 1 0\n$v3""4 0 1 2\n" >"$D/corta.off"
rifiuta "a face longer than its line" "$D/corta.off:6: a face of 4 vertices, but the line holds 3" "$D/corta.off"
rifiuta "more than four files" "more than 4 files" "$D/buono.off" "$D/buono.off" "$D/buono.off" \
  "$D/buono.off" "$D/buono.off"
printf 'OFF\n4000 1 0\n' >"$D/grande.off"
rifiuta "a file over a capacity" "$D/grande.off:2: 4000 vertices, more than the 3000" "$D/grande.off"
printf 'OFF\n2000000000 2000000000 0\n' >"$D/enorme.off"
rifiuta "a header that claims two billion vertices" "$D/enorme.off:2: 2000000000 vertices" "$D/enorme.off"
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\n' >"$D/senza.obj"
rifiuta "a file with no face" "$D/senza.obj: no face" "$D/senza.obj"
rifiuta "a bad file after a good one" "$D/indice.obj:4:" "$D/buono.off" "$D/indice.obj"
printf 'OFF\n3 1 0\n' | { status=0; "$VIEWER" - 2>"$D/err" || status=$?
  verifica "standard input is named as such" \
    [ "$status" -eq 2 -a "$(cut -d: -f2 "$D/err")" = " standard input" ]; }
rifiuta "an unknown option" "unknown option '-x'" -x "$D/buono.off"

status=0
out="$("$VIEWER" --version)" || status=$?
verifica "--version: the version, status 0" [ "$status" -eq 0 -a -n "$(echo "$out" | grep -x 'superficie [0-9.]*')" ]
status=0
out="$("$VIEWER" --help)" || status=$?
verifica "--help: usage on standard output, status 0" [ "$status" -eq 0 -a -n "$(echo "$out" | grep '^usage: superficie')" ]
status=0
"$VIEWER" "$D/buono.off" 2>"$D/err" || status=$?
verifica "a good file goes on to the window (no display here: freeglut's status 1)" \
  [ "$status" -eq 1 -a -n "$(grep 'failed to open display' "$D/err")" ]
fine
