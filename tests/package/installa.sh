#!/usr/bin/env bash
# installa.sh BUILD DEST: cmake --install BUILD --prefix /usr into DEST, anew.
source "$(dirname "$0")/lib.sh"
rm -rf "$2"
DESTDIR="$2" cmake --install "$1" --prefix /usr
