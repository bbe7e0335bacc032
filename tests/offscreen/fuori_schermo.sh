#!/usr/bin/env bash
# fuori_schermo.sh GROUP VIEWER EXPORT GENERATOR WRITER: the real binary's
# pictures with no X server: GROUP "quadro" (--output), "miniatura"
# (--thumbnail), "errori" (each refusal: one line, status 2, no picture
# left) or "aspetto" (how files look: lit, edges, standing, round trips).
source "$(dirname "$0")/../lib/verifica.sh"
GRUPPO="$1" VIEWER="$2" EXPORT="$3" GENERA="$4" WRITER="$5" D="$LAVORO"
# Shadows are the ambient term alone (5 of 255); the darkest lit yellow is about 40.
MASSIMO_OMBRA=20
# The bounding sphere spans 0.9 of the side; lobes nearer the eye project a little wider.
TOLLERANZA_LATO=0.04
# The surface is symmetric left to right: its margins differ by a pixel at most.
TOLLERANZA_CENTRO=1

"$EXPORT" "$D/superficie.off"
printf 'OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n' >"$D/buono.off"

# esegui ARGS...: the viewer, which must succeed.
esegui() { "$VIEWER" "$@" >"$D/out" 2>"$D/err" </dev/null || verifica "$*: status 0 ($(head -c 200 "$D/err"))" false; }
dimensioni() { pngtopam "$1" | pamfile | sed -n 's/.*, \([0-9]* by [0-9]*\).*/\1/p'; }
stessi() { cmp -s <(pngtopam "$1") <(pngtopam "$2"); }   # sizes too
alfa() { pngtopam -alpha "$1"; }

quadro() {
  esegui --output "$D/inizio.png"
  verifica "--output with no DISPLAY: nothing printed" uguale "$(cat "$D/out" "$D/err")" ""
  verifica "docs/superficie.png: the same pixels" stessi "$(dirname "$0")/../../docs/superficie.png" "$D/inizio.png"
  DISPLAY=:97 esegui --output "$D/altrove.png"
  verifica "DISPLAY naming no server: the same bytes" cmp -s "$D/inizio.png" "$D/altrove.png"
  esegui --output "$D/su_giu.png" --keys '<Up><Down>'
  verifica "Up then Down: the start picture again" stessi "$D/inizio.png" "$D/su_giu.png"
  for lati in 321x123 1x1 8192x1; do
    esegui --output "$D/$lati.png" --size "$lati"
    verifica "--size $lati" uguale "$(dimensioni "$D/$lati.png")" "${lati/x/ by }"
  done
}

miniatura() {
  local m="$D/superficie.png"
  esegui --thumbnail 256 "$D/superficie.off" "$m"
  # Its size and alpha channel are also the package's thumbnail factory test's.
  verifica "--thumbnail 256: nothing printed" [ ! -s "$D/err" -a ! -s "$D/out" ]
  verifica "  alpha only 0 and 255, both present" \
    uguale "$(alfa "$m" | pgmhist -machine | awk '$2 > 0 { printf "%s ", $1 }')" "0 255 "
  # The colours darker than MASSIMO_OMBRA in every channel, transparency over white.
  local scuri; scuri="$(pngtopam -mix -background=white "$m" | ppmhist -noheader |
    awk -v s="$MASSIMO_OMBRA" '$1 < s && $2 < s && $3 < s' | wc -l)"
  verifica "  no floor shadow" [ "$scuri" -eq 0 ]
  # The transparent columns each side (pnmcrop gives them negative) and the object's box.
  read -r sinistra destra _ _ larga alta _ < <(alfa "$m" | pnmcrop -black -reportfull)
  verifica "  the object ($larga by $alta, the rest transparent) spans about 0.9 of the side" awk -v l="$larga" -v a="$alta" \
    -v t="$TOLLERANZA_LATO" 'BEGIN { f = (l > a ? l : a) / 256; exit (f - 0.9) ^ 2 > t * t }'
  verifica "  centred (${sinistra#-} and ${destra#-} columns free)" \
    [ $((sinistra - destra)) -le "$TOLLERANZA_CENTRO" -a $((destra - sinistra)) -le "$TOLLERANZA_CENTRO" ]
  # A flat object, a single triangle: framed as well. The readers' formats are test_formati's.
  esegui --thumbnail 64 "$D/buono.off" "$D/buono.png"
  verifica "a single triangle: a 64 by 64 thumbnail with an opaque object" uguale "$(dimensioni "$D/buono.png") \
$(alfa "$D/buono.png" | pgmhist -machine | awk '$1 == 255 && $2 > 0 { print "opaque" }')" "64 by 64 opaque"
}

# --output and --thumbnail share the EGL context, the PNG writer and the
# reading of the files (the window's too: file_errati.sh): each fault once.
errori() {
  local x="$D/x.png" b="$D/buono.off" uso="usage: superficie --thumbnail SIZE INPUT OUTPUT"
  no "$D/manca/x.png: cannot write: No such file or directory" --output "$D/manca/x.png"
  mkdir "$D/chiusa" && chmod 555 "$D/chiusa"
  COME="${NESSUNO:-}" no "$D/chiusa/x.png: cannot write: Permission denied" --output "$D/chiusa/x.png"
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
  for a in "--size 10x10" "--keys a"; do no "--size and --keys go with --output" $a; done
  no "--output opens no window" --output "$x" -iconic
  for a in "" "$x $D/y.png"; do no "$uso" --thumbnail 64 "$b" $a; done
  __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json no "no EGL with the surfaceless platform" --output "$x"
  printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n' >"$D/indice.obj"
  head -c 3000 /dev/urandom >"$D/rumore.stl"
  no "$D/indice.obj:4:" --output "$x" "$D/indice.obj"
  no "$D/rumore.stl:" --thumbnail 128 "$D/rumore.stl" "$x"
  verifica "no refusal left a picture" [ ! -e "$x" -a ! -e "$D/y.png" -a ! -e "$D/chiusa/x.png" ]
}

