# lib.sh: shared by the end-to-end tests. Each test sources it with the
# viewer binary, esamina_schermata and chiudi_finestra as its arguments,
# gets an Xvfb of its own (so focus and pointer belong to it alone), and
# drives the real viewer with xdotool.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/schermo.sh"

VIEWER="$1"
ESAMINA="$2"
CHIUDI="$3"
LAVORO="$(mktemp -d)"
# Deadlines, not expectations: a frame takes milliseconds, but the
# sanitizer build on a loaded two-core machine is many times slower.
ATTESA_FINESTRA=60
ATTESA_QUADRO=30
# Milliseconds between drag steps, so that each motion event gets its own
# frame (and with it the drag handler that frame installs).
PASSO_MS=60

falliti=0
superati=0
verifica() {   # verifica DESCRIPTION COMMAND...: one named check
  local descr="$1"; shift
  if "$@"; then
    superati=$((superati + 1))
  else
    falliti=$((falliti + 1))
    echo "FAILED: $descr" >&2
  fi
}
fine() {
  echo "$superati passed, $falliti failed"
  [ "$falliti" -eq 0 ]
}

avvia() {   # avvia [COMMAND-PREFIX...]: Xvfb, then the viewer in it; sets W and VPID
  local prova
  for prova in 1 2 3; do
    xvfb_proprio
    # Set after start_xvfb, which sets a trap of its own.
    trap 'kill "${VPID:-}" 2>/dev/null || true; ferma_xvfb; rm -rf "$LAVORO"' EXIT
    "$@" "$VIEWER" >"$LAVORO/stdout" 2>"$LAVORO/stderr" &
    VPID=$!
    if W="$(xdotool_finestra)"; then
      # Keys go to the window under the pointer when no window manager runs.
      xdotool mousemove --window "$W" 500 100
      xdotool windowfocus "$W"
      return 0
    fi
    kill "$VPID" 2>/dev/null || true
    wait "$VPID" 2>/dev/null || true
    # The server went unreachable after it had answered (seen under load,
    # other servers coming and going): start over on a new one. Anything
    # else is the viewer's own failure.
    grep -q "failed to open display" "$LAVORO/stderr" || break
    echo "the viewer could not reach $DISPLAY (try $prova)" >&2
    ferma_xvfb
  done
  echo "the window did not appear" >&2
  cat "$LAVORO/stderr" >&2
  exit 1
}

# Waits for the server to be gone, so that its display number is free and
# its socket removed before another test's server takes the number.
ferma_xvfb() {
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
}

# start_xvfb, checked: with other X servers starting and stopping on the
# same machine, a fresh server has been seen unreachable; then take another.
xvfb_proprio() {
  local prova
  for prova in 1 2 3; do
    start_xvfb
    sleep 0.2
    if xdpyinfo >/dev/null 2>&1; then
      return 0
    fi
    echo "Xvfb on $DISPLAY not reachable (try $prova)" >&2
    ferma_xvfb
  done
  return 1
}

# The window by name: under apitrace the viewer is not the process started.
xdotool_finestra() {
  local fine=$((SECONDS + ATTESA_FINESTRA)) w
  while [ "$SECONDS" -lt "$fine" ]; do
    w="$(xdotool search --onlyvisible --name '^Superficie$' 2>/dev/null | head -n 1 || true)"
    if [ -n "$w" ]; then
      echo "$w"
      return 0
    fi
    kill -0 "$VPID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

quadro() {   # quadro NAME [PREVIOUS-NAME]: waits for a settled picture, new
             # since PREVIOUS, or else the first one of the scene
  local prima=""
  [ -n "${2:-}" ] && prima="$LAVORO/$2.ppm"
  local attesa=attendi_quadro
  [ -z "$prima" ] && attesa=attendi_scena
  if ! "$attesa" "$W" "$LAVORO/$1.ppm" "$ATTESA_QUADRO" ${prima:+"$prima"}; then
    echo "no settled new picture for $1" >&2
    return 1
  fi
}

tasti() { xdotool key --delay 30 "$@"; }

# trascina BUTTON X Y DX DY STEPS: press BUTTON (1 left, 2 middle, 3 right)
# at (X, Y) in the window, move by (DX, DY) in STEPS equal steps, release.
trascina() {
  local b="$1" x="$2" y="$3" dx="$4" dy="$5" n="$6" i
  xdotool mousemove --window "$W" "$x" "$y" mousedown "$b"
  for ((i = 1; i <= n; i++)); do
    sleep "0.$(printf '%03d' "$PASSO_MS")"
    xdotool mousemove --window "$W" $((x + dx * i / n)) $((y + dy * i / n))
  done
  sleep "0.$(printf '%03d' "$PASSO_MS")"
  xdotool mouseup "$b"
}

# misura NAME: sets oggetto, ox, oy, ombra, sx, sy from picture NAME.
misura() {
  local riga
  riga="$("$ESAMINA" conta "$LAVORO/$1.ppm")"
  read -r _ oggetto _ ox _ oy _ ombra _ sx _ sy <<<"$riga"
}

differenze() { "$ESAMINA" differenze "$LAVORO/$1.ppm" "$LAVORO/$2.ppm"; }
uguali() { [ "$(differenze "$1" "$2")" -eq 0 ]; }
diversi() { [ "$(differenze "$1" "$2")" -gt 0 ]; }

# Floating-point comparisons through awk: entro VALUE LOW HIGH.
entro() { awk -v v="$1" -v a="$2" -v b="$3" 'BEGIN { exit !(v >= a && v <= b) }'; }
rapporto() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }
