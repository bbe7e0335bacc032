#!/usr/bin/env bash
# voce_desktop.sh DEST: the installed desktop entry is valid, starts the
# installed program on the files it is given, with the installed icon, for
# the mesh types it opens (finestra.sh: it names the window's class).
source "$(dirname "$0")/lib.sh"
VOCE="$1/usr/share/applications/superficie.desktop"

verifica "desktop-file-validate reports nothing" \
  uguale "$(desktop-file-validate "$VOCE" 2>&1)" ""
chiave() { sed -n "s/^$1=//p" "$VOCE"; }
verifica "Exec is the installed program, on any number of files" uguale "$(chiave Exec)" "superficie %F"
verifica "Icon is the installed icon" [ -f "$1/usr/share/icons/hicolor/128x128/apps/$(chiave Icon).png" ]
verifica "GenericName and Comment given, Terminal=false, Categories in the Graphics family" \
  [ -n "$(chiave GenericName)" -a -n "$(chiave Comment)" -a "$(chiave Terminal)" = false -a -n "$(grep -x 'Categories=Graphics;.*' "$VOCE")" ]
verifica "MimeType: OBJ, STL, PLY, OFF, glTF (both forms) and 3MF, nothing else" \
  uguale "$(chiave MimeType | tr ';' '\n' | sed '/^$/d' | sort | tr '\n' ' ')" \
  "model/3mf model/gltf+json model/gltf-binary model/obj model/stl model/x-geomview-off model/x-ply "
fine
