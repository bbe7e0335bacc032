#!/usr/bin/env bash
# vivi.sh VIEWER EXPORT GENERA: the real window following its files and taking
# dropped ones. Of four files, the one the keys turned is rewritten, another
# gets a bad version and then a good one, a fitted one is saved again (every
# way a program saves is test_vivi's); after each, the window's picture is
# `superficie --output`'s of the files as they now are, with the keys the
# window was given and its new size. The shapes all have their centroid at
# the origin and the same radius, so the first reading's placement is every
# version's own. Then files are dropped from GTK 3's drag source, moved by XTest, and their
# slots' keys and drags change each alone. The PNG that --output writes
# without any display holds, pixel for pixel, what a screenshot of the real
# window under Xvfb holds (both Mesa's llvmpipe; the start: e2e.sh).
source "$(dirname "$0")/lib.sh"
VIEWER="$(realpath "$VIEWER")" GENERA="$(realpath "$3")"
SORGENTE="$ROOT/tests/e2e/sorgente_xdnd.py"
TASTI='1abj<Up>'   # a slot, a shrink, edges, transparency, an arrow
# Four of the cube's corners: the same centroid and radius.
TETRAEDRO='OFF\n4 4 0\n1 1 1\n1 -1 -1\n-1 1 -1\n-1 -1 1\n3 0 1 2\n3 0 3 1\n3 0 2 3\n3 1 3 2\n'
# righe PATTERN N: how many lines of standard error match, once N do or 30 s pass.
righe() {
  local fine=$((SECONDS + 30))
  while [ "$(grep -c -- "$1" "$LAVORO/stderr")" -lt "$2" ] && [ "$SECONDS" -lt "$fine" ]; do sleep 0.2; done
  grep -c -- "$1" "$LAVORO/stderr"
}
# resta NAME PREVIOUS: once a change would have been read, the picture is still PREVIOUS.
resta() { sleep 1 && quadro "$1" && uguali "$1" "$2"; }
# ora NAME PREVIOUS: a new picture, --output's of the files as they now are.
ora() { quadro "$1" "$2" && come "$1" --keys "$TASTI" --size 640x480 "${FILE[@]}"; }
# halves NAME: the md5 sums of picture NAME's left and right halves (of 1000 columns).
halves() { echo $(pamcut -width 500 "$LAVORO/$1.ppm" | md5sum) $(pamcut -left 500 "$LAVORO/$1.ppm" | md5sum); }
# passo NAME PREVIOUS LEFT RIGHT ACTION...: after ACTION, each half of picture
# NAME is the same as PREVIOUS's ("=") or not ("!=").
passo() {
  "${@:5}"; quadro "$1" "$2"
  read -r s1 _ d1 _ < <(halves "$1") && read -r s2 _ d2 _ < <(halves "$2")
  verifica "${*:5}: the left object $3, the right $4" [ "$s1" "$3" "$s2" -a "$d1" "$4" "$d2" ]
}

cd "$LAVORO"
cubo a.off && cubo b.off && cubo c.off && "$GENERA" off 12000 d.off
FILE=(a.off b.off c.off d.off)
avvia
quadro inizio
tasti 1 a b j Up
quadro tasti inizio
xdotool windowsize "$W" 640 480   # the resize callback with the new size
verifica "four files after the keys, reshaped to 640 by 480: --output's picture" ora dimensioni tasti
printf "$TETRAEDRO" >b.off
verifica "a file rewritten in place: --output's picture" ora sul_posto dimensioni
printf 'OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 9\n' >a.off
verifica "a bad version: one line naming the file" uguale "$(righe 'a.off:6: vertex index 9' 1)" 1
verifica "a bad version: the object stays" resta cattivo sul_posto
printf "$TETRAEDRO" >a.off
verifica "a good version after a bad one: --output's picture" ora dopo_cattivo cattivo
# Its line at start (file_errati.sh's) and once more.
cp d.off .d.tmp && mv .d.tmp d.off
verifica "a fitted file read again: its line again" uguale "$(righe '^superficie: d.off: .* shown as' 2)" 2
verifica "a fitted file read again: the same picture" resta adattato dopo_cattivo

# Nothing changing: the viewer sleeps (under a tenth of a core).
read -r u1 s1 < <(awk '{ print $14, $15 }' /proc/"$VPID"/stat)
sleep 3
read -r u2 s2 < <(awk '{ print $14, $15 }' /proc/"$VPID"/stat)
verifica "at rest: $((u2 + s2 - u1 - s1)) ticks in 3 s" [ $((u2 + s2 - u1 - s1)) -lt $((3 * $(getconf CLK_TCK) / 10)) ]

# rilascia WHAT URI...: GTK's drag source (Debian's python3-gi, hence
# /usr/bin's python) holding the URIs, dragged by XTest from its button onto
# the middle of the viewer's window; it must hear XdndFinished at the end.
rilascia() {
  /usr/bin/python3 "$SORGENTE" 1100 100 "${@:2}" >"$LAVORO/sorgente" 2>/dev/null &
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
  verifica "$1: the drop is finished" uguale "$(cat "$LAVORO/sorgente")" finished
}

ferma
FILE=()
avvia
quadro vuota
url() { printf 'file://%s/%s' "$LAVORO" "$1"; }
rilascia "two files" "$(url a.off)" "$(url b.off)"
quadro due vuota
verifica "two files dropped: --output's picture of them" come due a.off b.off
# They lie left and right of the window's middle column, which neither
# crosses: the digits select each, a drag and "a" change only the selected
# one, "r" puts it back.
passo destra_piccola due = != tasti 1 a
passo destra_girata destra_piccola = != trascina 1 700 300 60 30 6
tasti r
quadro destra_di_nuovo destra_girata
verifica "r: the right object as it started, the whole picture too" uguali destra_di_nuovo due
passo sinistra_girata destra_di_nuovo != = tasti 0 a Up
tasti 0 r
quadro tutto_di_nuovo sinistra_girata
verifica "0 r: the two files' picture again" uguali tutto_di_nuovo due
# Refused: one line, and the scene stays.
printf 'OFF\n3 1 0\n' >rotto.off
rilascia "a bad file" "$(url rotto.off)"
verifica "a bad file dropped: one line" uguale "$(righe 'rotto.off:' 1)" 1
verifica "a bad file dropped: the scene stays" resta rotto due
rilascia "a URL" http://example.org/a.off
verifica "a URL dropped: one line" uguale "$(righe 'http://example.org/a.off: not a local file' 1)" 1
verifica "a URL dropped: the scene stays" resta non_file due
cubo b.off
quadro cambiato due
verifica "a dropped file that changes: --output's picture of the files" come cambiato a.off b.off
fine
