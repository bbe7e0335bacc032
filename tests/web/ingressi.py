"""ingressi.py PAGE PROBE: what the viewer's GLUT callbacks receive in the
page for the browser's own input events, against what freeglut on X hands
a program for the same keys and gestures given with xdotool: PROBE, a
freeglut window of the canvas's size that prints its callbacks, runs on
the X display in $DISPLAY. Keys as X turns them into characters or special
keys, wheel steps as button presses and releases, drags with the pointer's
current position, also outside the window, presses outside it not at all.
Also checks the browser's own reactions (context menu, middle-button
autoscroll, page scrolling) are cancelled, that the page says nothing, and
that its table of gestures and keys is the README's."""

import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import navigatore  # noqa: E402

ATTESA = 30   # seconds, for a loaded machine
SHIFT, CTRL = 8, 2   # DevTools modifier bits

# Every call the page's GLUT makes into the program, noted with the
# callback it reaches; and whether the browser's default actions of the
# events that have one were cancelled, as seen after every other listener.
SPIA = """
(() => {
  window.chiamate = [];
  window.annullati = {contextmenu: [], middle: [], wheel: []};
  const get = wasmTable.get.bind(wasmTable);
  wasmTable.get = function (p) {
    const f = get(p);
    const nome = p == GLUT.keyboardFunc ? 'keyboard' : p == GLUT.specialFunc ? 'special' :
                 p == GLUT.mouseFunc ? 'mouse' : p == GLUT.motionFunc ? 'motion' : null;
    if (!nome) return f;
    return function () { chiamate.push([nome].concat(Array.from(arguments))); return f.apply(null, arguments); };
  };
  window.addEventListener('contextmenu', e => annullati.contextmenu.push(e.defaultPrevented));
  window.addEventListener('mousedown', e => { if (e.button == 1) annullati.middle.push(e.defaultPrevented); });
  window.addEventListener('wheel', e => annullati.wheel.push(e.defaultPrevented));
  return true;
})()
"""

QUIETE = 0.3   # seconds with no new line of the probe: its callbacks are done

# (name, what X gets, what the page gets). Keys: the xdotool key name and
# the DevTools key events (key, code, Windows virtual key code, text,
# modifiers). Gestures: positions relative to the window or the canvas.
AZIONI = [
    ("a", ("key", "a"), [("a", "KeyA", 65, "a", 0)]),
    ("shift+a", ("key", "shift+a"), [("Shift", "ShiftLeft", 16, "", SHIFT),
                                     ("A", "KeyA", 65, "A", SHIFT)]),
    ("shift+1", ("key", "shift+1"), [("Shift", "ShiftLeft", 16, "", SHIFT),
                                     ("!", "Digit1", 49, "!", SHIFT)]),
    ("ctrl+a", ("key", "ctrl+a"), [("Control", "ControlLeft", 17, "", CTRL),
                                   ("a", "KeyA", 65, "", CTRL)]),
    ("BackSpace", ("key", "BackSpace"), [("Backspace", "Backspace", 8, "", 0)]),
    ("Delete", ("key", "Delete"), [("Delete", "Delete", 46, "", 0)]),
    ("Tab", ("key", "Tab"), [("Tab", "Tab", 9, "", 0)]),
    ("Return", ("key", "Return"), [("Enter", "Enter", 13, "\r", 0)]),
    ("Escape", ("key", "Escape"), [("Escape", "Escape", 27, "", 0)]),
    ("space", ("key", "space"), [(" ", "Space", 32, " ", 0)]),
    ("eacute", ("key", "eacute"), [("é", "Quote", 222, "é", 0)]),
    ("EuroSign", ("key", "EuroSign"), [("€", "KeyE", 69, "€", 0)]),
    ("F1", ("key", "F1"), [("F1", "F1", 112, "", 0)]),
    ("Up", ("key", "Up"), [("ArrowUp", "ArrowUp", 38, "", 0)]),
    ("Right", ("key", "Right"), [("ArrowRight", "ArrowRight", 39, "", 0)]),
    ("Next", ("key", "Next"), [("PageDown", "PageDown", 34, "", 0)]),
    ("Home", ("key", "Home"), [("Home", "Home", 36, "", 0)]),
    ("left drag", ("drag", "left", [(100, 100), (105, 107), (109, 97)]), None),
    ("middle drag", ("drag", "middle", [(100, 100), (105, 107), (109, 97)]), None),
    ("right drag", ("drag", "right", [(100, 100), (105, 107), (109, 97)]), None),
    ("drag out of the window", ("drag", "left", [(10, 10), (-5, 20), (30, -8)]), None),
    ("wheel up and down", ("wheel", 200, 300), None),
    ("press below the window", ("drag", "left", [(100, 680), (120, 685)]), None),
]
BOTTONI_X = {"left": "1", "middle": "2", "right": "3"}


def tabella_readme():
    """The README's table of gestures and keys, as (gesture, effect) texts."""
    radice = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    with open(os.path.join(radice, "README.md"), encoding="utf-8") as f:
        testo = f.read()
    sezione = testo.split("## Mouse and keys", 1)[1].split("\n## ", 1)[0]
    righe = [r for r in sezione.splitlines() if r.startswith("|")][2:]
    pulito = lambda t: " ".join(t.replace("`", "").split())
    return [[pulito(c) for c in r.strip("|").split("|")] for r in righe]


