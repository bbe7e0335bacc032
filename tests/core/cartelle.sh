#!/usr/bin/env bash
# cartelle.sh ROOT: every #include between the product's folders points
# down this list; only the records and their transformations use each other.
set -euo pipefail
cd "$1"
ordine=(state model transform data mesh text packaged loading input viewer web)
declare -A rango
for i in "${!ordine[@]}"; do rango[${ordine[$i]}]=$i; done
errori=0
for da in "${ordine[@]}"; do
  while IFS=: read -r file riga; do
    a="${riga#*\"}"; a="${a%%/*}"
    [ -n "${rango[$a]+x}" ] || continue
    case "$da-$a" in model-transform) continue ;; esac
    if [ "${rango[$a]}" -gt "${rango[$da]}" ]; then
      echo "$file includes $a/, a folder above $da/"
      errori=1
    fi
  done < <(grep -H '^#include "[a-z]*/' "$da"/*.cpp "$da"/*.h 2>/dev/null || true)
done
exit $errori
