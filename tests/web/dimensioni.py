"""dimensioni.py VIEWER PAGE: the page at other window sizes against the
desktop window resized alike.

The desktop viewer's window is resized with xdotool (its reshape callback
runs); the browser's window is sized so that the page's picture has the
same pixels, and the page must follow through the same callback. At each
size the start picture, then a drag and a key, are compared with the
tolerance of confronto.py. A page opened at a window of the small size
must show that size from its first frame, without a jump; a screen of density 2 gives
the picture twice the pixels of its CSS size, pointer positions included.
A window moved to a screen of another density keeps its CSS size and gets
no resize event: the page must still give its picture the new screen's
pixels, at each of two changes in turn.
Fails too on any console message, log entry or uncaught exception of the
page, and on a page that scrolled."""

import math
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

# The window's CSS size while the screen's density changes under it: at
# density 2 its picture must fit the X screen. The denser screen's place.
FINESTRA_SCHERMI = (600, 700)
SCHERMO_DENSO = (10000, 100)
SCHERMO_MEDIO = (30000, 100)
# CSS pixels: at density 1.5 headless Chromium rounds the window's frame in
# the new screen's pixels, and its inner height can gain one.
ARROTONDAMENTO_FINESTRA = 1


def densita_cambiata(pagina, cartella, desktop, confronta_qui, falliti):
    """The page's window moved to an emulated screen of density 2, then to
    one of 1.5, keeping its CSS size. Chromium tells a page of such a move with a resize
    and through a ResizeObserver too; other browsers do not, and the page
    must not need them: here both are kept from it, and only the queries on
    the screen's resolution can tell it. Returns the browser."""
    os.makedirs(cartella)
    shutil.copy(pagina, cartella)
    c = navigatore.Chromium(schermi=True)
    try:
        # Screens far apart, so that the window's place names one of them.
        for (x, y), densita in ((SCHERMO_DENSO, 2), (SCHERMO_MEDIO, 1.5)):
            c.invia("Emulation.addScreen", left=x, top=0, width=4000, height=3000,
                    devicePixelRatio=densita)
        c.sposta(50, 50, *FINESTRA_SCHERMI)
        c.invia("Page.addScriptToEvaluateOnNewDocument", source="""
            window.ResizeObserver = undefined;
            window.addEventListener('resize', e => e.stopImmediatePropagation(), true);""")
        c.apri(os.path.join(cartella, os.path.basename(pagina)))
        c.primo_quadro(ATTESA_QUADRO)

        def calma():
            while True:
                n = c.valuta("Module.quadri")
                c.due_quadri()
                if c.valuta("Module.quadri") == n:
                    return

        densita_ora = 1
        # The second move leaves 2 for neither 1 nor 2: the page's query on
        # density 1 alone would not see it.
        for densita, dove in ((1, None), (2, SCHERMO_DENSO), (1.5, SCHERMO_MEDIO)):
            if dove:
                c.sposta(dove[0], dove[1], *FINESTRA_SCHERMI, densita_ora=densita_ora,
                         densita_dopo=densita)
                try:
                    c.attendi("devicePixelRatio == %s" % densita, ATTESA_QUADRO)
                except navigatore.Errore:
                    falliti.append("the window did not reach the screen of density %s" % densita)
                    return c
                densita_ora = densita
            calma()
            finestra = c.valuta("[innerWidth, innerHeight]")
            if dove is None:
                prima = finestra
            elif (finestra[0] != prima[0]
                  or abs(finestra[1] - prima[1]) > ARROTONDAMENTO_FINESTRA):
                falliti.append("moved to density %s, the window went from %s to %s" % (
                    densita, prima, finestra))
                return c
            x, y, w, h = c.rettangolo("#canvas")
            tela = c.valuta("[Module.canvas.width, Module.canvas.height]")
            nome = "%gx%g CSS on a screen of density %s" % (w, h, densita)
            # Rounded as the page's Math.round does, halves up.
            if tela != [math.floor(w * densita + 0.5), math.floor(h * densita + 0.5)]:
                falliti.append("%s: the picture has %sx%s pixels" % (nome, tela[0], tela[1]))
                return c
            d = desktop.dimensiona(*tela)
            calma()
            confronta_qui(nome, d, ppm(c.schermata([x, y, w, h])))
        return c
    except BaseException:
        c.chiudi()
        raise


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
        # First, while the desktop shows the start picture as a new page does.
        c = densita_cambiata(pagina, os.path.join(lavoro, "schermi"), desktop, confronta_qui,
                             falliti)
        pagine.append(c)
        p = confronto.Pagina(pagina, os.path.join(lavoro, "pagina"))
        pagine.append(p.c)
        for n, (nome, w, h, densita, azioni) in enumerate(SESSIONE):
            d = desktop.dimensiona(w, h)
            p.dimensiona(w, h, densita)
            confronta_qui(nome, d, ppm(p.schermata()))
            if n == 0:
                # The same size from the start: the page fits itself before its first frame.
                finestra = p.c.valuta("[innerWidth, innerHeight]") + [densita]
                nuova = confronto.Pagina(pagina, os.path.join(lavoro, "nuova"), finestra=finestra)
                pagine.append(nuova.c)
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
        for c in pagine:
            navigatore.controlla_pagina(c, falliti)
    finally:
        for c in pagine:
            c.chiudi()
        desktop.chiudi(falliti)
        shutil.rmtree(lavoro, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
