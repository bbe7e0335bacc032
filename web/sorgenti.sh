#!/usr/bin/env bash
# sorgenti.sh DIR: Debian's sources of the libraries the page compiles in,
# each of the version installed here for the desktop (its -dev package), so
# that the page and the desktop read and fit files alike. Unpacked under DIR
# once per version; later runs only check. Prints one line a library:
# NAME PATH-OF-ITS-UNPACKED-SOURCE.
#
# apt is given its own deb-src entries, lists and cache on its command line,
# taken from this machine's archive: the machine's apt sources and lists are
# never changed, and no root is needed.
set -euo pipefail
dir="$(mkdir -p "$1" && realpath "$1")"

# The -dev packages whose sources the page builds.
PACCHETTI=(libmeshoptimizer-dev zlib1g-dev libexpat1-dev rapidjson-dev)

# Source package and version of each, as dpkg has them.
declare -A VERSIONE
for p in "${PACCHETTI[@]}"; do
  riga="$(dpkg-query -W -f='${source:Package} ${source:Version}' "$p" 2>/dev/null)" || {
    echo "sorgenti.sh: $p is not installed: its version is the one the page builds" >&2
    exit 1
  }
  VERSIONE[${riga% *}]="${riga#* }"
done

# NAME/VERSION is the folder (':' of an epoch as '_': make reads it as a
# rule): a new version is fetched anew.
cartella() { echo "$dir/$1/${2//:/_}"; }
pronto() { [ -f "$(cartella "$1" "$2")/.pronto" ]; }
mancano=()
for s in "${!VERSIONE[@]}"; do
  pronto "$s" "${VERSIONE[$s]}" || mancano+=("$s")
done

# deb-src lines for the archives this machine's deb lines name: the
# one-line lists and the deb822 .sources files alike.
deb_src() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # One stanza a paragraph, without deb in its Types is skipped; one
    # line a URI and suite.
    awk 'function fine() {
           if (tipi ~ /(^| )deb( |$)/ && uri != "" && abilitato != "no") {
             n = split(uri, u, " "); m = split(suite, s, " ")
             for (i = 1; i <= n; i++)
               for (j = 1; j <= m; j++)
                 print "deb-src" (firma != "" ? " [signed-by=" firma "]" : "") " " u[i] " " s[j] " " comp
           }
           tipi = uri = suite = comp = firma = abilitato = ""
         }
         /^[[:space:]]*#/ { next }
         /^[[:space:]]*$/ { fine(); next }
         { chiave = tolower($1); sub(/:$/, "", chiave); $1 = ""; sub(/^ +/, "")
           if (chiave == "types") tipi = $0
           else if (chiave == "uris") uri = $0
           else if (chiave == "suites") suite = $0
           else if (chiave == "components") comp = $0
           else if (chiave == "signed-by") firma = $0
           else if (chiave == "enabled") abilitato = tolower($0) }
         END { fine() }' "$f"
  done
}

# The other versions of source package $1 of the same upstream release as
# version $2 (epoch and upstream alike), newest first.
altre_versioni() {
  local w
  "${apt[@]/apt-get/apt-cache}" showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u |
    while read -r w; do
      [ "$w" != "$2" ] && [ "${w%-*}" = "${2%-*}" ] && echo "$w"
    done | sort -r -V
}

if [ "${#mancano[@]}" -gt 0 ]; then
  apt_dir="$dir/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  deb_src | awk 'NF' >"$apt_dir/sources.list"
  [ -s "$apt_dir/sources.list" ] || { echo "sorgenti.sh: no Debian archive in /etc/apt" >&2; exit 1; }
  apt=(apt-get -q -o Dir::Etc::sourcelist="$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
       -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")
  # As root apt would fetch as _apt, who may not write here.
  [ "$(id -u)" -ne 0 ] || apt+=(-o APT::Sandbox::User=root)
  echo "sorgenti.sh: fetching Debian's sources of ${mancano[*]}" >&2
  # apt's own output in a log, shown when it fails.
  registro="$apt_dir/registro.txt"
  : >"$registro"
  "${apt[@]}" update >>"$registro" 2>&1 || { cat "$registro" >&2; exit 1; }
  for s in "${mancano[@]}"; do
    v="${VERSIONE[$s]}" c="$(cartella "$s" "${VERSIONE[$s]}")"
    rm -rf "${dir:?}/$s"
    mkdir -p "$c"
    # Unpacked, Debian's patches applied (dpkg-source, from dpkg-dev). An
    # archive may index a source it does not serve (a security update's):
    # then the newest one served of the same upstream release, said so.
    preso=""
    for w in "$v" $(altre_versioni "$s" "$v"); do
      if (cd "$c" && "${apt[@]}" source "$s=$w" >>"$registro" 2>&1); then preso="$w"; break; fi
      rm -rf "$c" && mkdir -p "$c"
    done
    [ -n "$preso" ] || { cat "$registro" >&2; echo "sorgenti.sh: no source of $s $v to be had" >&2; exit 1; }
    [ "$preso" = "$v" ] ||
      echo "sorgenti.sh: $s $v is installed, its source is not served: building $preso" >&2
    echo "$preso" >"$c/.pronto"
  done
fi

for s in "${!VERSIONE[@]}"; do
  v="${VERSIONE[$s]}"
  # The unpacked tree is the one folder beside the .dsc and its tarballs.
  albero="$(find "$(cartella "$s" "$v")" -mindepth 1 -maxdepth 1 -type d | head -n 1)"
  [ -n "$albero" ] || { echo "sorgenti.sh: $s $v unpacked nothing" >&2; exit 1; }
  echo "$s $albero"
done
