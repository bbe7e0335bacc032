#!/usr/bin/env bash
# primitive.sh: the primitive stream of the real viewer, traced with
# apitrace and counted frame by frame: per face, in this order, one face
# polygon, one shadow polygon while the shadows are on, and one line
# primitive per edge while the edges are on.
source "$(dirname "$0")/lib.sh"
# apitrace preloads its GL wrapper ahead of the sanitizer runtime.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}verify_asan_link_order=0"

TRACCIA="$LAVORO/superficie.trace"
avvia apitrace trace --output "$TRACCIA"
quadro inizio
tasti b
quadro bordi inizio
tasti o
quadro senza_ombra bordi

# apitrace writes its trace out when the traced program gets SIGTERM; the
# viewer runs as its child.
figlio="$(cat /proc/"$VPID"/task/*/children 2>/dev/null | awk '{ print $1; exit }')"
verifica "the viewer runs under apitrace" [ -n "$figlio" ]
kill -TERM "$figlio"
fino=$((SECONDS + ATTESA_FINESTRA))
while kill -0 "$VPID" 2>/dev/null && [ "$SECONDS" -lt "$fino" ]; do sleep 0.1; done

# One line per frame: face polygons, shadow polygons (the ones whose material
# is the shadow grey), line primitives.
apitrace dump --color=never "$TRACCIA" | awk '
  /glBegin\(mode = GL_POLYGON\)/ { poligono = 1; next }
  /glBegin\(mode = GL_LINES\)/ { linee++; poligono = 0; next }
  /glBegin\(/ { altri++; poligono = 0; next }
  /glMaterialfv\(/ && poligono {
    if ($0 ~ /params = \{0\.1, 0\.1, 0\.1, 1\}/) ombre++; else facce++
    poligono = 0; next
  }
  /glXSwapBuffers\(/ {
    printf "%d %d %d %d\n", facce, ombre, linee, altri
    facce = ombre = linee = altri = 0
  }' >"$LAVORO/fotogrammi"
echo "frames traced (faces, shadows, lines, other primitives):"
sort "$LAVORO/fotogrammi" | uniq -c
verifica "some frames traced" [ "$(wc -l <"$LAVORO/fotogrammi")" -ge 3 ]
verifica "first frame: 4096 faces, 4096 shadows, no lines" \
  [ "$(head -n 1 "$LAVORO/fotogrammi")" = "4096 4096 0 0" ]
verifica "after b: 12288 lines more" grep -qx "4096 4096 12288 0" "$LAVORO/fotogrammi"
verifica "after o: the shadows go" [ "$(tail -n 1 "$LAVORO/fotogrammi")" = "4096 0 12288 0" ]
verifica "no frame of any other kind" \
  bash -c "! grep -vx -e '4096 4096 0 0' -e '4096 4096 12288 0' -e '4096 0 12288 0' '$LAVORO/fotogrammi'"

# Face by face: the polygon, its shadow, its three edges (F S L L L), in
# the frame with shadows and edges on.
apitrace dump --color=never "$TRACCIA" | awk '
  /glBegin\(mode = GL_POLYGON\)/ { poligono = 1; next }
  /glBegin\(mode = GL_LINES\)/ { s = s "L"; poligono = 0; next }
  /glMaterialfv\(/ && poligono {
    s = s (($0 ~ /params = \{0\.1, 0\.1, 0\.1, 1\}/) ? "S" : "F"); poligono = 0; next
  }
  /glXSwapBuffers\(/ { print s; s = "" }' >"$LAVORO/sequenze"
verifica "with shadows and edges: polygon, shadow, edges, face after face" \
  grep -qxE '(FSLLL){4096}' "$LAVORO/sequenze"
verifica "shadows off: polygon, edges, face after face" \
  grep -qxE '(FLLL){4096}' "$LAVORO/sequenze"
fine
