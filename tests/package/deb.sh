#!/usr/bin/env bash
# deb.sh DIR VERSION BUILT_EXPORT: the .deb that scripts/package made in DIR:
# its control fields, its files, lintian's verdict, and its superficie-export
# writing what the build tree's writes.
source "$(dirname "$0")/lib.sh"
DEB="$(cat "$1/deb.txt")" VERSIONE="$2" COSTRUITO="$3"

# cpack names it by its Package, Version and Architecture fields.
verifica "scripts/package's last line names superficie_${VERSIONE}_*.deb" \
  [ -f "$DEB" -a "${DEB##*/}" = "superficie_${VERSIONE}_$(dpkg --print-architecture).deb" ]
# Section, Priority and the Description's words are the packaging's own
# constants; lintian fails an empty or malformed Description or Maintainer.
# What dpkg-shlibdeps finds the two programs linked against (EGL and libpng
# for the pictures drawn without a display).
for bibli in libc6 libstdc++6 libglut3.12 'libglu1-mesa | libglu1' libopengl0 libegl1 libpng16-16; do
  verifica "Depends: $bibli" grep -qF -- "$bibli" <<<"$(dpkg-deb -f "$DEB" Depends)"
done

# Folders owned by root and rwxr-xr-x: any other is listed, and differs.
verifica "its files: the install's, pages compressed, owned by root; its folders too" \
  diff -u <(elenco .gz | sed 's| | root/root ./|' | sort -k3) \
  <(dpkg-deb -c "$DEB" | awk '$1 $2 != "drwxr-xr-xroot/root" { print $1, $2, $6 }' | sort -k3)

dpkg-deb -x "$DEB" "$LAVORO/radice"
verifica "the package's superficie-export writes the build tree's bytes" \
  cmp <("$LAVORO/radice/usr/bin/superficie-export") <("$COSTRUITO")

# Every tag, informational ones too, shown; errors and warnings fail: among
# them unstripped programs and gzip files (pages, changelog) with a time stamp.
status=0
lintian --display-info --fail-on error,warning "$DEB" >"$LAVORO/lintian" 2>&1 || status=$?
cat "$LAVORO/lintian"
verifica "lintian: no error, no warning" [ "$status" -eq 0 -a -z "$(grep -E '^[EW]: ' "$LAVORO/lintian")" ]
fine
