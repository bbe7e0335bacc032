#!/usr/bin/env bash
# voce_desktop.sh DEST: the installed desktop entry is valid, starts the
# installed program on the files it is given, with the installed icon, for
# the mesh types it opens, and names the window class the program sets.
source "$(dirname "$0")/lib.sh"
VOCE="$1/usr/share/applications/superficie.desktop"

verifica "desktop-file-validate reports nothing" \
  uguale "$(desktop-file-validate "$VOCE" 2>&1)" ""
chiave() { sed -n "s/^$1=//p" "$VOCE"; }
verifica "Exec is the installed program, on any number of files" uguale "$(chiave Exec)" "superficie %F"
verifica "Icon is the installed icon" [ "$(chiave Icon)" = superficie ]
verifica "Name, GenericName and Comment given" [ -n "$(chiave Name)" -a -n "$(chiave GenericName)" -a -n "$(chiave Comment)" ]
verifica "Terminal=false" [ "$(chiave Terminal)" = false ]
verifica "Categories in the Graphics family" grep -qx 'Categories=Graphics;.*' "$VOCE"
verifica "MimeType: OBJ, STL, PLY, OFF, glTF (both forms) and 3MF, nothing else" \
  uguale "$(chiave MimeType | tr ';' '\n' | sed '/^$/d' | sort | tr '\n' ' ')" \
  "model/3mf model/gltf+json model/gltf-binary model/obj model/stl model/x-geomview-off model/x-ply "
verifica "StartupWMClass is the class of the window (WM_CLASS Superficie)" \
  uguale "$(chiave StartupWMClass)" Superficie
fine
