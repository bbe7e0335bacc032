#!/usr/bin/env bash
# file_errati.sh VIEWER EXPORT GENERATOR WRITER: every kind of bad file named
# on the real viewer's command line gives one line on standard error naming
# the file and the place, and status 2, before any window: DISPLAY is unset,
# so a viewer that went on to open one would fail with freeglut's status 1
# instead. What each reader says of each fault is tests/formats' business:
# here one file of each kind reaches the real programs.
source "$(dirname "$0")/../lib/verifica.sh"
VIEWER="$1" EXPORT="$2" GENERA="$3" WRITER="$4" D="$(mktemp -d)"
chmod 755 "$D"
trap 'rm -rf "$D"' EXIT
unset DISPLAY
# no WHAT FILE...: the viewer on FILEs refuses them with "superficie: WHAT".
no() { local atteso="$1"; shift; rifiuta "superficie: $atteso" ${COME:-} "$VIEWER" "$@"; }

v3='0 0 0\n1 0 0\n0 1 0\n'
printf "OFF\n3 1 0\n$v3""3 0 1 2\n" >"$D/buono.off"
no "$D/manca.off: No such file or directory" "$D/manca.off"
: >"$D/vuoto.stl"
no "$D/vuoto.stl: empty file" "$D/vuoto.stl"
mkdir "$D/cartella.obj"
no "$D/cartella.obj: is a directory" "$D/cartella.obj"
cp "$D/buono.off" "$D/chiuso.off" && chmod 000 "$D/chiuso.off"
# Root reads anything: the unreadable file is tried as nobody.
[ "$(id -u)" -ne 0 ] || COME="setpriv --reuid=65534 --regid=65534 --clear-groups"
COME="${COME:-}" no "$D/chiuso.off: Permission denied" "$D/chiuso.off"
# One fault for each reader; what each says of every fault is tests/formats'.
while IFS='|' read -r f dati atteso; do
  printf "$dati" >"$D/$f" && no "$D/$f$atteso" "$D/$f"
done <<LIST
immagine.off|\\x89PNG\\r\\n\\x1a\\n\\0\\0\\0\\rIHDR|: unknown format
negativa.off|OFF\\n3 1 0\\n$v3-3 0 1 2\\n|:6: a face of -3 vertices
nan.ply|ply\\nformat ascii 1.0\\nelement vertex 3\\nproperty float x\\nproperty float y\\nproperty float z\\nelement face 1\\nproperty list uchar int vertex_indices\\nend_header\\n0 0 0\\n1 nan 0\\n0 1 0\\n3 0 1 2\\n|:11:
assurdo.stl|solid x\\nfacet normal 0 0 1\\nouter loop\\nvertex 0 0 0\\nvertex 1e31 0 0\\nvertex 0 1 0\\nendloop\\nendfacet\\nendsolid x\\n|:5:
indice.obj|v 0 0 0\\nv 1 0 0\\nv 0 1 0\\nf 1 2 4\\n|:4:
LIST
{ printf '%-80s' 'solid but binary'; printf '\002\000\000\000'; head -c 60 /dev/zero; } >"$D/tronco.stl"
no "$D/tronco.stl: byte " "$D/tronco.stl"
no "more than 4 files" "$D/buono.off" "$D/buono.off" "$D/buono.off" "$D/buono.off" "$D/buono.off"
no "$D/indice.obj:4:" "$D/buono.off" "$D/indice.obj"
printf 'OFF\n3 1 0\n' | { status=0; "$VIEWER" - 2>"$D/err" || status=$?
  verifica "standard input is named as such" \
    [ "$status" -eq 2 -a "$(cut -d: -f2 "$D/err")" = " standard input" ]; }
no "unknown option '-x'" -x "$D/buono.off"
# A glTF and a 3MF, refused alike by both programs; the exporter writes nothing.
mkdir "$D/p"
"$WRITER" "$D/buono.off" "$D/p"
sed 's/"count":3,/"count":900,/' "$D/p/m.gltf" >"$D/p/oltre.gltf"
head -c "$(($(stat -c %s "$D/p/m.3mf") / 2))" "$D/p/m.3mf" >"$D/p/tronca.3mf"
for f in "oltre.gltf|accessors[0]: count 900 runs past bufferView 0" \
         "tronca.3mf|ZIP archive without its end record: truncated"; do
  no "$D/p/${f%%|*}: ${f#*|}" "$D/p/${f%%|*}"
  rifiuta "superficie-export: $D/p/${f%%|*}: ${f#*|}" "$EXPORT" --from "$D/p/${f%%|*}" "$D/uscita.off"
done
verifica "superficie-export wrote nothing for a refused file" [ ! -e "$D/uscita.off" ]