# luce FILE.png: the median luminosity of the pixels not of the clear colour (0.5 grey).
luce() {
  pngtopam "$1" | ppmhist -noheader | awk '$1 $2 $3 !~ /^12[78]12[78]12[78]$/ { print $4, $5 }' | sort -n |
    awk '{ v[NR] = $1; n[NR] = $2; t += $2 } END { for (i = 1; 2 * s < t; i++) s += n[i]; print v[i - 1] }'
}
# ritto [-alpha] FILE.png: "tall", "square" or "wide", by the object's box (the picture cropped to it).
ritto() {
  pngtopam "$@" | pnmcrop -reportfull |
    awk '{ print ($6 > 2 * $5 ? "tall" : $5 > 2 * $6 ? "wide" : "square") }'
}
# stl OFF: the OFF's triangles as ascii STL.
stl() {
  awk 'NR == 2 { nv = $1; print "solid s" } NR > 2 && NR <= nv + 2 { p[NR - 3] = $1 " " $2 " " $3 }
       NR > nv + 2 { print "facet normal 0 0 0\nouter loop\nvertex " p[$2] "\nvertex " p[$3] "\nvertex " p[$4] "\nendloop\nendfacet" }
       END { print "endsolid s" }' "$1"
}
aspetto() {
  # Meshes: a closed bumpy sphere as STL, NOFF and OFF, and a larger one as OFF
  # without normals (fitted); a box three times as tall in z as wide as OFF, STL and 3MF; a
  # cube, a polyhedron with its own faces.
  "$GENERA" stl 4000 "$D/sfera.stl" sfera
  "$GENERA" off 1000 "$D/sfera.noff" sfera
  "$GENERA" off 20000 "$D/grande.noff" sfera
  senza_normali() { awk 'NR == 1 { print "OFF"; next } NR == 2 { nv = $1 } NR > 2 && NR <= nv + 2 { $0 = $1 " " $2 " " $3 } 1' "$1"; }
  senza_normali "$D/sfera.noff" >"$D/sfera.off"
  senza_normali "$D/grande.noff" >"$D/adattata.off"
  { printf 'OFF\n8 12 0\n' && printf '%s %s %s\n' -1 -1 -3 1 -1 -3 -1 1 -3 1 1 -3 -1 -1 3 1 -1 3 -1 1 3 1 1 3 &&
    printf '3 %s %s %s\n' 0 2 3 0 3 1 4 5 7 4 7 6 0 1 5 0 5 4 2 6 7 2 7 3 0 4 6 0 6 2 1 3 7 1 7 5; } >"$D/scatola.off"
  stl "$D/scatola.off" >"$D/scatola.stl"
  "$WRITER" "$D/scatola.off" "$D" && mv "$D/m.3mf" "$D/scatola.3mf"
  cubo "$D/cubo.off"

  # Lit like the built-in surface: the object's median grey, shadows off.
  esegui --output "$D/superficie.png" --keys o
  local base; base="$(luce "$D/superficie.png")"
  for f in sfera.stl sfera.off sfera.noff adattata.off; do
    esegui --output "$D/$f.png" --keys o "$D/$f"
    local l; l="$(luce "$D/$f.png")"
    verifica "$f: lit as brightly as the built-in surface ($l against $base, at least 0.8 of it)" \
      [ $((10 * l)) -ge $((8 * base)) ]
  done

  # Edges: a tessellation's only while "b" asks; a polyhedron's always.
  for f in sfera.stl scatola.3mf adattata.off cubo.off; do
    esegui --output "$D/$f.png" "$D/$f"
    esegui --output "$D/$f.b.png" --keys b "$D/$f"
    case "$f" in cubo.off) verifica "$f: its edges always drawn, b changes nothing" stessi "$D/$f.png" "$D/$f.b.png" ;;
      *) verifica "$f: smooth, b draws its edges" eval '! stessi "$D/$f.png" "$D/$f.b.png"' ;; esac
  done

  # Standing: STL and 3MF z up, OFF y up; --up turns each the other way.
  for caso in "scatola.stl tall square y" "scatola.3mf tall square y" "scatola.off square tall z"; do
    read -r f di_norma girata altro <<<"$caso"
    esegui --output "$D/ritta.png" --keys o "$D/$f"
    esegui --output "$D/girata.png" --keys o --up "$altro" "$D/$f"
    verifica "$f: $di_norma on screen, $girata with --up $altro" \
      uguale "$(ritto "$D/ritta.png") $(ritto "$D/girata.png")" "$di_norma $girata"
  done
  esegui --thumbnail 64 "$D/scatola.stl" "$D/miniatura.png"
  verifica "the thumbnail of the box stands too" uguale "$(ritto -alpha "$D/miniatura.png")" tall

  # Round trip: the exported surface (wound outwards: test_superficie) reloads
  # to the start picture. What --from writes reads back to the viewer's
  # polyhedron bit for bit: test_grandi.
  esegui --output "$D/inizio.png"
  esegui --output "$D/ricaricata.png" "$D/superficie.off"
  verifica "the exported surface reloads to the start picture" stessi "$D/inizio.png" "$D/ricaricata.png"
  "$EXPORT" --up y --from "$D/scatola.stl" "$D/distesa.off"
  esegui --output "$D/distesa.png" --keys o "$D/distesa.off"
  verifica "superficie-export --up y: the box as read, seen end on" uguale "$(ritto "$D/distesa.png")" square
}

"$GRUPPO" && fine
