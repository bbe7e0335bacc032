#!/usr/bin/env bash
# fuori_schermo.sh GROUP VIEWER EXPORT: the real binary's pictures with no X
# server: GROUP "quadro" (--output), "miniatura" (--thumbnail) or "errori"
# (each refusal: one line, status 2, no picture left).
source "$(dirname "$0")/../lib/verifica.sh"
GRUPPO="$1" VIEWER="$2" EXPORT="$3" D="$(mktemp -d)"
chmod 755 "$D"
trap 'rm -rf "$D"' EXIT
unset DISPLAY
# Shadows are the ambient term alone (5 of 255); the darkest lit yellow is about 40.
MASSIMO_OMBRA=20
# The bounding sphere spans 0.9 of the side; lobes nearer the eye project a little wider.
TOLLERANZA_LATO=0.04
# The surface is symmetric left to right: its margins differ by a pixel at most.
TOLLERANZA_CENTRO=1

"$EXPORT" "$D/superficie.off"
"$EXPORT" --obj "$D/superficie.obj"
printf 'OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n' >"$D/buono.off"
printf 'ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\nelement face 4\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n' >"$D/tetraedro.ply"
printf 'solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid t\n' >"$D/triangolo.stl"

esegui() {
  status=0
  ${COME:-} "$VIEWER" "$@" >"$D/out" 2>"$D/err" </dev/null || status=$?
}
dimensioni() { pngtopam "$1" | pamfile | sed -n 's/.*, \([0-9]* by [0-9]*\).*/\1/p'; }
stessi() { cmp -s <(pngtopam "$1") <(pngtopam "$2"); }
diversi() { ! stessi "$1" "$2"; }
alfa() { pngtopam -alpha "$1"; }
# scuri FILE: pixels darker than MASSIMO_OMBRA in every channel (transparency over white).
scuri() {
  pngtopam -mix -background=white "$1" | ppmhist -noheader |
    awk -v s="$MASSIMO_OMBRA" '$1 < s && $2 < s && $3 < s { n += $NF } END { print n + 0 }'
}

quadro() {
  esegui --output "$D/inizio.png"
  verifica "--output with no DISPLAY: status 0, nothing printed, 1000 by 660" \
    uguale "$status$(cat "$D/out" "$D/err") $(dimensioni "$D/inizio.png")" "0 1000 by 660"
  verifica "the grey background, the object and its shadow" \
    [ "$(pngtopam "$D/inizio.png" | ppmhist -noheader | wc -l)" -gt 20 -a "$(scuri "$D/inizio.png")" -gt 4000 ]
  verifica "docs/superficie.png: the same pixels" stessi "$(dirname "$0")/../../docs/superficie.png" "$D/inizio.png"
  DISPLAY=:97 esegui --output "$D/altrove.png"
  verifica "DISPLAY naming no server: the same bytes" cmp -s "$D/inizio.png" "$D/altrove.png"
  esegui --output "$D/senza_ombra.png" --keys o
  verifica "--keys o: no shadow left" [ "$status" -eq 0 -a "$(scuri "$D/senza_ombra.png")" -eq 0 ]
  esegui --output "$D/frecce.png" --keys '<Up><Left>'
  verifica "--keys with arrows: another picture" diversi "$D/inizio.png" "$D/frecce.png"
  esegui --output "$D/su_giu.png" --keys '<Up><Down>'
  verifica "Up then Down: the start picture again" stessi "$D/inizio.png" "$D/su_giu.png"
  for lati in 321x123 1x1 8192x1; do
    esegui --output "$D/$lati.png" --size "$lati"
    verifica "--size $lati" uguale "$status $(dimensioni "$D/$lati.png")" "0 ${lati/x/ by }"
  done
  esegui --output "$D/due.png" "$D/buono.off" "$D/superficie.off"
  verifica "two files: status 0" [ "$status" -eq 0 ]
  verifica "  a picture other than the built-in surface's" diversi "$D/inizio.png" "$D/due.png"
}

