#!/usr/bin/env bash
# apre_file.sh VIEWER EXPORT VERSION: the installed viewer on the command
# line and on files the installed exporter writes: --version and --help with
# no display; the exported surface opened from a file gives the start
# picture; the surface in all four formats at once gives four objects in the
# four slot colours. Each window on a virtual X server of its own, started
# as the end-to-end test starts the viewer (which also checks the refusals
# of bad files, on the viewer of the build tree).
source "$(dirname "$0")/../e2e/lib.sh"
ESPORTA="$2" VERSIONE="$3"

# apri NAME [FILE...]: the viewer on FILEs, its first settled picture in
# $LAVORO/NAME.ppm.
apri() {
  local nome="$1"; shift
  ferma
  FILE=("$@")
  avvia
  quadro "$nome"
}
# esito ARG...: the viewer on ARGs; sets status, and the files uscita and errore.
esito() {
  status=0
  timeout 60 "$VIEWER" "$@" >"$LAVORO/uscita" 2>"$LAVORO/errore" </dev/null || status=$?
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

# --- The command line: --version and --help need no display.
unset DISPLAY
esito --version
verifica "--version: \"superficie $VERSIONE\", status 0" \
  [ "$status" -eq 0 -a "$(cat "$LAVORO/uscita")" = "superficie $VERSIONE" -a ! -s "$LAVORO/errore" ]
esito --help
verifica "--help: a usage on standard output, status 0" \
  [ "$status" -eq 0 -a -n "$(grep -F superficie "$LAVORO/uscita")" -a ! -s "$LAVORO/errore" ]

# --- Windows
apri inizio
apri esportata "$LAVORO/surface.off"
diverse="$(diversi inizio esportata)"
verifica "the exported surface, opened, gives the start picture ($diverse pixels differ, at most 0.5 %)" \
  [ "$diverse" -le $((1000 * 660 / 200)) ]
ENTRATA="$LAVORO/surface.off" apri standard -
verifica "the same from standard input" uguale "$(diversi esportata standard)" 0

apri quattro "$LAVORO"/{piatta.off,surface.obj,superficie.ply,superficie.stl}
read -r giallo ciano viola verde < <(tinte quattro)
read -r giallo0 ciano0 viola0 verde0 < <(tinte inizio)
verifica "OFF, OBJ, PLY and STL side by side: yellow, cyan, purple and green ($giallo $ciano $viola $verde pixels)" \
  [ "$giallo" -ge 2000 -a "$ciano" -ge 2000 -a "$viola" -ge 2000 -a "$verde" -ge 2000 ]
verifica "the start picture has yellow only ($giallo0 $ciano0 $viola0 $verde0 pixels)" \
  [ "$giallo0" -ge 2000 -a "$ciano0" -eq 0 -a "$viola0" -eq 0 -a "$verde0" -eq 0 ]
fine
