#!/usr/bin/env bash
# cartelle.sh ROOT: every #include between the product's folders points
# down this list; only the records and their transformations use each other.
set -euo pipefail
cd "$1"
ordine=(state model transform data mesh text packaged loading input viewer web)
errori=0
for i in "${!ordine[@]}"; do
  da=${ordine[$i]}
  for a in "${ordine[@]:i+1}"; do
    [ "$da-$a" != model-transform ] || continue
    for file in $(grep -l "^#include \"$a/" "$da"/*.cpp "$da"/*.h 2>/dev/null); do
      echo "$file includes $a/, a folder above $da/"
      errori=1
    done
  done
done
exit $errori
