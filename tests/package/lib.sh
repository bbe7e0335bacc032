# lib.sh: shared by the package tests. Source it.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/comune.sh"
source "$ROOT/tests/lib/verifica.sh"
chiave() { sed -n "s/^$2=//p" "$1"; }   # chiave FILE KEY: a desktop-style entry's value
elenco_ordinato() { tr '; ' '\n\n' | sed '/^$/d' | sort | paste -sd' ' -; }

# elenco [MAN_SUFFIX]: every file the install puts under /usr, with its mode,
# sorted; the package has the manual pages compressed (MAN_SUFFIX .gz).
elenco() {
  cat <<LIST
-rwxr-xr-x usr/bin/superficie
-rwxr-xr-x usr/bin/superficie-export
-rw-r--r-- usr/share/applications/superficie.desktop
-rw-r--r-- usr/share/doc/superficie/changelog.gz
-rw-r--r-- usr/share/doc/superficie/copyright
-rw-r--r-- usr/share/icons/hicolor/128x128/apps/superficie.png
-rw-r--r-- usr/share/man/man1/superficie-export.1${1:-}
-rw-r--r-- usr/share/man/man1/superficie.1${1:-}
-rw-r--r-- usr/share/metainfo/org.example.superficie.metainfo.xml
-rw-r--r-- usr/share/mime/packages/superficie.xml
-rw-r--r-- usr/share/thumbnailers/superficie.thumbnailer
LIST
}
