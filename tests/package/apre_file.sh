#!/usr/bin/env bash
# apre_file.sh VIEWER EXPORT VERSION BUILT_EXPORT GENERATOR: the installed programs,
# with no display. The exporter writes the build tree's bytes to a file (the
# same program: any one output tells). The viewer: --version and --help; the
# exported surface drawn from a file and from standard input gives one
# picture; a sphere in four formats at once gives four objects in the four
# slot colours (the start picture, yellow alone, is docs/superficie.png's:
# offscreen_quadro). (finestra.sh opens its window; the end-to-end
# tests hold --output to the window's pixels, offscreen_aspetto the exported
# surface's picture to the start's.)
source "$(dirname "$0")/lib.sh"
VIEWER="$1" EXPORT="$2" VERSIONE="$3" COSTRUITO="$4"
unset DISPLAY
formati "$LAVORO" "$5"
"$EXPORT" "$LAVORO/superficie.off" && "$EXPORT" --obj "$LAVORO/superficie.obj"

verifica "superficie-export --obj FILE: the build tree's bytes" cmp "$LAVORO/superficie.obj" <("$COSTRUITO" --obj)
rifiuta "superficie-export: " "$EXPORT" --nonsense

# esito ARG...: the viewer on ARGs; sets status, and the files uscita and errore.
esito() {
  status=0
  timeout 60 "$VIEWER" "$@" >"$LAVORO/uscita" 2>"$LAVORO/errore" || status=$?
}
esito --version
verifica "--version: \"superficie $VERSIONE\", status 0" \
  [ "$status" -eq 0 -a "$(cat "$LAVORO/uscita")" = "superficie $VERSIONE" -a ! -s "$LAVORO/errore" ]
esito --help
verifica "--help: a usage on standard output, status 0" \
  [ "$status" -eq 0 -a -n "$(grep '^usage: superficie' "$LAVORO/uscita")" -a ! -s "$LAVORO/errore" ]

foto() {   # foto NAME ARG...: the picture of ARGs, as NAME.ppm
  esito --output "$LAVORO/$1.png" "${@:2}" </dev/null
  verifica "${*:2}: drawn without a word" [ "$status" -eq 0 -a ! -s "$LAVORO/errore" ]
  pngtopam "$LAVORO/$1.png" >"$LAVORO/$1.ppm"
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
foto esportata "$LAVORO/superficie.off"
esito --output "$LAVORO/standard.png" - <"$LAVORO/superficie.off"
verifica "the exported surface from standard input: the file's picture" cmp "$LAVORO/esportata.png" "$LAVORO/standard.png"
foto quattro "$LAVORO"/sfera.{off,obj,ply,stl}
read -r giallo ciano viola verde < <(tinte quattro)
verifica "OFF, OBJ, PLY and STL side by side: yellow, cyan, purple and green ($giallo $ciano $viola $verde pixels)" \
  [ "$giallo" -ge 2000 -a "$ciano" -ge 2000 -a "$viola" -ge 2000 -a "$verde" -ge 2000 ]
fine
