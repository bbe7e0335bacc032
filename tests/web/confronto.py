"""confronto.py VIEWER PAGE [OUT]: the browser page against the desktop viewer.

The same session of keys and left, right and middle drags is played on the
real desktop viewer (on the X display in $DISPLAY, driven with xdotool) and
on the page in headless Chromium (opened from a folder holding nothing but
the page); after every step the two pictures are compared pixel by pixel.
Fails on a picture out of tolerance, on any console message, log entry or
uncaught exception of the page, on a page that scrolled or lost its title.
OUT, if given, keeps the pictures (PPM) and the differences."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import navigatore  # noqa: E402

# Two renderers of the same GL calls: Mesa's llvmpipe and SwiftShader light
# every vertex alike up to float rounding, and interpolate and quantise a
# little differently; 3 levels of 255 cover that with room.
SOGLIA = 3
# Where a triangle or line covers a pixel is decided at sub-pixel precision
# that differs between the two (and primitives that merge into one draw are
# rasterised in the same order only within it): along silhouettes and
# edges single pixels come out unlike, up to 0.2 % of the picture with the
# edges on. They may be at most this share; a wrong turn, scale or colour
# changes far more.
QUOTA_DIVERSI = 0.005
# Seconds: deadlines for a loaded machine, not expectations.
ATTESA_FINESTRA = 60
ATTESA_QUADRO = 30
# Seconds between a desktop drag's steps when its frame gives no sign.
PASSO_DESKTOP = 0.1

LARGHEZZA, ALTEZZA = 1000, 660


# The session: (name, actions). Drags are (button, x, y, dx, dy, steps),
# positions in window pixels; keys as xdotool names them.
SESSIONE = [
    ("start", []),
    # Before the left button has been released once a right drag turns.
    ("right drag before any left release", [("drag", "right", 500, 300, 0, -40, 4)]),
    ("left drag", [("drag", "left", 500, 300, 60, 30, 6)]),
    # Its first step still turns (the last frame chose the rotation), the rest rescales.
    ("right drag", [("drag", "right", 500, 300, 0, -50, 5)]),
    ("middle drag", [("drag", "middle", 400, 300, 80, 40, 4)]),
    ("edges, arrows", [("keys", "b", "Up", "Left")]),
    ("transparency", [("keys", "j", "j", "j")]),
    # Shift with 1 is "!", not a selection of slot 1: the "a" still shrinks.
    ("opaque, shift+1, a", [("keys", "u", "u", "u", "shift+1", "a")]),
    # Wheel steps, Backspace and Delete change nothing; the page must not scroll.
    ("wheel, backspace, delete, left drag", [
        ("wheel", 500, 300, 4), ("wheel", 500, 300, 5), ("keys", "BackSpace", "Delete"),
        ("drag", "left", 500, 300, -40, 20, 4)]),
    ("q, shadows off", [("keys", "q", "o")]),
    ("r", [("keys", "r")]),
]

# xdotool's key names as the browser's keydown events give them:
# (key, code, Windows virtual key code, text).
TASTI = {
    "Up": ("ArrowUp", "ArrowUp", 38, ""),
    "Left": ("ArrowLeft", "ArrowLeft", 37, ""),
    "Down": ("ArrowDown", "ArrowDown", 40, ""),
    "Right": ("ArrowRight", "ArrowRight", 39, ""),
    "BackSpace": ("Backspace", "Backspace", 8, ""),
    "Delete": ("Delete", "Delete", 46, ""),
    "shift+1": ("!", "Digit1", 49, "!"),
}
MAIUSCOLO = 8   # the DevTools modifier bit of Shift


class Desktop:
    """The real viewer in a window of the X display, driven with xdotool;
    file names, if any, relative to cartella."""

    def __init__(self, viewer, file=(), cartella=None):
        self.processo = subprocess.Popen([viewer] + list(file), stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, cwd=cartella)
        r = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Superficie$"],
                           capture_output=True, text=True, timeout=ATTESA_FINESTRA)
        self.w = r.stdout.split()[0]
        # No window manager: keys go to the window under the pointer.
        self.xdotool("mousemove", "--window", self.w, "500", "100")
        # An unpainted or cleared window is one colour; the scene has many.
        fine = time.monotonic() + ATTESA_QUADRO
        self.ultima = self.stabile()
        while len(set(pixel(self.ultima)[::3 * 101])) <= 2:
            if time.monotonic() > fine:
                raise AssertionError("desktop: the scene did not appear")
            self.ultima = self.stabile(self.ultima)

    def xdotool(self, *argomenti):
        subprocess.run(["xdotool"] + list(argomenti), check=True)

    def schermata(self):
        xwd = subprocess.run(["xwd", "-silent", "-id", self.w], capture_output=True, check=True)
        return subprocess.run(["xwdtopnm"], input=xwd.stdout, capture_output=True,
                              check=True).stdout

    def stabile(self, prima=None):
        """The picture once it differs from prima and stays the same for three shots."""
        fine = time.monotonic() + ATTESA_QUADRO
        a, uguali = self.schermata(), 0
        while time.monotonic() < fine:
            time.sleep(0.1)
            b = self.schermata()
            uguali = uguali + 1 if b == a and b != prima else 0
            if uguali >= 2:
                return b
            a = b
        raise AssertionError("desktop: no settled picture")

    def nuovo(self, prima):
        """Waits (a little) for the picture to leave prima: the frame of a drag step."""
        fine = time.monotonic() + PASSO_DESKTOP * 20
        while time.monotonic() < fine and self.schermata() == prima:
            time.sleep(0.02)

    def esegui(self, azioni):
        bottoni = {"left": "1", "middle": "2", "right": "3"}
        for a in azioni:
            if a[0] == "drag":
                _, b, x, y, dx, dy, passi = a
                self.xdotool("mousemove", "--window", self.w, str(x), str(y),
                             "mousedown", bottoni[b])
                for i in range(1, passi + 1):
                    prima = self.schermata()
                    self.xdotool("mousemove", "--window", self.w,
                                 str(x + dx * i // passi), str(y + dy * i // passi))
                    self.nuovo(prima)
                self.xdotool("mouseup", bottoni[b])
            elif a[0] == "keys":
                for k in a[1:]:
                    self.xdotool("key", k)
                    time.sleep(PASSO_DESKTOP)
            elif a[0] == "wheel":
                _, x, y, b = a
                self.xdotool("mousemove", "--window", self.w, str(x), str(y), "click", str(b))
                time.sleep(PASSO_DESKTOP)
        self.ultima = self.stabile(None)
        return self.ultima

    def chiudi(self, falliti, atteso=""):
        """Stops the viewer; anything it printed but atteso on its standard
        error is a failure."""
        self.processo.terminate()
        out, err = self.processo.communicate(timeout=30)
        if out or err.decode(errors="replace") != atteso:
            falliti.append("the desktop viewer printed %r, not %r" % ((out + err)[:200], atteso))


class Pagina:
    """The page in headless Chromium, driven with the browser's own input events."""

    def __init__(self, pagina, cartella, tocco=False, finestra=None):
        os.makedirs(cartella)
        shutil.copy(pagina, cartella)
        self.c = navigatore.Chromium()
        if tocco:
            # A touch screen, as a tablet's: touch events reach the page.
            self.c.invia("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=2)
        if finestra:
            self.c.finestra(*finestra)
            # The picture's place and size at every frame from the first, in
            # self.c's window.misure: what the page showed while it opened.
            self.c.invia("Page.addScriptToEvaluateOnNewDocument", source="""
                window.misure = [];
                (function giro() {
                    const t = document.getElementById('canvas');
                    if (t) {
                        const r = t.getBoundingClientRect();
                        const m = [r.left, r.top, r.width, r.height].join(' ');
                        if (misure[misure.length - 1] !== m) misure.push(m);
                    }
                    requestAnimationFrame(giro);
                })();""")
        self.c.apri(os.path.join(cartella, os.path.basename(pagina)))
        self.c.primo_quadro(ATTESA_QUADRO)
        if finestra:
            self.misura(finestra[2] if len(finestra) > 2 else 1)
        else:
            # The page fits its picture to the window: one that gives the desktop's size.
            self.dimensiona(LARGHEZZA, ALTEZZA)

    def misura(self, densita=1):
        """The picture's place on the page and its size in the viewer's pixels."""
        self.densita = densita
        self.x0, self.y0, w, h = self.c.rettangolo("#canvas")
        self.larghezza, self.altezza = self.c.valuta("[Module.canvas.width, Module.canvas.height]")
        assert (self.larghezza, self.altezza) == (round(w * densita), round(h * densita)), \
            "canvas %sx%s shown %sx%s" % (self.larghezza, self.altezza, w, h)

    def dimensiona(self, larghezza, altezza, densita=1):
        """The window sized so that the picture has larghezza x altezza of the
        viewer's pixels, densita to a CSS pixel; the frame at that size drawn."""
        self.c.tela(larghezza / densita, altezza / densita, densita)
        self.misura(densita)
        assert (self.larghezza, self.altezza) == (larghezza, altezza), \
            "canvas %sx%s" % (self.larghezza, self.altezza)
        self.calma()

    def punto(self, x, y):
        """Page pixels of a point of the picture given in the viewer's pixels."""
        return self.x0 + x / self.densita, self.y0 + y / self.densita

    def quadri(self):
        return self.c.valuta("Module.quadri")

    def nuovo_quadro(self, prima):
        self.c.attendi("Module.quadri > %d" % prima, ATTESA_QUADRO)

    def calma(self):
        """Two animation frames with no new picture: every posted redisplay is drawn."""
        while True:
            n = self.quadri()
            self.c.valuta("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))",
                          attendi=True)
            if self.quadri() == n:
                return

    def esegui(self, azioni):
        c = self.c
        for a in azioni:
            if a[0] == "drag":
                _, b, x, y, dx, dy, passi = a
                c.mouse("mouseMoved", *self.punto(x, y))
                self.calma()
                c.mouse("mousePressed", *self.punto(x, y), b, c.BOTTONI[b])
                for i in range(1, passi + 1):
                    n = self.quadri()
                    c.mouse("mouseMoved", *self.punto(x + dx * i // passi, y + dy * i // passi),
                            b, c.BOTTONI[b])
                    self.nuovo_quadro(n)
                c.mouse("mouseReleased", *self.punto(x + dx, y + dy), b, 0)
            elif a[0] == "keys":
                for k in a[1:]:
                    n = self.quadri()
                    if k in TASTI:
                        key, code, vk, testo = TASTI[k]
                        mod = 0
                        if k.startswith("shift+"):
                            mod = MAIUSCOLO
                            c.invia("Input.dispatchKeyEvent", type="rawKeyDown", key="Shift",
                                    code="ShiftLeft", windowsVirtualKeyCode=16, modifiers=mod)
                        c.tasto(key, code, vk, testo, mod)
                        if mod:
                            c.invia("Input.dispatchKeyEvent", type="keyUp", key="Shift",
                                    code="ShiftLeft", windowsVirtualKeyCode=16)
                    else:
                        c.tasto(k, "Key" + k.upper(), ord(k.upper()), k)
                    self.nuovo_quadro(n)
            elif a[0] == "wheel":
                _, x, y, b = a
                c.mouse("mouseMoved", *self.punto(x, y))
                c.mouse("mouseWheel", *self.punto(x, y), deltaX=0,
                        deltaY=-100 if b == 4 else 100)
        return self.schermata()

    def schermata(self):
        """The picture once every posted redisplay is drawn, as PNG."""
        self.calma()
        # In device pixels: the viewer's at any density.
        return self.c.schermata([self.x0, self.y0, self.larghezza / self.densita,
                                 self.altezza / self.densita])


def ppm(png):
    return subprocess.run(["pngtopnm"], input=png, capture_output=True, check=True).stdout


def dimensioni(immagine):
    """Width and height of a binary PPM."""
    campi = immagine.split(maxsplit=3)
    return int(campi[1]), int(campi[2])


def pixel(immagine, larghezza=LARGHEZZA, altezza=ALTEZZA):
    """The RGB bytes of a binary PPM of larghezza x altezza."""
    campi, i = [], 0
    while len(campi) < 4:
        while immagine[i:i + 1].isspace():
            i += 1
        if immagine[i:i + 1] == b"#":
            i = immagine.index(b"\n", i)
            continue
        j = i
        while not immagine[j:j + 1].isspace():
            j += 1
        campi.append(immagine[i:j])
        i = j
    assert campi[0] == b"P6" and campi[3] == b"255", campi
    assert (int(campi[1]), int(campi[2])) == (larghezza, altezza), campi
    dati = immagine[i + 1:]
    assert len(dati) == larghezza * altezza * 3
    return dati


def confronta(a, b):
    """(pixels beyond SOGLIA, largest difference of a channel, a difference picture)."""
    w, h = dimensioni(a)
    pa, pb = pixel(a, w, h), pixel(b, w, h)
    oltre, massimo = 0, 0
    diff = bytearray(len(pa))
    for i in range(0, len(pa), 3):
        d = max(abs(pa[i] - pb[i]), abs(pa[i + 1] - pb[i + 1]), abs(pa[i + 2] - pb[i + 2]))
        if d > massimo:
            massimo = d
        if d > SOGLIA:
            oltre += 1
            diff[i] = 255
    return oltre, massimo, b"P6\n%d %d\n255\n" % (w, h) + bytes(diff)


def main():
    viewer, pagina = sys.argv[1], sys.argv[2]
    uscita = sys.argv[3] if len(sys.argv) > 3 else None
    lavoro = tempfile.mkdtemp(prefix="superficie-web-")
    falliti = []
    desktop = Desktop(viewer)
    p = Pagina(pagina, os.path.join(lavoro, "pagina"))
    try:
        titolo = p.c.valuta("document.title")
        if titolo != "Superficie":
            falliti.append("title %r" % titolo)
        totale = LARGHEZZA * ALTEZZA
        prec_d = prec_p = None
        for n, (nome, azioni) in enumerate(SESSIONE):
            d = desktop.esegui(azioni) if azioni else desktop.ultima
            w = ppm(p.esegui(azioni))
            oltre, massimo, diff = confronta(d, w)
            cambia_d = prec_d is not None and d != prec_d
            cambia_p = prec_p is not None and w != prec_p
            print("%-40s %7d pixels beyond %d (%.4f %%), largest difference %3d%s" % (
                nome, oltre, SOGLIA, 100.0 * oltre / totale, massimo,
                "" if n == 0 else ", changed" if cambia_d else ", unchanged"))
            if oltre > QUOTA_DIVERSI * totale:
                falliti.append("%s: %d pixels differ" % (nome, oltre))
            # A step that changes one picture must change the other.
            if n and cambia_d != cambia_p:
                falliti.append("%s: changed on the desktop %s, on the page %s" % (
                    nome, cambia_d, cambia_p))
            if uscita:
                os.makedirs(uscita, exist_ok=True)
                base = os.path.join(uscita, "%02d" % n)
                for suffisso, dati in (("desktop", d), ("page", w), ("diff", diff)):
                    with open("%s-%s.ppm" % (base, suffisso), "wb") as f:
                        f.write(dati)
            prec_d, prec_p = d, w
        navigatore.controlla_pagina(p.c, falliti)
    finally:
        p.c.chiudi()
        desktop.chiudi(falliti)
        shutil.rmtree(lavoro, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
