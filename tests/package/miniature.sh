#!/usr/bin/env bash
# miniature.sh DEST: the installed thumbnailer entry: its keys, the
# installed program it names, the desktop entry's MIME types, and its
# command line run as a file manager would, with no display.
source "$(dirname "$0")/lib.sh"
DEST="$1" VOCE="$1/usr/share/thumbnailers/superficie.thumbnailer"
unset DISPLAY

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

# Exec as the factory expands it, the program taken from the install.
printf 'OFF\n4 4 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n' >"$LAVORO/t.off"
comando="$(chiave Exec | sed "s|%s|128|; s|%i|$LAVORO/t.off|; s|%o|$LAVORO/t.png|; s|^superficie|$DEST/usr/bin/superficie|")"
status=0
$comando || status=$?
verifica "Exec run with no display: status 0, a 128 by 128 RGBA PNG" \
  grep -qz '128 by 128 by 4 maxval 255.*RGB_ALPHA' <(echo "$status" && pngtopam -alphapam "$LAVORO/t.png" | pamfile)
fine
