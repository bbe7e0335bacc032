# verifica.sh: named checks for the shell tests. Source it. Each check that
# fails says so on standard error; `fine` reports the count and fails if
# any did.
falliti=0
verifica() { "${@:2}" || { falliti=$((falliti + 1)); echo "FAILED: $1" >&2; }; }
fine() { echo "$falliti checks failed"; [ "$falliti" -eq 0 ]; }
uguale() { [ "$1" = "$2" ] || { printf 'expected: %s\n     got: %s\n' "$2" "$1" >&2; return 1; }; }