class Sonda:
    """The probe on the X display, driven with xdotool."""

    def __init__(self, programma):
        self.p = subprocess.Popen([programma], stdout=subprocess.PIPE, text=True)
        self.righe = []
        threading.Thread(target=self._leggi, daemon=True).start()
        r = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Sonda$"],
                           capture_output=True, text=True, timeout=ATTESA)
        self.w = r.stdout.split()[0]
        g = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.w],
                           capture_output=True, text=True, check=True).stdout
        g = dict(riga.split("=") for riga in g.split())
        self.gx, self.gy = int(g["X"]), int(g["Y"])
        self.x("mousemove", "--window", self.w, "500", "300")   # keys go where the pointer is

    def _leggi(self):
        for riga in self.p.stdout:
            self.righe.append(riga)

    def x(self, *argomenti):
        subprocess.run(["xdotool"] + [str(a) for a in argomenti], check=True)

    def esegui(self, azione):
        prima = len(self.righe)
        if azione[0] == "key":
            self.x("key", azione[1])
        elif azione[0] == "drag":
            _, b, punti = azione
            (x, y), resto = punti[0], punti[1:]
            self.x("mousemove", self.gx + x, self.gy + y)
            self.x("mousedown", BOTTONI_X[b])
            for x, y in resto:
                self.x("mousemove", self.gx + x, self.gy + y)
            self.x("mouseup", BOTTONI_X[b])
            self.x("mousemove", "--window", self.w, "500", "300")
        elif azione[0] == "wheel":
            self.x("mousemove", "--window", self.w, azione[1], azione[2], "click", "4", "click", "5")
            self.x("mousemove", "--window", self.w, "500", "300")
        # Done once the probe has printed nothing new for a while.
        n, fine = -1, time.monotonic() + ATTESA
        while n != len(self.righe) and time.monotonic() < fine:
            n = len(self.righe)
            time.sleep(QUIETE)
        return [tuple(int(v) if v.lstrip("-").isdigit() else v for v in r.split())
                for r in self.righe[prima:]]

    def chiudi(self):
        self.p.terminate()
        self.p.wait(30)


def esegui_pagina(c, x0, y0, azione, eventi):
    if azione[0] == "key":
        for key, code, vk, testo, mod in eventi:
            giu = dict(type="keyDown" if testo else "rawKeyDown", key=key, code=code,
                       windowsVirtualKeyCode=vk, modifiers=mod)
            if testo:
                giu["text"] = testo
            c.invia("Input.dispatchKeyEvent", **giu)
        for key, code, vk, testo, mod in reversed(eventi):
            c.invia("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                    windowsVirtualKeyCode=vk, modifiers=mod)
    elif azione[0] == "drag":
        _, b, punti = azione
        m = c.BOTTONI[b]
        (x, y), resto = punti[0], punti[1:]
        c.mouse("mouseMoved", x0 + x, y0 + y)
        c.mouse("mousePressed", x0 + x, y0 + y, b, m)
        for x, y in resto:
            c.mouse("mouseMoved", x0 + x, y0 + y, b, m)
        c.mouse("mouseReleased", x0 + x, y0 + y, b, 0)
    elif azione[0] == "wheel":
        x, y = x0 + azione[1], y0 + azione[2]
        c.mouse("mouseMoved", x, y)
        c.mouse("mouseWheel", x, y, deltaX=0, deltaY=-100)
        c.mouse("mouseWheel", x, y, deltaX=0, deltaY=100)
    v = c.valuta("chiamate.splice(0)")
    # The page's key callbacks get the pointer too, the probe prints the key only.
    return [tuple(x[:2]) if x[0] in ("keyboard", "special") else tuple(x) for x in v]


def main():
    pagina, sonda = sys.argv[1], sys.argv[2]
    cartella = tempfile.mkdtemp(prefix="superficie-web-input-")
    shutil.copy(pagina, cartella)
    falliti = []
    x11 = Sonda(sonda)
    try:
        with navigatore.Chromium() as c:
            c.apri(os.path.join(cartella, os.path.basename(pagina)))
            c.primo_quadro(ATTESA)
            # The picture as large as the probe's window, 1000 by 660: the
            # page fits it to the browser's window.
            c.tela(1000, 660)
            if c.valuta("document.activeElement.id") != "canvas":
                falliti.append("the canvas has no keyboard focus on load")
            tabella = c.valuta("Array.from(document.querySelectorAll('tr'))"
                               ".filter(r => r.querySelector('td'))"
                               ".map(r => Array.from(r.cells, t => t.textContent.split(/\\s+/)"
                               ".filter(Boolean).join(' ')))")
            if tabella != tabella_readme():
                falliti.append("the page's table of gestures and keys is not the README's")
            c.valuta(SPIA)
            x0, y0, _, _ = c.rettangolo("#canvas")
            for nome, azione, eventi in AZIONI:
                atteso = x11.esegui(azione)
                visto = esegui_pagina(c, x0, y0, azione, eventi)
                print("%-24s X: %s" % (nome, atteso))
                if visto != atteso:
                    falliti.append("%s: the page got %s" % (nome, visto))
            annullati = c.valuta("annullati")
            for evento in ("contextmenu", "middle", "wheel"):
                v = annullati[evento]
                if not v or not all(v):
                    falliti.append("%s: default actions cancelled %s" % (evento, v))
            navigatore.controlla_pagina(c, falliti)
    finally:
        x11.chiudi()
        shutil.rmtree(cartella, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
