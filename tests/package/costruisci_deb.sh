#!/usr/bin/env bash
# costruisci_deb.sh DIR: scripts/package with its build tree in DIR; its last
# line of output, the .deb's path, goes to DIR/deb.txt for deb.sh.
source "$(dirname "$0")/lib.sh"
mkdir -p "$1"
rm -f "$1/deb.txt"
SUPERFICIE_PACKAGE_DIR="$1" "$ROOT/scripts/package" | tee "$1/uscita.txt"
tail -n 1 "$1/uscita.txt" >"$1/deb.txt"
