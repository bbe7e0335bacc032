#!/usr/bin/env bash
# cartelle.sh ROOT: every #include between the product's folders points
# down this list; only the records and their transformations use each other.
set -euo pipefail
cd "$1"
ordine=(state model transform data mesh text packaged loading input viewer web)
errori=0
for i in "${!ordine[@]}"; do
  sopra="$(IFS='|'; echo "${ordine[*]:i+1}")"
  [ "${ordine[$i]}" != model ] || sopra="${sopra#transform|}"
  # Prints each include of a folder above this one.
  if grep -En "^#include \"($sopra)/" "${ordine[$i]}"/*.cpp "${ordine[$i]}"/*.h 2>/dev/null; then errori=1; fi
done
exit $errori
