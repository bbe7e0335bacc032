#!/usr/bin/env bash
# fuori_schermo.sh GROUP VIEWER EXPORT: the real binary's pictures without a
# display: GROUP "quadro" (--output), "miniatura" (--thumbnail) or "errori"
# (every refusal: one line, status 2, no picture left). No X server is
# started or needed: DISPLAY is unset, or names a display nobody serves.
source "$(dirname "$0")/../lib/verifica.sh"
GRUPPO="$1" VIEWER="$2" EXPORT="$3" D="$(mktemp -d)"
chmod 755 "$D"
trap 'rm -rf "$D"' EXIT
unset DISPLAY
# The shadows are the ambient term alone (5 of 255), the darkest lit yellow
# about 40 (as in the end-to-end test).
MASSIMO_OMBRA=20
# The thumbnail's bounding sphere spans 0.9 of the side in the plane through
# its centre; the surface's lobes reach that sphere, and the parts of them
# nearer the eye project a little wider: its width lies within this of 0.9.
TOLLERANZA_LATO=0.04
# The bounding sphere is centred on the box of the vertices, and the
# surface is symmetric left to right: its margins differ by a pixel at most.
TOLLERANZA_CENTRO=1

"$EXPORT" "$D/superficie.off"
"$EXPORT" --obj "$D/superficie.obj"
v3='0 0 0\n1 0 0\n0 1 0\n'
printf "OFF\n3 1 0\n$v3""3 0 1 2\n" >"$D/buono.off"
printf 'ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\nelement face 4\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n' >"$D/tetraedro.ply"
printf 'solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid t\n' >"$D/triangolo.stl"

# esegui ARGS...: the viewer; sets status, the files out and err.
esegui() {
  status=0
  ${COME:-} "$VIEWER" "$@" >"$D/out" 2>"$D/err" </dev/null || status=$?
}
dimensioni() { pamfile "$1" | sed -n 's/.*, \([0-9]* by [0-9]*\).*/\1/p'; }
diversi() { ! cmp -s "$1" "$2"; }
# scuri FILE: pixels with every channel below MASSIMO_OMBRA (a thumbnail's
# transparent ones laid over white first).
scuri() {
  pngtopam -mix -background=white "$1" | ppmhist -noheader |
    awk -v s="$MASSIMO_OMBRA" '$1 < s && $2 < s && $3 < s { n += $NF } END { print n + 0 }'
}

quadro() {
  esegui --output "$D/inizio.png"
  verifica "--output with no DISPLAY: status 0, nothing printed" \
    [ "$status" -eq 0 -a ! -s "$D/out" -a ! -s "$D/err" ]
  verifica "a 1000 by 660 RGB PNG" uguale "$(pngtopam "$D/inizio.png" | dimensioni /dev/stdin)" \
    "1000 by 660"
  verifica "the picture is the grey background, the object and its shadow" \
    [ "$(pngtopam "$D/inizio.png" | ppmhist -noheader | wc -l)" -gt 20 -a "$(scuri "$D/inizio.png")" -gt 4000 ]
  verifica "the README's picture, docs/superficie.png: the same pixels" \
    cmp -s <(pngtopam "$(dirname "$0")/../../docs/superficie.png") <(pngtopam "$D/inizio.png")
  DISPLAY=:97 esegui --output "$D/altrove.png"
  verifica "with DISPLAY naming no server: status 0" [ "$status" -eq 0 -a ! -s "$D/err" ]
  verifica "  and the same bytes" cmp -s "$D/inizio.png" "$D/altrove.png"

  esegui --output "$D/senza_ombra.png" --keys o
  verifica "--keys o: no shadow left" [ "$status" -eq 0 -a "$(scuri "$D/senza_ombra.png")" -eq 0 ]
  esegui --output "$D/frecce.png" --keys '<Up><Left>'
  verifica "--keys with arrows: another picture" diversi "$D/inizio.png" "$D/frecce.png"
  esegui --output "$D/su_giu.png" --keys '<Up><Down>'
  verifica "Up then Down: the start picture again" cmp -s <(pngtopam "$D/inizio.png") \
    <(pngtopam "$D/su_giu.png")

  for lati in 321x123 1x1 8192x1; do
    esegui --output "$D/$lati.png" --size "$lati"
    verifica "--size $lati: status 0, a picture of that size" \
      uguale "$status $(pngtopam "$D/$lati.png" | dimensioni /dev/stdin)" "0 ${lati/x/ by }"
  done

  esegui --output "$D/due.png" "$D/buono.off" "$D/superficie.off"
  verifica "two files: status 0, a picture" [ "$status" -eq 0 -a -s "$D/due.png" ]
  verifica "  other than the built-in surface's" diversi "$D/inizio.png" "$D/due.png"
  esegui --output "$D/file.png" "$D/superficie.off"
  verifica "the exported surface as a file: a picture" [ "$status" -eq 0 -a -s "$D/file.png" ]
}