# Large files. Memory: the most a reading may take is twice the file and
# 100 MiB for everything else. The sanitizer build's small instance reads a
# tenth of the noise and the cut triangles, the torus whole: its progress
# line waits for half a second of reading.
MARGINE_KIB=$((100 * 1024)) SCALA=10
[ -z "${SUPERFICIE_ISTANZA_PICCOLA:-}" ] || SCALA=1
# picco_entro FILE: the peak of the last run under time(1) is within the bound.
picco_entro() { [ "$(tail -n 1 "$D/picco")" -le $((2 * $(stat -c %s "$1") / 1024 + MARGINE_KIB)) ]; }
# A file over the capacities: fitted, its one line first, then the window.
"$GENERA" off 400000 "$D/toro.off"
facce="$(sed -n 2p "$D/toro.off" | cut -d' ' -f2)"
mostrate="$("$EXPORT" --from "$D/toro.off" 2>/dev/null | sed -n 2p | cut -d' ' -f2)"
riga="superficie: $D/toro.off: $facce faces shown as $mostrate (a polyhedron holds 5000)"
status=0
/usr/bin/time -f %M -o "$D/picco" "$VIEWER" "$D/toro.off" 2>"$D/err" || status=$?
verifica "a file over the capacities: its line, then on to the window (freeglut's status 1)" \
  [ "$status" -eq 1 -a "$(head -n 1 "$D/err")" = "$riga" -a "$mostrate" -le 5000 \
    -a -n "$(grep 'failed to open display' "$D/err")" ]
verifica "a large file is read within twice its size" picco_entro "$D/toro.off"
verifica "no progress line when standard error is no terminal" [ -z "$(grep reading "$D/err")" ]
# On a terminal, a line that says how far reading has come, erased before
# the file's own line.
script -qec "'$VIEWER' '$D/toro.off'" /dev/null >"$D/terminale" </dev/null || true
verifica "on a terminal: the progress line, then the fitted file's line" \
  grep -q "superficie: reading $D/toro.off  [0-9]* %.*$riga" \
  <(tr '\r' ' ' <"$D/terminale" | tr -d '\n')
# A scan-sized binary STL, 1.3 million triangles and 65 MB: drawn, its one
# line on standard error, as its export draws without a word.
"$GENERA" stl $((131072 * SCALA)) "$D/scansione.stl"
"$VIEWER" --output "$D/scansione.png" "$D/scansione.stl" 2>"$D/err"
"$EXPORT" --from "$D/scansione.stl" "$D/scansione.off" 2>/dev/null
"$VIEWER" --output "$D/esportata.png" "$D/scansione.off" 2>"$D/err_esportata"
disegnata() {
  [ "$(cat "$D/err")" = "superficie: $D/scansione.stl: $(od -An -tu4 -j80 -N4 "$D/scansione.stl" |
    tr -d ' ') faces shown as $(sed -n 2p "$D/scansione.off" | cut -d' ' -f2) (a polyhedron holds 5000)" \
    -a ! -s "$D/err_esportata" -a "$(pngtopam "$D/scansione.png" | ppmhist -noheader | wc -l)" -gt 3 ] &&
    cmp "$D/scansione.png" "$D/esportata.png"
}
verifica "a scan-sized STL: one line, a drawn object, its export's picture" disegnata
# Noise under each name that picks a reader: one line, status 2, in bounded memory.
head -c $((20000000 * SCALA)) /dev/urandom >"$D/rumore.stl"
for nome in rumore.stl rumore.obj rumore.off; do
  [ -e "$D/$nome" ] || ln "$D/rumore.stl" "$D/$nome"
  COME="/usr/bin/time -f %M -o $D/picco" no "$D/$nome:" "$D/$nome"
  verifica "noise as $nome: read within twice its size" picco_entro "$D/$nome"
done
# Triangles cut in the middle, binary and text.
n=$((100000 * SCALA))
"$GENERA" stl "$n" "$D/milione.stl"
n="$(od -An -tu4 -j80 -N4 "$D/milione.stl" | tr -d ' ')"
head -c $((42 + 25 * n)) "$D/milione.stl" >"$D/tronco_milione.stl"
no "$D/tronco_milione.stl: byte $((42 + 25 * n)): the file ends, but its $n triangles need" \
  "$D/tronco_milione.stl"
"$GENERA" stla "$n" "$D/milione.stla"
head -c "$(($(stat -c %s "$D/milione.stla") / 2))" "$D/milione.stla" >"$D/tronco_milione.stl"
COME="/usr/bin/time -f %M -o $D/picco" no "$D/tronco_milione.stl:" "$D/tronco_milione.stl"
verifica "the cut ascii file: read within twice its size" picco_entro "$D/tronco_milione.stl"
fine
