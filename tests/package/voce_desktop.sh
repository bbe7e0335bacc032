#!/usr/bin/env bash
# voce_desktop.sh DEST: the installed desktop entry is valid and starts the
# installed program with the installed icon.
source "$(dirname "$0")/lib.sh"
VOCE="$1/usr/share/applications/superficie.desktop"

verifica "desktop-file-validate reports nothing" \
  uguale "$(desktop-file-validate "$VOCE" 2>&1)" ""
chiave() { sed -n "s/^$1=//p" "$VOCE"; }
verifica "Exec is the installed program" [ "$(chiave Exec)" = superficie ]
verifica "Icon is the installed icon" [ "$(chiave Icon)" = superficie ]
verifica "Name, GenericName and Comment given" [ -n "$(chiave Name)" -a -n "$(chiave GenericName)" -a -n "$(chiave Comment)" ]
verifica "Terminal=false" [ "$(chiave Terminal)" = false ]
verifica "Categories in the Graphics family" grep -qx 'Categories=Graphics;.*' "$VOCE"
fine
