"""tocco.py PAGE: touch and the key buttons against the mouse and the keys.

The page is opened twice in headless Chromium, as on a touch screen, with
a picture of 1000 by 660. One copy is driven by touches and by clicks on
the row of key buttons, the other by the mouse drags and the keys these
stand for; after every step both pictures must be the same, and a step
that changes one must change the other. The touch gestures must change
the picture, every button keep the keyboard focus on the picture. Fails
too on any console message, log entry or uncaught exception, and on a
page that scrolled."""

import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import confronto  # noqa: E402
import navigatore  # noqa: E402
from confronto import ppm, confronta  # noqa: E402

# Each step: (name, touches and buttons, the mouse and keys they stand for).
# Positions in the picture's pixels. ("dito", x, y, dx, dy, steps) is one
# finger; ("due", a, b, da, db, steps) two fingers from a and b, each
# moving by its own total, b lifted first; ("bottoni", key...) clicks on
# the key buttons, named as xdotool names the keys.
SESSIONE = [
    ("one finger", [("dito", 500, 300, 60, 30, 6)],
     [("drag", "left", 500, 300, 60, 30, 6)]),
    # The second finger ends the left drag where the first one is; the
    # pinch presses the right button at the midpoint, and 10 pixels more
    # between the fingers are 10 up. Its first step still turns: the last
    # frame chose the rotation, as after a left drag with the mouse.
    ("pinch out", [("due", (450, 300), (550, 300), (-25, 0), (25, 0), 5)],
     [("drag", "left", 450, 300, 0, 0, 0), ("drag", "right", 500, 300, 0, -50, 5)]),
    ("two fingers together", [("due", (400, 250), (500, 250), (80, 40), (80, 40), 4)],
     [("drag", "left", 400, 250, 0, 0, 0), ("drag", "middle", 450, 250, 80, 40, 4)]),
    # Along a slant: the distance is measured as the crow flies (from 200
    # to 140), the midpoint stays.
    ("pinch in, slanted", [("due", (400, 200), (560, 320), (24, 18), (-24, -18), 3)],
     [("drag", "left", 400, 200, 0, 0, 0), ("drag", "right", 480, 260, 0, 60, 3)]),
    ("buttons b, up, left", [("bottoni", "b", "Up", "Left")], [("keys", "b", "Up", "Left")]),
    ("buttons down, right", [("bottoni", "Down", "Right")], [("keys", "Down", "Right")]),
    ("buttons j, j, u", [("bottoni", "j", "j", "u")], [("keys", "j", "j", "u")]),
    ("buttons u, a, q, o", [("bottoni", "u", "a", "q", "o")], [("keys", "u", "a", "q", "o")]),
    # Slot 1 holds nothing: the shrink there changes nothing, then slot 0's does.
    ("buttons 1, a, 2, 3, 0, a", [("bottoni", "1", "a", "2", "3", "0", "a")],
     [("keys", "1", "a", "2", "3", "0", "a")]),
    ("buttons 4, q, 0, r", [("bottoni", "4", "q", "0", "r")], [("keys", "4", "q", "0", "r")]),
]
# The buttons' labels: the key's own character, or an arrow.
FRECCE = {"Left": "\u2190", "Up": "\u2191", "Right": "\u2192", "Down": "\u2193"}
# Every key the viewer knows has its button, and the session clicks each.
TUTTI = set("01234aqrobju") | set(FRECCE)