# alfa FILE: the thumbnail's alpha channel as PGM.
alfa() { pngtopam -alpha "$1"; }
miniatura() {
  esegui --thumbnail 256 "$D/superficie.off" "$D/superficie.png"
  verifica "--thumbnail 256: status 0, nothing printed" [ "$status" -eq 0 -a ! -s "$D/err" -a ! -s "$D/out" ]
  verifica "  a 256 by 256 RGBA PNG" grep -qz '256 by 256 by 4 maxval 255.*RGB_ALPHA' \
    <(pngtopam -alphapam "$D/superficie.png" | pamfile)
  verifica "  every pixel fully opaque or fully transparent, both present" \
    uguale "$(alfa "$D/superficie.png" | pgmhist -machine | awk '$2 > 0 { printf "%s ", $1 }')" "0 255 "
  verifica "  the corners transparent" \
    uguale "$(alfa "$D/superficie.png" | pamcut -left 0 -top 0 -width 1 -height 1 | pgmhist -machine |
              awk '$2 > 0 { print $1 }')$(alfa "$D/superficie.png" | pamcut -left 255 -top 255 |
              pgmhist -machine | awk '$2 > 0 { print $1 }')" "00"
  verifica "  no floor shadow" [ "$(scuri "$D/superficie.png")" -eq 0 ]
  # The object's box: the alpha channel cropped of its transparent margins.
  read -r larga alta < <(alfa "$D/superficie.png" | pnmcrop -black | pamfile |
    sed -n 's/.*, \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
  echo "the surface's thumbnail: the object $larga by $alta of 256"
  verifica "  the object spans about 0.9 of the side" awk -v l="$larga" -v a="$alta" \
    -v t="$TOLLERANZA_LATO" 'BEGIN { f = (l > a ? l : a) / 256; exit (f - 0.9) ^ 2 > t * t }'
  read -r sinistra destra < <(alfa "$D/superficie.png" | pnmcrop -black -verbose 2>&1 >/dev/null |
    sed -n 's/.*Removing \([0-9]*\) cols* on the left.*/L \1/p; s/.* \([0-9]*\) cols* on the right.*/R \1/p' |
    sort | awk '{ v[$1] = $2 } END { print v["L"] + 0, v["R"] + 0 }')
  verifica "  centred left to right ($sinistra and $destra columns free)" \
    [ $((sinistra - destra)) -le "$TOLLERANZA_CENTRO" -a $((destra - sinistra)) -le "$TOLLERANZA_CENTRO" ]

  for f in superficie.obj tetraedro.ply triangolo.stl buono.off; do
    esegui --thumbnail 64 "$D/$f" "$D/$f.png"
    verifica "$f: a 64 by 64 thumbnail with an opaque object" \
      uguale "$status $(pngtopam "$D/$f.png" | dimensioni /dev/stdin) \
$(alfa "$D/$f.png" | pgmhist -machine | awk '$1 == 255 && $2 > 0 { print "opaque" }')" "0 64 by 64 opaque"
  done
  # Faces more transparent in the file's colours do not show through here.
  esegui --thumbnail 128 "$D/superficie.off" "$D/grande.png"
  verifica "the same file at 128: the same object, half the side" \
    [ "$status" -eq 0 -a "$(alfa "$D/grande.png" | pnmcrop -black | pamfile | sed -n 's/.*, \([0-9]*\) by.*/\1/p')" -ge $((larga / 2 - 1)) ]
}

