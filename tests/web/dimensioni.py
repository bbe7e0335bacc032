"""dimensioni.py VIEWER PAGE: the page at other window sizes against the
desktop window resized alike.

The desktop viewer's window is resized with xdotool (its reshape callback
runs); the browser's window is sized so that the page's picture has the
same pixels, and the page must follow through the same callback. At each
size the start picture, then a drag and a key, are compared with the
tolerance of confronto.py. A page opened at a window of the small size
must show that size from its first frame, without a jump; a screen of density 2 gives
the picture twice the pixels of its CSS size, pointer positions included.
Fails too on any console message, log entry or uncaught exception of the
page, and on a page that scrolled."""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import confronto  # noqa: E402
import navigatore  # noqa: E402
from confronto import ATTESA_QUADRO, QUOTA_DIVERSI, SOGLIA, confronta, dimensioni, ppm  # noqa: E402

# (name, width, height, device pixel ratio, actions as in confronto.py in
# the picture's pixels). The first size is also opened afresh.
SESSIONE = [
    ("640x400", 640, 400, 1, [("drag", "left", 300, 200, 40, 20, 4), ("keys", "b")]),
    ("600x900, tall", 600, 900, 1, [("drag", "middle", 300, 450, 40, -30, 4), ("keys", "q")]),
    # Even positions: whole CSS pixels at density 2.
    ("1000x660 at density 2", 1000, 660, 2, [("drag", "left", 500, 300, -40, 20, 4), ("keys", "o")]),
]


class Desktop(confronto.Desktop):
    def dimensiona(self, larghezza, altezza):
        """The window resized as a window manager would; waits for its new picture."""
        self.xdotool("windowsize", self.w, str(larghezza), str(altezza))
        fine = time.monotonic() + ATTESA_QUADRO
        while dimensioni(self.schermata()) != (larghezza, altezza):
            if time.monotonic() > fine:
                raise AssertionError("desktop: the window stayed %sx%s"
                                     % dimensioni(self.schermata()))
            time.sleep(0.05)
        self.ultima = self.stabile(None)
        return self.ultima


def main():
    viewer, pagina = sys.argv[1], sys.argv[2]
    lavoro = tempfile.mkdtemp(prefix="superficie-dimensioni-")
    falliti = []
    pagine = []

    def confronta_qui(nome, d, w):
        if dimensioni(d) != dimensioni(w):
            falliti.append("%s: desktop %sx%s, page %sx%s" % ((nome,) + dimensioni(d) + dimensioni(w)))
            return
        oltre, massimo, _ = confronta(d, w)
        totale = dimensioni(d)[0] * dimensioni(d)[1]
        print("%-45s %7d pixels beyond %d (%.4f %%), largest difference %3d" % (
            nome, oltre, SOGLIA, 100.0 * oltre / totale, massimo))
        if oltre > QUOTA_DIVERSI * totale:
            falliti.append("%s: %d pixels differ" % (nome, oltre))

    desktop = Desktop(viewer)
    try:
        p = confronto.Pagina(pagina, os.path.join(lavoro, "pagina"))
        pagine.append(p)
        for n, (nome, w, h, densita, azioni) in enumerate(SESSIONE):
            d = desktop.dimensiona(w, h)
            p.dimensiona(w, h, densita)
            confronta_qui(nome, d, ppm(p.schermata()))
            if n == 0:
                # The same size from the start: the page fits itself before its first frame.
                finestra = p.c.valuta("[innerWidth, innerHeight]") + [densita]
                nuova = confronto.Pagina(pagina, os.path.join(lavoro, "nuova"), finestra=finestra)
                pagine.append(nuova)
                if (nuova.larghezza, nuova.altezza) != (w, h):
                    falliti.append("opened at %s: the picture is %sx%s" % (
                        finestra, nuova.larghezza, nuova.altezza))
                else:
                    confronta_qui(nome + ", opened at that size", d, ppm(nuova.schermata()))
                # Fitted before the first frame: the page does not jump as it opens.
                misure = nuova.c.valuta("misure")
                if len(misure) != 1:
                    falliti.append("opening, the picture went through %s" % misure)
            d = desktop.esegui(azioni)
            confronta_qui(nome + ", then " + ", ".join(
                a[1] + " drag" if a[0] == "drag" else "key " + " ".join(a[1:]) for a in azioni),
                d, ppm(p.esegui(azioni)))
        for q in pagine:
            navigatore.controlla_pagina(q.c, falliti)
    finally:
        for q in pagine:
            q.c.chiudi()
        desktop.chiudi(falliti)
        shutil.rmtree(lavoro, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
