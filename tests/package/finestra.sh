#!/usr/bin/env bash
# finestra.sh VIEWER: the installed viewer on a virtual X server of its own,
# started as the end-to-end test starts the built one (whose tests check its
# size, picture and status without a display): its window appears and tells
# the desktop which program it is: its class, its process and machine, its icon.
source "$(dirname "$0")/../e2e/lib.sh"

avvia   # fails the test when no window appears

# The window found by its name, the top-level one freeglut names, must carry
# the class (properties put on a child drawable would miss it): what a
# taskbar matches against StartupWMClass.
valore() { xprop -id "$W" -notype "$1" | sed 's/^[^=]*= //'; }
verifica "WM_CLASS: superficie, and the installed desktop entry's StartupWMClass" uguale \
  "$(valore WM_CLASS)" "\"superficie\", \"$(sed -n 's/^StartupWMClass=//p' \
  "${VIEWER%/bin/superficie}/share/applications/superficie.desktop")\""
verifica "_NET_WM_PID: the viewer's process" uguale "$(valore _NET_WM_PID)" "$VPID"
verifica "WM_CLIENT_MACHINE: this machine" uguale "$(valore WM_CLIENT_MACHINE)" "\"$(uname -n)\""

# _NET_WM_ICON as plain numbers: width, height, then one ARGB value a pixel,
# those netpbm makes of packaging/superficie.png now, so a stale table shows.
xprop -id "$W" -notype -f _NET_WM_ICON 32c ' = $0+\n' _NET_WM_ICON |
  sed 's/^[^=]*= //' | tr -d ' ' | tr ',' '\n' >"$LAVORO/icona"
attesa() {
  echo 48 && echo 48 && pngtopam -alphapam "$ROOT/packaging/superficie.png" |
    pamscale -width 48 -height 48 | pamtable | awk -F'|' '{ for (i = 1; i <= NF; i++) {
      split($i, c, " "); printf "%.0f\n", ((c[4] * 256 + c[1]) * 256 + c[2]) * 256 + c[3] } }'
}
verifica "_NET_WM_ICON: one icon, packaging/superficie.png at 48 by 48" diff -q "$LAVORO/icona" <(attesa)
fine
