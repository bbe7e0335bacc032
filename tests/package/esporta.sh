#!/usr/bin/env bash
# esporta.sh INSTALLED BUILT: the installed superficie-export writes the same
# bytes as the build tree's, in both formats, to standard output and to a file.
source "$(dirname "$0")/lib.sh"
INSTALLATO="$1" COSTRUITO="$2"

for opzioni in "" "--obj" "--help"; do
  "$INSTALLATO" $opzioni >"$LAVORO/installato" && "$COSTRUITO" $opzioni >"$LAVORO/costruito"
  verifica "standard output, options [$opzioni]: the same bytes" \
    cmp "$LAVORO/installato" "$LAVORO/costruito"
done
"$INSTALLATO" --obj "$LAVORO/superficie.obj"
"$COSTRUITO" --obj >"$LAVORO/costruito"
verifica "--obj FILE: the same bytes" cmp "$LAVORO/superficie.obj" "$LAVORO/costruito"
verifica "NOFF: 2050 vertices, 4096 faces" \
  uguale "$("$INSTALLATO" | head -n 2 | tr '\n' ' ')" "NOFF 2050 4096 0 "
status=0
"$INSTALLATO" --nonsense 2>"$LAVORO/errore" || status=$?
verifica "a bad option: status 2 and one line on standard error" \
  [ "$status" -eq 2 -a "$(wc -l <"$LAVORO/errore")" -eq 1 ]
fine
