#!/usr/bin/env bash
# file_errati.sh VIEWER EXPORT GENERATOR: every kind of bad file named
# on the real viewer's command line gives one line on standard error naming
# the file and the place, and status 2, before any window: DISPLAY is unset,
# so a viewer that went on to open one would fail with freeglut's status 1
# instead. What each reader says of each fault is tests/formats' business:
# here what the viewer refuses itself, and large files.
source "$(dirname "$0")/../lib/verifica.sh"
VIEWER="$1" EXPORT="$2" GENERA="$3" D="$LAVORO"

printf 'OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n' >"$D/buono.off"
no "$D/manca.off: No such file or directory" "$D/manca.off"
: >"$D/vuoto.stl"
no "$D/vuoto.stl: empty file" "$D/vuoto.stl"
mkdir "$D/cartella.obj"
no "$D/cartella.obj: is a directory" "$D/cartella.obj"
cp "$D/buono.off" "$D/chiuso.off" && chmod 000 "$D/chiuso.off"
COME="${NESSUNO:-}" no "$D/chiuso.off: Permission denied" "$D/chiuso.off"
no "more than 4 files" "$D/buono.off" "$D/buono.off" "$D/buono.off" "$D/buono.off" "$D/buono.off"
# The second file's fault, past a good first one; what each reader says of
# each fault is tests/formats'.
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n' >"$D/indice.obj"
no "$D/indice.obj:4: vertex index 4 is beyond the 3 vertices defined so far" "$D/buono.off" "$D/indice.obj"
no "standard input: empty file" -   # rifiuta's standard input is /dev/null
no "unknown option '-x'" -x "$D/buono.off"

# Large files. Memory: the most a reading may take is twice the file and
# 100 MiB for everything else. The sanitizer build's small instance reads a
# tenth of the noise and the cut triangles, the torus whole: its progress
# line waits for half a second of reading.
MARGINE_KIB=$((100 * 1024)) SCALA=10
[ -z "${SUPERFICIE_ISTANZA_PICCOLA:-}" ] || SCALA=1
# picco_entro FILE: the peak of the last run under time(1) is within the bound.
picco_entro() { [ "$(tail -n 1 "$D/picco")" -le $((2 * $(stat -c %s "$1") / 1024 + MARGINE_KIB)) ]; }
# A file over the capacities: fitted, its one line first, then the window
# (with no terminal, no progress line before it).
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
# Text triangles cut in the middle. (Noise, read in bounded memory by the
# same reading the exporter does: test_grandi.)
"$GENERA" stla $((100000 * SCALA)) "$D/milione.stla"
head -c "$(($(stat -c %s "$D/milione.stla") / 2))" "$D/milione.stla" >"$D/tronco_milione.stl"
COME="/usr/bin/time -f %M -o $D/picco" no "$D/tronco_milione.stl:" "$D/tronco_milione.stl"
verifica "the cut ascii file: read within twice its size" picco_entro "$D/tronco_milione.stl"
fine
