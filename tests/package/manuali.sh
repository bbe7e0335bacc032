#!/usr/bin/env bash
# manuali.sh DEST VERSION: the installed manual pages: mandoc finds nothing
# to warn about, they carry the project's version, and the viewer's page has
# every effect of the README's table of gestures and keys (but the finger
# gestures, which only the browser page has).
source "$(dirname "$0")/lib.sh"
DEST="$1" VERSIONE="$2"
MAN="$DEST/usr/share/man/man1"

for pagina in superficie superficie-export; do
  verifica "$pagina.1: mandoc -Tlint -Wwarning reports nothing" \
    mandoc -Tlint -Wwarning "$MAN/$pagina.1"
  verifica "$pagina.1: version $VERSIONE" grep -qx "\.Os Superficie $VERSIONE" "$MAN/$pagina.1"
done

# One line of words per text: backquotes gone, runs of blanks made one.
testo() { tr -d '`' | tr -s ' \t\n' ' '; }
effetti="$(sed -n '/^## .*[Mm]ouse and keys/,/^## /p' "$ROOT/README.md" |
  awk -F'|' '/^\|/ && $2 !~ /finger/ { if (++n > 2) print $3 }' | sed 's/^ *//; s/ *$//')"
verifica "README: a table of gestures and keys" [ "$(wc -l <<<"$effetti")" -ge 10 ]
pagina="$(mandoc -Tutf8 -Owidth=1000 "$MAN/superficie.1" | col -b | testo)"
while IFS= read -r effetto; do
  verifica "superficie.1 has the README's \"$effetto\"" \
    grep -qF -- "$(testo <<<"$effetto")" <<<"$pagina"
done <<<"$effetti"
fine
