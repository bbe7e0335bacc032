#!/usr/bin/env bash
# apre_file.sh VIEWER EXPORT VERSION BUILT_EXPORT: the installed programs,
# with no display. The exporter writes the build tree's bytes to a file (the
# same program: any one output tells). The viewer: --version and --help; the
# exported surface drawn from a file and from standard input gives one
# picture. (finestra.sh opens its window; the end-to-end tests hold --output
# to the window's pixels, offscreen_aspetto the exported surface's picture
# to the start's, test_formati the slots' colours.)
source "$(dirname "$0")/lib.sh"
VIEWER="$1" EXPORT="$2" VERSIONE="$3" COSTRUITO="$4"
"$EXPORT" "$LAVORO/superficie.off" && "$EXPORT" --obj "$LAVORO/superficie.obj"

verifica "superficie-export --obj FILE: the build tree's bytes" cmp "$LAVORO/superficie.obj" <("$COSTRUITO" --obj)
rifiuta "superficie-export: " "$EXPORT" --nonsense

# esito ARG...: the viewer on ARGs succeeds with nothing on standard error;
# its standard output in the file uscita.
esito() {
  verifica "$*: status 0, nothing on standard error" uguale \
    "$(timeout 60 "$VIEWER" "$@" 2>&1 >"$LAVORO/uscita"; echo "status $?")" "status 0"
}
esito --version
verifica "--version: \"superficie $VERSIONE\"" uguale "$(cat "$LAVORO/uscita")" "superficie $VERSIONE"
esito --help
verifica "--help: a usage on standard output" grep -q '^usage: superficie' "$LAVORO/uscita"
esito --output "$LAVORO/file.png" "$LAVORO/superficie.off" </dev/null
esito --output "$LAVORO/standard.png" - <"$LAVORO/superficie.off"
verifica "the exported surface from standard input: the file's picture" cmp "$LAVORO/file.png" "$LAVORO/standard.png"
fine
