#!/usr/bin/env bash
# vivi.sh VIEWER EXPORT GENERA: the real window following its files and taking
# dropped ones. Of four files, the one the keys turned is rewritten, another
# gets a bad version and then a good one, a fitted one is saved again (every
# way a program saves is test_vivi's); after each, the window's picture is
# `superficie --output`'s of the files as they now are, with the keys the
# window was given. The
# shapes all have their centroid at the origin and the same radius, so the
# first reading's placement is every version's own. Then files are dropped
# from GTK 3's drag source, moved by XTest.
source "$(dirname "$0")/lib.sh"
VIEWER="$(realpath "$VIEWER")" GENERA="$(realpath "$3")"
SORGENTE="$ROOT/tests/e2e/sorgente_xdnd.py"
TASTI='1a<Up>'
R=1.7320508075688772   # the cube's radius, sqrt(3)
ottaedro() {
  printf 'OFF\n6 8 0\n%s 0 0\n-%s 0 0\n0 %s 0\n0 -%s 0\n0 0 %s\n0 0 -%s\n' $R $R $R $R $R $R
  printf '3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n'
}
stabile() { sleep 1 && quadro "$1"; }   # once a change would have been read
righe() { grep -c -- "$1" "$LAVORO/stderr" || true; }
# righe_dopo PATTERN N: the count of lines matching, once it reaches N or 30 s pass.
righe_dopo() {
  local fine=$((SECONDS + 30))
  while [ "$(righe "$1")" -lt "$2" ] && [ "$SECONDS" -lt "$fine" ]; do sleep 0.2; done
  righe "$1"
}

cd "$LAVORO"
cubo a.off && cubo b.off && cubo c.off && "$GENERA" off 12000 d.off
FILE=(a.off b.off c.off d.off)
avvia
quadro inizio
tasti 1 a Up
quadro tasti inizio
verifica "four files after the keys: --output's picture" come tasti --keys "$TASTI" "${FILE[@]}"

# cambio NAME WHAT: after WHAT, a new picture, --output's of the files now.
cambio() {
  local prima="$PRIMA"; eval "$2"; PRIMA="$1"
  quadro "$1" "$prima"
  verifica "$1: --output's picture of the files as they now are" \
    come "$1" --keys "$TASTI" "${FILE[@]}"
}
PRIMA=tasti
cambio sul_posto 'ottaedro >b.off'
printf 'OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 9\n' >a.off
verifica "a bad version: one line naming the file" uguale "$(righe_dopo 'a.off:6: vertex index 9' 1)" 1
stabile cattivo
verifica "a bad version: the object stays" uguali cattivo sul_posto
PRIMA=cattivo
cambio dopo_cattivo 'ottaedro >a.off'
# Its line at start (file_errati.sh's) and once more.
cp d.off .d.tmp && mv .d.tmp d.off
verifica "a fitted file read again: its line again" uguale "$(righe_dopo '^superficie: d.off: .* shown as' 2)" 2
stabile adattato
verifica "a fitted file read again: the same picture" uguali adattato dopo_cattivo

# Nothing changing: the viewer sleeps (under a tenth of a core).
read -r u1 s1 < <(awk '{ print $14, $15 }' /proc/"$VPID"/stat)
sleep 3
read -r u2 s2 < <(awk '{ print $14, $15 }' /proc/"$VPID"/stat)
verifica "at rest: $((u2 + s2 - u1 - s1)) ticks in 3 s" [ $((u2 + s2 - u1 - s1)) -lt $((3 * $(getconf CLK_TCK) / 10)) ]

# rilascia URI...: GTK's drag source (Debian's python3-gi, hence /usr/bin's python) holding the URIs, dragged by XTest from
# its button onto the middle of the viewer's window; sets ESITO to what the
# source heard at the end ("finished": XdndFinished came).
rilascia() {
  /usr/bin/python3 "$SORGENTE" 1100 100 "$@" >"$LAVORO/sorgente" 2>/dev/null &
  local pid=$! s x y
  s="$(timeout 20 xdotool search --sync --onlyvisible --name '^sorgente$' | head -n 1)"
  eval "$(xdotool getwindowgeometry --shell "$s")"
  x=$((X + 60)) y=$((Y + 40))
  xdotool mousemove "$x" "$y" mousedown 1
  for ((i = 1; i <= 10; i++)); do
    sleep "$PASSO" && xdotool mousemove $((x + (550 - x) * i / 10)) $((y + (400 - y) * i / 10))
  done
  sleep 0.3 && xdotool mousemove 551 401 && sleep 0.3 && xdotool mouseup 1
  timeout 20 tail --pid "$pid" -f /dev/null || kill "$pid"
  ESITO="$(cat "$LAVORO/sorgente")"
}

ferma
FILE=()
avvia
quadro vuota
url() { printf 'file://%s/%s' "$LAVORO" "$1"; }
# caso NAME WHAT taken FILES... | caso NAME WHAT refused LINE: a drop of the
# URIs WHAT (words); taken, the picture is --output's of FILES; refused, one
# line on standard error holds LINE and the picture stays.
caso() {
  local nome="$1" uri="$2" esito="$3" prima="$PRIMA"; shift 3
  eval "rilascia $uri"
  verifica "$nome: the drop is finished" uguale "$ESITO" finished
  if [ "$esito" = taken ]; then
    quadro "$nome" "$prima" && PRIMA="$nome"
    verifica "$nome: --output's picture of the files dropped" come "$nome" "$@"
  else
    verifica "$nome: one line" uguale "$(righe_dopo "$1" 1)" 1
    stabile "$nome"
    verifica "$nome: the scene stays" uguali "$nome" "$prima"
  fi
}
PRIMA=vuota
caso due '"$(url a.off)" "$(url b.off)"' taken a.off b.off
printf 'OFF\n3 1 0\n' >rotto.off
caso cattivo '"$(url rotto.off)"' refused 'rotto.off:'
caso non_file '"http://example.org/a.off"' refused 'http://example.org/a.off: not a local file'
cubo b.off
quadro cambiato "$PRIMA"
verifica "a dropped file that changes: --output's picture of the files" come cambiato a.off b.off
fine
