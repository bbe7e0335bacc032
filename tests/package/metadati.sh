#!/usr/bin/env bash
# metadati.sh DEST VERSION: what the desktop learns from the install besides
# the desktop entry: the AppStream metadata passes appstreamcli and agrees
# with the entry, and the MIME definitions, built into a database with
# Debian's own, give files of each format the entry claims, named or known
# by their first bytes, those types and no others.
source "$(dirname "$0")/lib.sh"
DEST="$1" VERSIONE="$2"
METAINFO="$DEST/usr/share/metainfo/org.example.superficie.metainfo.xml"
VOCE="$DEST/usr/share/applications/superficie.desktop"

# --- AppStream
# The metainfo alone, then the installed tree with the desktop entry (which
# checks the id against the file's name and the launchable entry).
for v in "validate --no-net --pedantic $METAINFO" "validate-tree --no-net $DEST/usr"; do
  status=0 && appstreamcli $v >"$LAVORO/appstream" 2>&1 || status=$?
  cat "$LAVORO/appstream"
  verifica "appstreamcli $v: no issue at all" [ "$status" -eq 0 -a -z "$(grep -E '^[EWIP]: ' "$LAVORO/appstream")" ]
done
# The metainfo's elements $1, sorted, on one line.
elementi() { sed -n "s|.*<$1[^>]*>\([^<]*\)</$1>.*|\1|p" "$METAINFO" | elenco_ordinato; }
verifica "metainfo: its newest release is version $VERSIONE" \
  uguale "$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' "$METAINFO" | head -n 1)" "$VERSIONE"
verifica "metainfo: the media types are the desktop entry's" \
  uguale "$(elementi mediatype)" "$(chiave "$VOCE" MimeType | elenco_ordinato)"
verifica "metainfo: the binaries are the installed programs" uguale "$(elementi binary)" "$(ls "$DEST/usr/bin" | elenco_ordinato)"

# --- MIME types
# A MIME database in $LAVORO/con from ours and Debian's definitions, as
# the desktop has them.
mkdir -p "$LAVORO/casa" "$LAVORO/f" "$LAVORO/con/mime/packages"
cp "$DEST/usr/share/mime/packages/superficie.xml" /usr/share/mime/packages/freedesktop.org.xml \
  "$LAVORO/con/mime/packages/"
XDG_DATA_DIRS="$LAVORO/con" update-mime-database "$LAVORO/con/mime" 2>"$LAVORO/con/errori"
verifica "update-mime-database: no complaint about the definitions" uguale "$(cat "$LAVORO/con/errori")" ""

cd "$LAVORO/f"
"$DEST/usr/bin/superficie-export" superficie                 # NOFF, no extension
"$DEST/usr/bin/superficie-export" --obj modello.obj
# tipo_di FILE BYTES TYPE: FILE, written with BYTES (printf's format) unless
# they are empty, gets TYPE from GIO with only that database; TYPE goes to
# the list tipi.
tipo_di() {
  [ -z "$2" ] || printf "$2" >"$1"
  echo "$3" >>"$LAVORO/tipi"
  verifica "$1: $3" uguale "$(XDG_DATA_HOME="$LAVORO/casa" XDG_DATA_DIRS="$LAVORO/con" gio info -a \
    standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p')" "$3"
}
# Every OFF keyword, each followed by one of the blanks that may end it.
fine_parola=('\n' ' ' '\t' '\r\n')
i=0
for k in OFF COFF NOFF 4OFF nOFF CNOFF STOFF STCOFF STNOFF STCNOFF; do
  tipo_di "off_$k" "$k${fine_parola[i++ % 4]}3 1 0\n" model/x-geomview-off
done
# (A file named .ply holding ply_ascii's bytes would fail only where ply_ascii fails.)
while IFS='|' read -r file dati atteso; do tipo_di "$file" "$dati" "$atteso"; done <<'LIST'
ply_ascii|ply\nformat ascii 1.0\nelement vertex 0\nend_header\n|model/x-ply
ply_windows|ply\r\nformat binary_little_endian 1.0\r\nend_header\r\n|model/x-ply
modello.off|3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n|model/x-geomview-off
superficie||model/x-geomview-off
off_binario|OFF BINARY\n|model/x-geomview-off
modello.obj||model/obj
modello.stl|solid t\nendsolid t\n|model/stl
senza_nome|glTF\2\0\0\0|model/gltf-binary
modello.gltf|{"asset":{"version":"2.0"}}|model/gltf+json
modello.3mf|PK\3\4|model/3mf
ufficio|OFFICE HOURS\n|text/plain
compensato|plywood\n|text/plain
LIST
verifica "the desktop entry's types: those the files above get, text/plain apart" \
  uguale "$(grep -vx text/plain "$LAVORO/tipi" | sort -u | paste -sd' ' -)" "$(chiave "$VOCE" MimeType | elenco_ordinato)"
fine