miniatura() {
  local m="$D/superficie.png"
  esegui --thumbnail 256 "$D/superficie.off" "$m"
  verifica "--thumbnail 256: status 0, nothing printed" [ "$status" -eq 0 -a ! -s "$D/err" -a ! -s "$D/out" ]
  verifica "  a 256 by 256 RGBA PNG" grep -qz '256 by 256 by 4 maxval 255.*RGB_ALPHA' <(pngtopam -alphapam "$m" | pamfile)
  verifica "  alpha only 0 and 255, both present" \
    uguale "$(alfa "$m" | pgmhist -machine | awk '$2 > 0 { printf "%s ", $1 }')" "0 255 "
  verifica "  the corners transparent" uguale "$(alfa "$m" | pamcut -left 0 -top 0 -width 1 -height 1 | pgmhist -machine |
    awk '$2 > 0 { print $1 }')$(alfa "$m" | pamcut -left 255 -top 255 | pgmhist -machine | awk '$2 > 0 { print $1 }')" "00"
  verifica "  no floor shadow" [ "$(scuri "$m")" -eq 0 ]
  read -r larga alta < <(alfa "$m" | pnmcrop -black | pamfile | sed -n 's/.*, \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
  verifica "  the object ($larga by $alta) spans about 0.9 of the side" awk -v l="$larga" -v a="$alta" \
    -v t="$TOLLERANZA_LATO" 'BEGIN { f = (l > a ? l : a) / 256; exit (f - 0.9) ^ 2 > t * t }'
  read -r sinistra destra < <(alfa "$m" | pnmcrop -black -verbose 2>&1 >/dev/null |
    sed -n 's/.*Removing \([0-9]*\) cols* on the left.*/L \1/p; s/.* \([0-9]*\) cols* on the right.*/R \1/p' |
    sort | awk '{ v[$1] = $2 } END { print v["L"] + 0, v["R"] + 0 }')
  verifica "  centred ($sinistra and $destra columns free)" \
    [ $((sinistra - destra)) -le "$TOLLERANZA_CENTRO" -a $((destra - sinistra)) -le "$TOLLERANZA_CENTRO" ]
  for f in superficie.obj tetraedro.ply triangolo.stl buono.off; do
    esegui --thumbnail 64 "$D/$f" "$D/$f.png"
    verifica "$f: a 64 by 64 thumbnail with an opaque object" uguale "$status $(dimensioni "$D/$f.png") \
$(alfa "$D/$f.png" | pgmhist -machine | awk '$1 == 255 && $2 > 0 { print "opaque" }')" "0 64 by 64 opaque"
  done
}

# no EXPECTED ARGS...: refused with "superficie: EXPECTED...", no picture.
no() { local atteso="$1"; shift; rifiuta "superficie: $atteso" ${COME:-} "$VIEWER" "$@"; }
errori() {
  local x="$D/x.png" b="$D/buono.off" uso="usage: superficie --thumbnail SIZE INPUT OUTPUT"
  no "$D/manca/x.png: cannot write: No such file or directory" --output "$D/manca/x.png"
  mkdir "$D/chiusa" && chmod 555 "$D/chiusa"
  # Root writes anywhere: the closed folder is tried as nobody.
  [ "$(id -u)" -ne 0 ] || COME="setpriv --reuid=65534 --regid=65534 --clear-groups"
  COME="${COME:-}" no "$D/chiusa/x.png: cannot write: Permission denied" --output "$D/chiusa/x.png"
  COME="${COME:-}" no "$D/chiusa/x.png: cannot write: Permission denied" --thumbnail 64 "$b" "$D/chiusa/x.png"
  no "/dev/full: cannot write: No space left on device" --output /dev/full
  verifica "/dev/full still there" [ -c /dev/full ]
  for lati in 0x660 1000x0 -5x10 8193x10 10x8193 99999999999x1 10 x10 10x 10x10x 1e3x10 ' 10x10' '+10x10' ''; do
    no "--size: bad size '$lati': expected WxH, each 1 to 8192" --output "$x" --size "$lati"
  done
  for tasti in '<F1>' '<Up' 'a<up>b' '<>' '<Left><Rigth>'; do
    no "--keys: unknown key name '" --output "$x" --keys "$tasti"
  done
  for lato in 0 8193 abc -4 12x12; do
    no "--thumbnail: bad size '$lato': expected 1 to 8192" --thumbnail "$lato" "$b" "$x"
  done
  no "--output needs a value" --output
  no "--size and --keys go with --output" --size 10x10
  no "--size and --keys go with --output" --keys a
  no "--output opens no window" --output "$x" -iconic
  no "$uso" --thumbnail 64 "$b"
  no "$uso" --thumbnail 64 "$b" "$x" "$D/y.png"
  __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json no "no EGL with the surfaceless platform" --output "$x"
  __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json no "no EGL with the surfaceless platform" --thumbnail 64 "$b" "$x"
  printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n' >"$D/indice.obj"
  head -c 3000 /dev/urandom >"$D/rumore.stl"
  no "$D/indice.obj:4:" --output "$x" "$D/indice.obj"
  no "$D/indice.obj:4:" --thumbnail 128 "$D/indice.obj" "$x"
  no "$D/manca.stl: No such file or directory" --thumbnail 128 "$D/manca.stl" "$x"
  no "$D/rumore.stl:" --thumbnail 128 "$D/rumore.stl" "$x"
  verifica "no refusal left a picture" [ ! -e "$x" -a ! -e "$D/y.png" -a ! -e "$D/chiusa/x.png" ]
}

case "$GRUPPO" in
quadro | miniatura | errori) "$GRUPPO" ;;
*) echo "usage: fuori_schermo.sh quadro|miniatura|errori VIEWER EXPORT" >&2; exit 2 ;;
esac
fine