class Tocco(confronto.Pagina):
    """The page driven by touches and by its key buttons."""

    def tocco(self, tipo, dita):
        self.c.tocco(tipo, {k: self.punto(*p) for k, p in dita.items()})

    def esegui(self, azioni):
        self.cliccati = getattr(self, "cliccati", set())
        for a in azioni:
            if a[0] == "dito":
                _, x, y, dx, dy, passi = a
                self.tocco("touchStart", {1: (x, y)})
                for i in range(1, passi + 1):
                    n = self.quadri()
                    self.tocco("touchMove", {1: (x + dx * i // passi, y + dy * i // passi)})
                    self.nuovo_quadro(n)
                self.c.tocco("touchEnd", {})
            elif a[0] == "due":
                _, (ax, ay), (bx, by), (dax, day), (dbx, dby), passi = a
                self.tocco("touchStart", {1: (ax, ay)})
                self.tocco("touchStart", {1: (ax, ay), 2: (bx, by)})
                for i in range(1, passi + 1):
                    n = self.quadri()
                    a_ = (ax + dax * i // passi, ay + day * i // passi)
                    self.tocco("touchMove", {1: a_, 2: (bx + dbx * i // passi, by + dby * i // passi)})
                    self.nuovo_quadro(n)
                self.tocco("touchMove", {1: a_})   # b lifted
                self.c.tocco("touchEnd", {})
            elif a[0] == "bottoni":
                for k in a[1:]:
                    n = self.quadri()
                    self.clicca(k)
                    self.nuovo_quadro(n)
        return self.schermata()

    def clicca(self, k):
        etichetta = FRECCE.get(k, k)
        x, y = self.c.valuta(
            "(() => { const b = [...document.querySelectorAll('#tasti button')]"
            ".find(b => b.textContent == %r); if (!b) return null;"
            " const r = b.getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()"
            % etichetta) or (None, None)
        assert x is not None, "no button %r" % etichetta
        self.c.mouse("mouseMoved", x, y)
        self.c.mouse("mousePressed", x, y, "left", 1)
        self.c.mouse("mouseReleased", x, y, "left", 0)
        fuoco = self.c.valuta("document.activeElement.id")
        assert fuoco == "canvas", "after the button %r the focus is on %r" % (etichetta, fuoco)
        self.cliccati.add(k)


def main():
    pagina = sys.argv[1]
    lavoro = tempfile.mkdtemp(prefix="superficie-tocco-")
    falliti = []
    pagine = []
    try:
        t = Tocco(pagina, os.path.join(lavoro, "tocco"), tocco=True)
        pagine.append(t)
        m = confronto.Pagina(pagina, os.path.join(lavoro, "mouse"), tocco=True)
        pagine.append(m)
        prec_t = prec_m = ppm(t.schermata())
        for nome, tocchi, mouse in SESSIONE:
            a, b = ppm(t.esegui(tocchi)), ppm(m.esegui(mouse))
            oltre, massimo, _ = confronta(a, b)
            print("%-28s %7d pixels beyond %d, largest difference %3d, %s" % (
                nome, oltre, confronto.SOGLIA, massimo, "changed" if a != prec_t else "unchanged"))
            # No tolerance: the same program on the same renderer given the
            # same callbacks draws the same bits.
            if a != b:
                falliti.append("%s: the touch's picture is not the mouse's (%d pixels beyond %d)"
                               % (nome, oltre, confronto.SOGLIA))
            if (a != prec_t) != (b != prec_m):
                falliti.append("%s: changed by touch %s, by the mouse %s" % (
                    nome, a != prec_t, b != prec_m))
            if tocchi[0][0] != "bottoni" and a == prec_t:
                falliti.append("%s: the gesture changed nothing" % nome)
            prec_t, prec_m = a, b
        mancano = TUTTI - t.cliccati
        if mancano:
            falliti.append("buttons never clicked: %s" % sorted(mancano))
        etichette = t.c.valuta("[...document.querySelectorAll('#tasti button')].map(b => b.textContent)")
        if sorted(etichette) != sorted(FRECCE.get(k, k) for k in TUTTI):
            falliti.append("the buttons are %s" % etichette)
        for nome, p in (("touch", t), ("mouse", m)):
            scorrimento = p.c.valuta("[window.scrollX, window.scrollY]")
            if scorrimento != [0, 0]:
                falliti.append("the %s page scrolled to %s" % (nome, scorrimento))
            for messaggio in p.c.messaggi():
                falliti.append("%s page said: %s" % (nome, messaggio))
    finally:
        for p in pagine:
            p.c.chiudi()
        shutil.rmtree(lavoro, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
