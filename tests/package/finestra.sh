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

# _NET_WM_ICON as plain numbers: width, height, then one ARGB value a pixel.
xprop -id "$W" -notype -f _NET_WM_ICON 32c ' = $0+\n' _NET_WM_ICON |
  sed 's/^[^=]*= //' | tr -d ' ' | tr ',' '\n' >"$LAVORO/icona"
verifica "_NET_WM_ICON: one 48 by 48 icon" \
  uguale "$(head -n 2 "$LAVORO/icona" | tr '\n' ' ')$(wc -l <"$LAVORO/icona")" "48 48 2306"
# Its pixels are the desktop icon's, scaled: each channel within 2 of what
# netpbm makes of packaging/superficie.png now, so a stale table shows.
pngtopam -alphapam "$ROOT/packaging/superficie.png" | pamscale -width 48 -height 48 | pamtable |
  awk -F'|' '{ for (i = 1; i <= NF; i++) { split($i, c, " "); print c[4], c[1], c[2], c[3] } }' \
  >"$LAVORO/icona_attesa"
stessa_icona() {
  tail -n +3 "$LAVORO/icona" | paste -d ' ' - "$LAVORO/icona_attesa" | awk '
    function d(x, y) { return x > y ? x - y : y - x }
    NF != 5 { bad++; next }
    { v = $1; a = int(v / 16777216); r = int(v / 65536) % 256; g = int(v / 256) % 256; b = v % 256
      if (d(a, $2) > 2 || d(r, $3) > 2 || d(g, $4) > 2 || d(b, $5) > 2) bad++ }
    END { if (bad) print bad " pixels differ" > "/dev/stderr"; exit bad > 0 }'
}
verifica "_NET_WM_ICON: packaging/superficie.png at 48 by 48" stessa_icona
fine
