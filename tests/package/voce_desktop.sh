#!/usr/bin/env bash
# voce_desktop.sh DEST: the installed desktop entry is valid, starts the
# installed program on the files it is given, with the installed icon, for
# the mesh types it opens (finestra.sh: it names the window's class); the
# thumbnailer entry is for the same types (fabbrica.sh runs it as a file
# manager does: a wrong TryExec or Exec gives no thumbnail of the right size).
source "$(dirname "$0")/lib.sh"
VOCE="$1/usr/share/applications/superficie.desktop" MINI="$1/usr/share/thumbnailers/superficie.thumbnailer"

verifica "desktop-file-validate reports nothing" uguale "$(desktop-file-validate "$VOCE" 2>&1)" ""
verifica "Exec is the installed program, on any number of files" uguale "$(chiave "$VOCE" Exec)" "superficie %F"
verifica "Icon is the installed icon" [ -f "$1/usr/share/icons/hicolor/128x128/apps/$(chiave "$VOCE" Icon).png" ]
verifica "GenericName and Comment given, Terminal=false, Categories in the Graphics family" \
  [ -n "$(chiave "$VOCE" GenericName)" -a -n "$(chiave "$VOCE" Comment)" -a "$(chiave "$VOCE" Terminal)" = false \
    -a -n "$(grep -x 'Categories=Graphics;.*' "$VOCE")" ]
verifica "MimeType: OBJ, STL, PLY, OFF, glTF (both forms) and 3MF, nothing else" \
  uguale "$(chiave "$VOCE" MimeType | elenco_ordinato)" \
  "model/3mf model/gltf+json model/gltf-binary model/obj model/stl model/x-geomview-off model/x-ply"

verifica "thumbnailer: one [Thumbnailer Entry] group, and it comes first" uguale "$(grep '^\[' "$MINI")" "[Thumbnailer Entry]"
verifica "thumbnailer: MimeType is the desktop entry's" \
  uguale "$(chiave "$MINI" MimeType | elenco_ordinato)" "$(chiave "$VOCE" MimeType | elenco_ordinato)"
fine
