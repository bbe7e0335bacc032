#!/usr/bin/env bash
# apre_file.sh VIEWER EXPORT VERSION: the installed viewer on the command
# line and on files the installed exporter writes: --version and --help with
# no display; bad options and files refused with status 2 and one line; the
# exported surface opened from a file gives the start picture; the surface
# in all four formats at once gives four objects in the four slot colours.
# Each window on a virtual X server of its own, as the end-to-end test
# starts the viewer.
source "$(dirname "$0")/../e2e/lib.sh"
ESPORTA="$2" VERSIONE="$3"

# apri NAME [ARG...]: a new X server, the viewer on ARGs in $LAVORO (standard
# input from $ENTRATA, if set), its first settled picture in $LAVORO/NAME.ppm;
# sets W and VPID.
apri() {
  local nome="$1"; shift
  ferma
  for prova in 1 2 3; do   # under load a fresh server has been seen unreachable
    start_xvfb
    trap 'ferma; rm -rf "$LAVORO"' EXIT
    (cd "$LAVORO" && exec "$VIEWER" "$@") <"${ENTRATA:-/dev/null}" >"$LAVORO/$nome.out" \
      2>"$LAVORO/$nome.err" &
    VPID=$!
    W="$(timeout "$ATTESA_FINESTRA" xdotool search --sync --onlyvisible \
           --name '^Superficie$' 2>/dev/null | head -n 1)" || true
    if [ -n "$W" ]; then
      xdotool mousemove --window "$W" 500 100
      quadro "$nome"
      return 0
    fi
    echo "no window on $DISPLAY (try $prova)" >&2 && ferma
  done
  cat "$LAVORO/$nome.err" >&2; exit 1
}
# esito ARG...: the viewer on ARGs in $LAVORO, on the display already up;
# sets status, and the file uscita and errore.
esito() {
  status=0
  (cd "$LAVORO" && timeout 60 "$VIEWER" "$@") >"$LAVORO/uscita" 2>"$LAVORO/errore" </dev/null || status=$?
}
# diversi A B: how many pixels differ between pictures A and B.
diversi() {
  pamarith -difference "$LAVORO/$1.ppm" "$LAVORO/$2.ppm" | ppmhist -noheader |
    awk '$1 + $2 + $3 > 0 { n += $NF } END { print n + 0 }'
}
# tinte NAME: the lit pixels of picture NAME by hue, "yellow cyan purple
# green": two channels alike (the palette's 0.8), the third well below
# (0.2) or, for green, one channel well above two alike.
tinte() {
  ppmhist -noheader "$LAVORO/$1.ppm" | awk 'function v(a, b) { return (a - b) ^ 2 <= 4 }
    v($1, $2) && $1 - $3 >= 15 { y += $NF }
    v($2, $3) && $2 - $1 >= 15 { c += $NF }
    v($1, $3) && $1 - $2 >= 15 { p += $NF }
    v($1, $3) && $2 - $1 >= 15 { g += $NF }
    END { print y + 0, c + 0, p + 0, g + 0 }'
}

# --- The files: the surface as the exporter writes it, and in the other formats
"$ESPORTA" "$LAVORO/surface.off"                              # NOFF: smooth
"$ESPORTA" --obj "$LAVORO/surface.obj"                        # v, vn, f: smooth
awk 'NR == 1 { print "OFF"; next } NR > 2 && NF == 6 { print $1, $2, $3; next } { print }' \
  "$LAVORO/surface.off" >"$LAVORO/piatta.off"                 # no normals: flat
awk 'NR == 2 { print "ply\nformat ascii 1.0\nelement vertex " $1
               print "property float x\nproperty float y\nproperty float z"
               print "property float nx\nproperty float ny\nproperty float nz"
               print "element face " $2 "\nproperty list uchar int vertex_indices\nend_header" }
     NR > 2' "$LAVORO/surface.off" >"$LAVORO/superficie.ply"
# STL: every triangle with its own three corners, 12288 in all, which only
# merging equal positions brings within an object's 3000 vertices.
awk 'NR == 2 { nv = $1 } NR > 2 && NR <= nv + 2 { p[NR - 3] = $1 " " $2 " " $3 }
     NR > nv + 2 { print "facet normal 0 0 0\nouter loop"
                   for (i = 2; i <= 4; i++) print "vertex " p[$i]
                   print "endloop\nendfacet" }
     BEGIN { print "solid superficie" } END { print "endsolid superficie" }' \
  "$LAVORO/surface.off" >"$LAVORO/superficie.stl"
head -n 5 "$LAVORO/surface.off" >"$LAVORO/tronca.off"         # 3 of 2050 vertices

# --- The command line: --version and --help need no display; the refusals
# get one, so that only the arguments decide.
unset DISPLAY
esito --version
verifica "--version: \"superficie $VERSIONE\", status 0" \
  [ "$status" -eq 0 -a "$(cat "$LAVORO/uscita")" = "superficie $VERSIONE" -a ! -s "$LAVORO/errore" ]
esito --help
verifica "--help: a usage on standard output, status 0" \
  [ "$status" -eq 0 -a -n "$(grep -F superficie "$LAVORO/uscita")" -a ! -s "$LAVORO/errore" ]
start_xvfb
esito --nonsense
verifica "an unknown option: status 2, one line on standard error" \
  [ "$status" -eq 2 -a "$(wc -l <"$LAVORO/errore")" -eq 1 ]
esito tronca.off
verifica "a cut-short file: status 2, one line \"superficie: tronca.off:LINE: ...\"" \
  [ "$status" -eq 2 -a "$(wc -l <"$LAVORO/errore")" -eq 1 -a \
    -n "$(grep -E '^superficie: tronca\.off:[0-9]+: .' "$LAVORO/errore")" ]
esito surface.off surface.off surface.off surface.off surface.off
verifica "five files: status 2, one line on standard error" \
  [ "$status" -eq 2 -a "$(wc -l <"$LAVORO/errore")" -eq 1 ]
esito manca.off
verifica "a missing file: status 2, one line naming it" \
  [ "$status" -eq 2 -a "$(wc -l <"$LAVORO/errore")" -eq 1 -a -n "$(grep -F manca.off "$LAVORO/errore")" ]

# --- Windows
apri inizio
apri esportata surface.off
diverse="$(diversi inizio esportata)"
verifica "the exported surface, opened, gives the start picture ($diverse pixels differ, at most 0.5 %)" \
  [ "$diverse" -le $((1000 * 660 / 200)) ]
ENTRATA="$LAVORO/surface.off" apri standard -
verifica "the same from standard input" uguale "$(diversi esportata standard)" 0

apri quattro piatta.off surface.obj superficie.ply superficie.stl
read -r giallo ciano viola verde < <(tinte quattro)
read -r giallo0 ciano0 viola0 verde0 < <(tinte inizio)
verifica "OFF, OBJ, PLY and STL side by side: yellow, cyan, purple and green ($giallo $ciano $viola $verde pixels)" \
  [ "$giallo" -ge 2000 -a "$ciano" -ge 2000 -a "$viola" -ge 2000 -a "$verde" -ge 2000 ]
verifica "the start picture has yellow only ($giallo0 $ciano0 $viola0 $verde0 pixels)" \
  [ "$giallo0" -ge 2000 -a "$ciano0" -eq 0 -a "$viola0" -eq 0 -a "$verde0" -eq 0 ]
fine
