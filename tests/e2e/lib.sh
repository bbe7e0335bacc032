# lib.sh VIEWER: the real viewer on an X server of its own, driven with xdotool.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/comune.sh"
source "$ROOT/scripts/lib/schermo.sh"
source "$ROOT/tests/lib/verifica.sh"
VIEWER="$1"
# The servers stopped here are the script's own, never one it was given.
unset XVFB_PID VPID
# Deadlines, not expectations: the sanitizer build or valgrind on a loaded
# two-core machine is many times slower than a frame's milliseconds.
ATTESA_FINESTRA=${ATTESA_FINESTRA:-60} ATTESA_QUADRO=30
# Seconds between drag steps: each motion gets a frame of its own (and the
# drag handler that frame installs).
PASSO=0.06

ferma() { kill "${VPID:-}" "${XVFB_PID:-}" 2>/dev/null || true; wait 2>/dev/null || true; }

avvia() {   # avvia [PREFIX...]: a new X server, the viewer in it with the files in
            # the array FILE, if any; sets W and VPID
  for prova in 1 2 3; do   # under load a fresh server has been seen unreachable
    start_xvfb
    trap 'ferma; rm -rf "$LAVORO"' EXIT
    "$@" "$VIEWER" ${FILE[@]+"${FILE[@]}"} </dev/null >"$LAVORO/stdout" \
      2>"$LAVORO/stderr" &
    VPID=$!
    # By name, as under apitrace the viewer is not the process started; with
    # no window manager, keys go to the window under the pointer.
    W="$(timeout "$ATTESA_FINESTRA" xdotool search --sync --onlyvisible \
           --name '^Superficie$' 2>/dev/null | head -n 1)" || true
    [ -n "$W" ] && xdotool mousemove --window "$W" 500 100 windowfocus "$W" && return 0
    echo "no window on $DISPLAY (try $prova)" >&2 && ferma
  done
  cat "$LAVORO/stderr" >&2; exit 1
}

quadro() {   # quadro NAME [PREVIOUS]: the settled picture, which must differ from PREVIOUS
  if [ -n "${2:-}" ]; then attendi_quadro "$W" "$LAVORO/$1.ppm" "$ATTESA_QUADRO" "$LAVORO/$2.ppm"
  else attendi_scena "$W" "$LAVORO/$1.ppm" "$ATTESA_QUADRO"; fi ||
    { echo "FAILED: no new settled picture $1" >&2; exit 1; }
}
uguali() { cmp -s "$LAVORO/$1.ppm" "$LAVORO/$2.ppm"; }
tasti() { xdotool key --delay 30 "$@"; }

trascina() {   # trascina BUTTON X Y DX DY STEPS: a drag in the window
  xdotool mousemove --window "$W" "$2" "$3" mousedown "$1"
  for ((i = 1; i <= $6; i++)); do
    sleep "$PASSO" && xdotool mousemove --window "$W" $(($2 + $4 * i / $6)) $(($3 + $5 * i / $6))
  done
  sleep "$PASSO" && xdotool mouseup "$1"
}

# fuori NAME ARGS...: `superficie --output NAME.png ARGS` with no display
# (e2e.sh and vivi.sh hold its pixels to the window's); its standard error
# in NAME.err.
fuori() {
  local nome="$1"; shift
  env -u DISPLAY "$VIEWER" --output "$LAVORO/$nome.png" "$@" </dev/null 2>"$LAVORO/$nome.err" ||
    { echo "FAILED: --output $* ended with status $?" >&2; exit 1; }
}
# come NAME ARGS...: --output's picture of ARGS is the window's picture NAME.
come() { fuori "$@" && pngtopam "$LAVORO/$1.png" | cmp -s "$LAVORO/$1.ppm" -; }
