#!/usr/bin/env bash
# miniature.sh DEST: the installed thumbnailer entry: its keys, the
# installed program it names and the desktop entry's MIME types (fabbrica.sh
# runs it as a file manager does).
source "$(dirname "$0")/lib.sh"
DEST="$1" VOCE="$1/usr/share/thumbnailers/superficie.thumbnailer"

chiave() { sed -n "s/^$1=//p" "$VOCE"; }
verifica "one [Thumbnailer Entry] group, and it comes first" \
  uguale "$(grep '^\[' "$VOCE")" "[Thumbnailer Entry]"
verifica "TryExec is the installed program" \
  [ "$(chiave TryExec)" = superficie -a -x "$DEST/usr/bin/superficie" ]
verifica "Exec: the installed program's --thumbnail on size, input path and output" \
  uguale "$(chiave Exec)" "superficie --thumbnail %s %i %o"
tipi() { tr ';' '\n' | sed '/^$/d' | sort | tr '\n' ' '; }
verifica "MimeType: the desktop entry's" \
  uguale "$(chiave MimeType | tipi)" \
  "$(sed -n 's/^MimeType=//p' "$DEST/usr/share/applications/superficie.desktop" | tipi)"

fine
