# verifica.sh: named checks for the shell tests. Source it. Each check that
# fails says so on standard error; `fine` reports the count and fails if
# any did.
falliti=0
verifica() { "${@:2}" || { falliti=$((falliti + 1)); echo "FAILED: $1" >&2; }; }
fine() { echo "$falliti checks failed"; [ "$falliti" -eq 0 ]; }
uguale() { [ "$1" = "$2" ] || { printf 'expected: %s\n     got: %s\n' "$2" "$1" >&2; return 1; }; }
# The test's own folder, gone at the end (a test that traps EXIT itself
# removes it too), open to the sandboxed and the unprivileged programs.
LAVORO="$(mktemp -d)" && chmod 755 "$LAVORO"
trap 'rm -rf "$LAVORO"' EXIT
unset DISPLAY   # none but the X server a test starts itself
# Root reads and writes anything: what must be refused it is tried as nobody.
[ "$(id -u)" -ne 0 ] || NESSUNO="setpriv --reuid=65534 --regid=65534 --clear-groups"

# rifiuta EXPECTED COMMAND...: a refusal: status 2, nothing on standard
# output, one line on standard error starting with EXPECTED.
rifiuta() {
  local atteso="$1" e="$LAVORO/rifiuta" status=0 errore
  "${@:2}" >"$e.out" 2>"$e.err" </dev/null || status=$?
  errore="$(cat "$e.err")"
  verifica "${*: -1}: refused ($(head -c 300 "$e.err"))" uguale \
    "$status $(wc -l <"$e.err") $(wc -c <"$e.out") ${errore:0:${#atteso}}" "2 1 0 $atteso"
}
# no EXPECTED ARGS...: $VIEWER refuses ARGS with "superficie: EXPECTED...",
# run through $COME if set.
no() { local atteso="$1"; shift; rifiuta "superficie: $atteso" ${COME:-} "$VIEWER" "$@"; }
# cubo FILE: a cube, its faces quads, as OFF.
cubo() {
  { echo OFF && echo 8 6 0 && printf '%s %s %s\n' -1 -1 -1 1 -1 -1 1 1 -1 -1 1 -1 -1 -1 1 1 -1 1 1 1 1 -1 1 1 &&
    printf '4 %s %s %s %s\n' 0 3 2 1 4 5 6 7 0 1 5 4 1 2 6 5 2 3 7 6 3 0 4 7; } >"$1"
}
