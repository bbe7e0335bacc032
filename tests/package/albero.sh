#!/usr/bin/env bash
# albero.sh DEST VERSION: the installed tree, file by file, what the plain
# files say, and the manual pages: mandoc finds nothing to warn about, they
# carry the project's version, and the viewer's page has every effect of
# the README's table of gestures and keys (but the finger gestures, which
# only the browser page has).
source "$(dirname "$0")/lib.sh"
DEST="$1" VERSIONE="$2" DOC="$1/usr/share/doc/superficie" MAN="$1/usr/share/man/man1"

# Folders all rwxr-xr-x: any other is listed, and differs.
verifica "exactly the listed files, with their modes; the folders rwxr-xr-x" \
  diff -u <(elenco | sort -k2) <(cd "$DEST" && find usr ! \( -type d -perm 755 \) -printf '%M %p\n' | sort -k2)

# The copyright file's licence is LICENSE's text, in Debian's layout.
licenza() { awk '/^License: Expat$/ { n++; next } n == 2' "$DOC/copyright" | sed 's/^ //; s/^\.$//'; }
verifica "copyright: machine-readable, Expat (MIT), the authors, 2026" \
  grep -qz 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/.*Copyright: 2026 The Superficie authors' "$DOC/copyright"
verifica "copyright: the licence text is LICENSE's" diff -u <(tail -n +5 "$ROOT/LICENSE") <(licenza)
verifica "changelog: its top entry is version $VERSIONE" \
  uguale "$(zcat "$DOC/changelog.gz" | dpkg-parsechangelog -l- -SVersion)" "$VERSIONE"
verifica "icon: a 128x128 PNG with transparency" \
  uguale "$(pngtopam -alphapam "$DEST/usr/share/icons/hicolor/128x128/apps/superficie.png" | pamfile |
    tr -s ' \t\n' ' ')" "stdin: PAM, 128 by 128 by 4 maxval 255 Tuple type: RGB_ALPHA "

for pagina in superficie superficie-export; do
  verifica "$pagina.1: mandoc -Tlint -Wwarning reports nothing" mandoc -Tlint -Wwarning "$MAN/$pagina.1"
  verifica "$pagina.1: version $VERSIONE" grep -qx "\.Os Superficie $VERSIONE" "$MAN/$pagina.1"
done
# One line of words per text: backquotes gone, runs of blanks made one.
testo() { tr -d '`' | tr -s ' \t\n' ' '; }
effetti="$(sed -n '/^## .*[Mm]ouse and keys/,/^## /p' "$ROOT/README.md" |
  awk -F'|' '/^\|/ && $2 !~ /finger/ { if (++n > 2) print $3 }' | sed 's/^ *//; s/ *$//')"
# (A README without the table: web_ingressi, against the page's own table.)
pagina="$(mandoc -Tutf8 -Owidth=1000 "$MAN/superficie.1" | col -b | testo)"
while IFS= read -r effetto; do
  verifica "superficie.1 has the README's \"$effetto\"" grep -qF -- "$(testo <<<"$effetto")" <<<"$pagina"
done <<<"$effetti"
fine
