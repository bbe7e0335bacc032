# schermo.sh: finding the viewer's window and taking screenshots of it, for
# scripts/run and the end-to-end tests. Source it after comune.sh.

# finestra_di PID SECONDS: prints the X id of the "Superficie" window of
# process PID once it is mapped; fails after SECONDS.
finestra_di() {
  local pid="$1" fine=$((SECONDS + $2)) w
  while [ "$SECONDS" -lt "$fine" ]; do
    kill -0 "$pid" 2>/dev/null || return 1
    w="$(xdotool search --onlyvisible --pid "$pid" --name '^Superficie$' 2>/dev/null | head -n 1 || true)"
    if [ -n "$w" ]; then
      echo "$w"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# schermata W FILE: the window's contents as a binary PPM, by
# scripts/lib/schermata.c, built here on first use (and again when changed);
# built under a temporary name, so that tests running side by side never
# run a half-written program.
SCHERMATA="$ROOT/build-strumenti/schermata"
costruisci_schermata() {
  if [ ! -x "$SCHERMATA" ] || [ "$ROOT/scripts/lib/schermata.c" -nt "$SCHERMATA" ]; then
    mkdir -p "$(dirname "$SCHERMATA")"
    local nuovo
    nuovo="$(mktemp "$SCHERMATA.XXXXXX")"
    cc -O2 -o "$nuovo" "$ROOT/scripts/lib/schermata.c" -lX11 && mv -f "$nuovo" "$SCHERMATA" ||
      { rm -f "$nuovo"; return 1; }
  fi
}
schermata() { costruisci_schermata && "$SCHERMATA" "$1" >"$2"; }

# display_risponde: true when $DISPLAY names an X server that answers. Needs
# only the viewer's own build packages (cc, libx11-dev).
display_risponde() { [ -n "${DISPLAY:-}" ] && costruisci_schermata && "$SCHERMATA" --display; }

# attendi_quadro W FILE SECONDS [PREVIOUS]: waits until the window's picture
# differs from PREVIOUS (when given) and then stays the same for three
# screenshots in a row, and leaves it in FILE. There is no frame counter to
# read, so a picture that stopped changing is the only sign of a finished
# frame. Fails after SECONDS.
attendi_quadro() {
  local w="$1" out="$2" fine=$((SECONDS + $3)) prima="${4:-}"
  local a b stabili=0
  a="$(mktemp)"
  b="$(mktemp)"
  schermata "$w" "$a" || true
  while [ "$SECONDS" -lt "$fine" ]; do
    sleep 0.15
    schermata "$w" "$b" || continue
    if [ -n "$prima" ] && cmp -s "$b" "$prima"; then
      stabili=0
    elif cmp -s "$a" "$b"; then
      stabili=$((stabili + 1))
      if [ "$stabili" -ge 2 ]; then
        mv "$b" "$out"
        rm -f "$a"
        return 0
      fi
    else
      stabili=0
    fi
    mv "$b" "$a"
  done
  rm -f "$a" "$b"
  return 1
}

# attendi_scena W FILE SECONDS: attendi_quadro for the first picture of a
# new window, which must also show the scene: an unpainted or cleared
# window is a single colour, a drawn scene has many.
attendi_scena() {
  local w="$1" out="$2" fine=$((SECONDS + $3)) resto
  while [ "$SECONDS" -lt "$fine" ]; do
    resto=$((fine - SECONDS))
    attendi_quadro "$w" "$out" "$resto" || return 1
    if [ "$(ppmhist -noheader "$out" 2>/dev/null | wc -l)" -gt 2 ]; then
      return 0
    fi
  done
  return 1
}
