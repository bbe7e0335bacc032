#!/usr/bin/env bash
# voce_desktop.sh DEST: the installed desktop entry is valid and starts the
# installed program on the files it is given, with the installed icon
# (finestra.sh: it names the window's class; metadati.sh: its types are the
# ones the desktop gives the files it opens); the thumbnailer entry is for
# the same types (fabbrica.sh runs it as a file manager does: a wrong group,
# TryExec or Exec gives no thumbnail of the right size).
source "$(dirname "$0")/lib.sh"
VOCE="$1/usr/share/applications/superficie.desktop" MINI="$1/usr/share/thumbnailers/superficie.thumbnailer"

verifica "desktop-file-validate reports nothing" uguale "$(desktop-file-validate "$VOCE" 2>&1)" ""
verifica "Exec is the installed program, on any number of files" uguale "$(chiave "$VOCE" Exec)" "superficie %F"
verifica "Icon is the installed icon" [ -f "$1/usr/share/icons/hicolor/128x128/apps/$(chiave "$VOCE" Icon).png" ]

verifica "thumbnailer: MimeType is the desktop entry's" \
  uguale "$(chiave "$MINI" MimeType | elenco_ordinato)" "$(chiave "$VOCE" MimeType | elenco_ordinato)"
fine
