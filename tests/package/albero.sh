#!/usr/bin/env bash
# albero.sh DEST VERSION: the installed tree, file by file, and what the
# plain files say.
source "$(dirname "$0")/lib.sh"
DEST="$1" VERSIONE="$2"
DOC="$DEST/usr/share/doc/superficie"

verifica "exactly the listed files and folders, with their modes" \
  diff -u <( (elenco; cartelle) | sort -k2) <(cd "$DEST" && find usr -printf '%M %p\n' | sort -k2)

# The copyright file's licence is LICENSE's text, in Debian's layout.
licenza() { awk '/^License: Expat$/ { n++; next } n == 2' "$DOC/copyright" | sed 's/^ //; s/^\.$//'; }
verifica "copyright: machine-readable, Expat (MIT), the authors, 2026" \
  grep -qz 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/.*Copyright: 2026 The Superficie authors' "$DOC/copyright"
verifica "copyright: the licence text is LICENSE's" \
  diff -u <(tail -n +5 "$ROOT/LICENSE") <(licenza)

verifica "changelog: gzip -9n, no name or time stamp" \
  [ "$(od -An -tx1 -j3 -N5 "$DOC/changelog.gz" | tr -d ' ')" = 0000000000 ]
verifica "changelog: its top entry is version $VERSIONE" \
  uguale "$(zcat "$DOC/changelog.gz" | dpkg-parsechangelog -l- -SVersion)" "$VERSIONE"

verifica "icon: a 128x128 PNG with transparency" \
  uguale "$(pngtopam -alphapam "$DEST/usr/share/icons/hicolor/128x128/apps/superficie.png" | pamfile |
    tr -s ' \t\n' ' ')" "stdin: PAM, 128 by 128 by 4 maxval 255 Tuple type: RGB_ALPHA "
fine