# rifiuta WHAT EXPECTED ARGS...: status 2, one line "superficie: EXPECTED...",
# nothing on standard output.
rifiuta() {
  local what="$1" expected="$2"; shift 2
  esegui "$@"
  local lines; lines="$(wc -l <"$D/err")"
  if [ "$status" -ne 2 ] || [ "$lines" -ne 1 ] || [ -s "$D/out" ] ||
     [[ "$(cat "$D/err")" != "superficie: $expected"* ]]; then
    falliti=$((falliti + 1))
    echo "FAILED: $what: status $status, $lines lines: $(head -c 300 "$D/err")" >&2
    echo "        expected: superficie: $expected..." >&2
  fi
}
errori() {
  rifiuta "an output in a missing folder" "$D/manca/x.png: cannot write: No such file or directory" \
    --output "$D/manca/x.png"
  mkdir "$D/chiusa" && chmod 555 "$D/chiusa"
  # Root writes anywhere: the closed folder is tried as nobody.
  [ "$(id -u)" -ne 0 ] || COME="setpriv --reuid=65534 --regid=65534 --clear-groups"
  COME="${COME:-}" rifiuta "an output in a folder not writable" \
    "$D/chiusa/x.png: cannot write: Permission denied" --output "$D/chiusa/x.png"
  COME="${COME:-}" rifiuta "a thumbnail in a folder not writable" \
    "$D/chiusa/x.png: cannot write: Permission denied" --thumbnail 64 "$D/buono.off" "$D/chiusa/x.png"
  rifiuta "a full disk" "/dev/full: cannot write: No space left on device" --output /dev/full
  verifica "  /dev/full still there" [ -c /dev/full ]

  for lati in 0x660 1000x0 -5x10 10x-5 8193x10 10x8193 99999999999x1 10 x10 10x 10x10x abc 1e3x10 \
              ' 10x10' '10 x10' '+10x10' ''; do
    rifiuta "--size '$lati'" "--size: bad size '$lati': expected WxH, each 1 to 8192" \
      --output "$D/x.png" --size "$lati"
  done
  for tasti in '<F1>' '<Up' 'a<up>b' '<>' '<Left><Rigth>'; do
    rifiuta "--keys '$tasti'" "--keys: unknown key name '" --output "$D/x.png" --keys "$tasti"
  done
  rifiuta "--output without its file" "--output needs a value" --output
  rifiuta "--size without --output" "--size and --keys go with --output" --size 10x10
  rifiuta "--keys without --output" "--size and --keys go with --output" --keys a
  rifiuta "a toolkit option with --output" "--output opens no window" --output "$D/x.png" -iconic
  __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json \
    rifiuta "no EGL" "no EGL with the surfaceless platform" --output "$D/x.png"
  __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json \
    rifiuta "no EGL, thumbnail" "no EGL with the surfaceless platform" --thumbnail 64 "$D/buono.off" "$D/x.png"

  printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n' >"$D/indice.obj"
  rifiuta "a bad file with --output, refused as without" "$D/indice.obj:4:" --output "$D/x.png" \
    "$D/indice.obj"
  rifiuta "a missing file, thumbnail" "$D/manca.stl: No such file or directory" \
    --thumbnail 128 "$D/manca.stl" "$D/x.png"
  rifiuta "a bad file, thumbnail" "$D/indice.obj:4:" --thumbnail 128 "$D/indice.obj" "$D/x.png"
  head -c 3000 /dev/urandom >"$D/rumore.stl"
  rifiuta "noise named like a mesh, thumbnail" "$D/rumore.stl:" --thumbnail 128 "$D/rumore.stl" "$D/x.png"
  for lato in 0 8193 abc -4 12x12; do
    rifiuta "--thumbnail '$lato'" "--thumbnail: bad size '$lato': expected 1 to 8192" \
      --thumbnail "$lato" "$D/buono.off" "$D/x.png"
  done
  rifiuta "--thumbnail with two arguments" "usage: superficie --thumbnail SIZE INPUT OUTPUT" \
    --thumbnail 64 "$D/buono.off"
  rifiuta "--thumbnail with four arguments" "usage: superficie --thumbnail SIZE INPUT OUTPUT" \
    --thumbnail 64 "$D/buono.off" "$D/x.png" "$D/y.png"
  verifica "no refusal left a picture" [ ! -e "$D/x.png" -a ! -e "$D/y.png" -a ! -e "$D/chiusa/x.png" ]
}

case "$GRUPPO" in
quadro | miniatura | errori) "$GRUPPO" ;;
*) echo "usage: fuori_schermo.sh quadro|miniatura|errori VIEWER EXPORT" >&2; exit 2 ;;
esac
fine
