# prove.py PART ARGS...: the browser page in headless Chromium against the
# desktop viewer on the X display in $DISPLAY (driven with xdotool), in three
# parts, each a function below. Every part also fails on any console message,
# log entry or uncaught exception of a page, and on a page that scrolled.
import contextlib, io, pathlib, os, re, shutil, subprocess, sys, tempfile, threading, time, traceback

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from navigatore import BOTTONI, Chromium, Errore, entro  # noqa: E402

# Two renderers of the same GL calls: Mesa's llvmpipe and SwiftShader light
# every vertex alike up to float rounding, and interpolate and quantise a
# little differently; 3 levels of 255 cover that with room.
SOGLIA = 3
# Where a triangle or line covers a pixel is decided at sub-pixel precision
# that differs between the two: along silhouettes and edges single pixels
# come out unlike, up to 0.2 % of the picture with the edges on. A wrong
# turn, scale or colour changes far more.
QUOTA_DIVERSI = 0.005
ATTESA, ATTESA_FINESTRA = 30, 60   # seconds: deadlines for a loaded machine
LARGHEZZA, ALTEZZA = 1000, 660
SHIFT, CTRL = 8, 2   # DevTools modifier bits
XBOTTONI = {"left": "1", "middle": "2", "right": "3"}
# The key buttons' labels of the arrows, and the keys as xdotool names them.
FRECCE = {"\u2190": "Left", "\u2191": "Up", "\u2192": "Right", "\u2193": "Down"}


def t(key, code, vk, testo="", mod=0): return (key, code, vk, testo, mod)


# xdotool's key names as the browser's key events give them, each key held in
# order; a letter or digit is itself.
TASTI = {x: [t(k, k, vk)] for x, k, vk in (
    ("Up", "ArrowUp", 38), ("Down", "ArrowDown", 40), ("Left", "ArrowLeft", 37), ("Right", "ArrowRight", 39),
    ("BackSpace", "Backspace", 8), ("Delete", "Delete", 46), ("Tab", "Tab", 9), ("Escape", "Escape", 27),
    ("F1", "F1", 112), ("Next", "PageDown", 34), ("Home", "Home", 36))}
TASTI.update({"Return": [t("Enter", "Enter", 13, "\r")], "space": [t(" ", "Space", 32, " ")],
              "eacute": [t("é", "Quote", 222, "é")], "EuroSign": [t("€", "KeyE", 69, "€")],
              "shift+1": [t("Shift", "ShiftLeft", 16, "", SHIFT), t("!", "Digit1", 49, "!", SHIFT)],
              "ctrl+a": [t("Control", "ControlLeft", 17, "", CTRL), t("a", "KeyA", 65, "", CTRL)]})


def eventi(k):
    return TASTI.get(k) or [t(k, ("Digit" if k.isdigit() else "Key") + k.upper(), ord(k.upper()), k)]


def immagine(dati): return Image.open(io.BytesIO(dati)).convert("RGB")


def confronta(nome, a, b):
    # Fails unless pictures a and b are alike within SOGLIA and QUOTA_DIVERSI.
    if a.size != b.size:
        return no("%s: pictures of %s and %s" % (nome, a.size, b.size))
    d = ImageChops.difference(a, b)
    n, totale = sum(max(p) > SOGLIA for p in d.getdata()), a.size[0] * a.size[1]
    print("%-45s %7d pixels beyond %d (%.4f %%), largest difference %3d" % (
        nome, n, SOGLIA, 100.0 * n / totale, max(e[1] for e in d.getextrema())))
    if n > QUOTA_DIVERSI * totale:
        no("%s: %d pixels differ" % (nome, n))


def xdotool(*argomenti):
    return subprocess.run(["xdotool"] + [str(a) for a in argomenti], check=True,
                          capture_output=True, text=True, timeout=ATTESA_FINESTRA).stdout


def linea(x, y, dx, dy, passi):
    # A drag's points: from x, y by dx, dy in equal steps.
    return [(x + dx * i // passi, y + dy * i // passi) for i in range(passi + 1)]


class Desktop:
    # A program's window on the X display, found by its title. Actions, in
    # its pixels: ("drag", button, points), ("keys", key...), ("wheel", x, y).

    def __init__(self, programma, titolo="Superficie"):
        self.p = subprocess.Popen(programma, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.w = xdotool("search", "--sync", "--onlyvisible", "--name", "^%s$" % titolo).split()[0]
        g = dict(r.split("=") for r in xdotool("getwindowgeometry", "--shell", self.w).split())
        self.gx, self.gy = int(g["X"]), int(g["Y"])
        self.muovi(500, 100)   # keys go where the pointer is
        self.quadri = titolo == "Superficie"   # else a window that draws nothing
        if self.quadri:   # an unpainted or cleared window is one colour
            entro(ATTESA, "the scene", lambda: (lambda q: q.getcolors(2) is None and q)(
                self.stabile()))

    def muovi(self, x, y, *poi):   # the pointer to x, y of the window, or outside it
        xdotool("mousemove", self.gx + x, self.gy + y, *poi)

    def schermata(self):
        return immagine(subprocess.run([os.environ["SCHERMATA"], self.w], capture_output=True,
                                       check=True).stdout)

    def stabile(self):
        # The picture once it stays the same for three shots.
        foto = []

        def ferma():
            foto[:] = foto[-2:] + [self.schermata()]
            time.sleep(0.1)
            return len(foto) == 3 and all(f == foto[0] for f in foto) and foto[0]
        return entro(ATTESA, "a settled picture", ferma)

    def esegui(self, azioni):
        # The actions, then the settled picture. Each drag step's frame is
        # awaited, when the step changes the picture.
        for a in azioni:
            if a[0] == "drag":
                self.muovi(*a[2][0], "mousedown", XBOTTONI[a[1]])
                for x, y in a[2][1:]:
                    prima = self.quadri and self.schermata()
                    self.muovi(x, y)
                    if self.quadri:
                        with contextlib.suppress(Errore):
                            entro(2, "", lambda: self.schermata() != prima)
                xdotool("mouseup", XBOTTONI[a[1]])
            elif a[0] == "wheel":
                self.muovi(a[1], a[2], "click", 4, "click", 5)
            self.muovi(500, 300)
            for k in a[1:] if a[0] == "keys" else ():
                xdotool("key", k)
                time.sleep(0.1)
        return self.quadri and self.stabile()

    def chiudi(self):   # stops the program; what it printed
        return self.p.terminate() or "".join(self.p.communicate(timeout=30))


class Pagina:
    # The page in headless Chromium, opened from a folder holding nothing
    # else, with a picture of LARGHEZZA x ALTEZZA unless prima(c), run
    # before, gives the window. quadri False: the actions' frames are not awaited.

    def __init__(self, pagina, tocco=False, prima=None):
        cartella = tempfile.mkdtemp(dir=LAVORO)
        shutil.copy(pagina, cartella)
        self.c = c = Chromium(schermi=prima is not None)
        self.quadri = True
        # Closed at the end of the part, checked for messages and scrolling.
        CHIUSURE.callback(lambda: (c.valuta("[scrollX, scrollY]") == [0, 0] or no("a page scrolled"),
                                   [no("a page said: " + m) for m in c.messaggi()], c.chiudi()))
        if tocco:   # a touch screen, as a tablet's
            c.invia("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=2)
        if prima:
            prima(c)
        c.apri(os.path.join(cartella, os.path.basename(pagina)))
        c.attendi("typeof Module != 'undefined' && Module.quadri >= 1", ATTESA)
        if prima:
            self.misura()
        else:
            self.dimensiona(LARGHEZZA, ALTEZZA)

    def misura(self, densita=1):
        # The picture's place on the page and its size in the viewer's pixels.
        # A canvas of other pixels than its screenshot fails each comparison.
        self.densita = densita
        self.x0, self.y0, self.w, self.h = self.c.rettangolo("#canvas")
        self.larghezza, self.altezza = self.c.valuta("[Module.canvas.width, Module.canvas.height]")

    def dimensiona(self, larghezza, altezza, densita=1):
        # The window that gives the picture larghezza x altezza of the viewer's pixels.
        self.c.tela(larghezza / densita, altezza / densita, densita)
        self.misura(densita)

    def punto(self, x, y):
        # Page pixels of a point of the picture given in the viewer's pixels.
        return self.x0 + x / self.densita, self.y0 + y / self.densita

    def passo(self, fai):
        # fai(), then the frame it asked for.
        n = self.quadri and self.c.valuta("Module.quadri")
        fai()
        if self.quadri:
            self.c.attendi("Module.quadri > %d" % n, ATTESA)

    def dita(self, tipo, dita):
        # A touch event; dita the fingers down after it, as {id: (x, y)}.
        self.c.invia("Input.dispatchTouchEvent", type=tipo, touchPoints=[
            dict(zip("xy", self.punto(*p)), id=i) for i, p in sorted(dita.items())])

    def esegui(self, azioni):
        # Actions as Desktop.esegui takes them, and touches: ("dita", [(x, y,
        # dx, dy)...], steps) fingers put down in turn, each moving by its own
        # total, the last lifted first; ("bottoni", n...) clicks on the nth
        # key button. Returns the picture.
        c, m = self.c, self.c.mouse
        for a in azioni:
            if a[0] == "drag":
                b, (x, y) = a[1], a[2][0]
                m("mouseMoved", *self.punto(x, y))
                self.quadri and c.calma()
                m("mousePressed", *self.punto(x, y), b, BOTTONI[b])
                for q in a[2][1:]:
                    self.passo(lambda: m("mouseMoved", *self.punto(*q), b, BOTTONI[b]))
                m("mouseReleased", *self.punto(*a[2][-1]), b, 0)
            elif a[0] == "wheel":
                for d in (-100, 100):
                    m("mouseWheel", *self.punto(a[1], a[2]), deltaX=0, deltaY=d)
            elif a[0] == "dita":
                for k in range(1, len(a[1]) + 1):
                    self.dita("touchStart", {i + 1: d[:2] for i, d in enumerate(a[1][:k])})
                for j in range(1, a[2] + 1):
                    d = {i + 1: (x + dx * j // a[2], y + dy * j // a[2]) for i, (x, y, dx, dy) in enumerate(a[1])}
                    self.passo(lambda: self.dita("touchMove", d))
                for k in range(len(a[1]) - 1, 0, -1):
                    self.dita("touchMove", {i: d[i] for i in range(1, k + 1)})
                self.dita("touchEnd", {})
            for k in a[1:] if a[0] in ("keys", "bottoni") else ():
                self.passo(lambda: c.tasti(*eventi(k)) if a[0] == "keys" else self.clicca(k))
        return self.quadri and self.schermata()

    def clicca(self, n):
        # A click on the nth key button; the keyboard focus must stay on the picture.
        x, y, w, h = self.c.rettangolo("#tasti button:nth-child(%d)" % n)
        for tipo, premuti in (("mouseMoved", 0), ("mousePressed", 1), ("mouseReleased", 0)):
            self.c.mouse(tipo, x + w / 2, y + h / 2, "left" if tipo != "mouseMoved" else "none", premuti)
        fuoco = self.c.valuta("document.activeElement.id")
        assert fuoco == "canvas", "after button %d the focus is on %r" % (n, fuoco)

    def schermata(self):
        # The picture once every posted redisplay is drawn, in device pixels.
        self.c.calma()
        return immagine(self.c.schermata([self.x0, self.y0, self.w, self.h]))


# A part's failures, and what it opened, closed at the end: pages, viewers
# (each checked for anything it printed), the work folder.
FALLITI, CHIUSURE = [], contextlib.ExitStack()
LAVORO, no = CHIUSURE.enter_context(tempfile.TemporaryDirectory(prefix="superficie-web-")), FALLITI.append


# confronto VIEWER PAGE: the page's pictures against the desktop viewer's.
# First a window moved to screens of other densities keeps its CSS size and
# gets no resize event: the page must still give its picture the new
# screen's pixels, the start picture as --output draws it at that size; then
# keys typed there, each step against --output --keys with every key so far.
# At density 2 (twice the pixels of the CSS size, pointer positions
# included) drags on a page and on the desktop window, the pictures compared
# after each; positions are the picture's pixels, each step even (whole CSS pixels).
SESSIONE_TASTI = [("edges, arrows", "b<Up><Left>"), ("transparency", "jjj"),
                  ("opaque, a", "uuua"), ("q, shadows off", "qo")]
TRASCINAMENTI = [
    ("left drag", ("drag", "left", linea(500, 300, 60, 36, 6))),
    # Its first step still turns (the last frame chose the rotation), the rest rescales.
    ("right drag", ("drag", "right", linea(500, 300, 0, -48, 4))),
    ("middle drag", ("drag", "middle", linea(400, 300, 80, 40, 4))),
]


# ingressi PAGE PROBE: what the viewer's GLUT callbacks receive in the page
# for the browser's own input events, against what freeglut on X hands PROBE
# (a freeglut window of the canvas's size that prints its callbacks) for the
# same keys and gestures given with xdotool: keys as X turns them into
# characters or special keys, wheel steps as presses and releases, drags
# with the pointer's position, also outside the window, presses outside it
# not at all; touches as the drags they stand for, each key button as its
# key. Also: the browser's own reactions (context menu, middle-button
# autoscroll, page scrolling) cancelled, the canvas focused on load and
# after each button, a button for every key the viewer knows, and the
# page's table of gestures and keys the README's.
SPIA = """(() => {
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
})()"""
# Each: the actions on the probe, then on the page. Keys by xdotool's names
# (with Shift, a letter goes the way "!" does: the Shift key's own callback,
# then the character); positions relative to the window or canvas.
AZIONI = [[[a]] * 2 for a in [("keys", k) for k in (
    "a shift+1 ctrl+a BackSpace Delete Tab Return Escape space eacute EuroSign F1 Up Right Next Home"
).split()] + [
    ("drag", b, [(100, 100), (105, 107), (109, 97)]) for b in ("left", "middle", "right")] + [
    ("drag", "left", [(10, 10), (-5, 20), (30, -8)]), ("wheel", 200, 300),
    ("drag", "left", [(100, 680), (120, 685)])]] + [
    [[("drag", "left", linea(500, 300, 60, 30, 6))], [("dita", [(500, 300, 60, 30)], 6)]],
    # The second finger ends the left drag where the first one is; the
    # pinch presses the right button at the midpoint, and 10 pixels more
    # between the fingers are 10 up.
    [[("drag", "left", [(450, 300)]), ("drag", "right", linea(500, 300, 0, -50, 5))],
     [("dita", [(450, 300, -25, 0), (550, 300, 25, 0)], 5)]],
    [[("drag", "left", [(400, 250)]), ("drag", "middle", linea(450, 250, 80, 40, 4))],
     [("dita", [(400, 250, 80, 40), (500, 250, 80, 40)], 4)]],
    # Along a slant: the distance is measured as the crow flies (from 200
    # to 140), the midpoint stays.
    [[("drag", "left", [(400, 200)]), ("drag", "right", linea(480, 260, 0, 60, 3))],
     [("dita", [(400, 200, 24, 18), (560, 320, -24, -18)], 3)]]]
TUTTI = set("01234aqrobju") | set(FRECCE)   # every key the viewer knows


def tabella_readme():
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../README.md")) as f:
        sezione = f.read().split("## Mouse and keys", 1)[1].split("\n## ", 1)[0]
    pulito = lambda t: " ".join(t.replace("`", "").split())  # noqa: E731
    return [[pulito(c) for c in r.strip("|").split("|")]
            for r in sezione.splitlines() if r.startswith("|")][2:]


def ingressi(pagina, sonda):
    x11, righe = Desktop([sonda], titolo="Sonda"), []
    CHIUSURE.callback(lambda: (x11.p.terminate(), x11.p.wait(30)))
    threading.Thread(target=lambda: [righe.append(r) for r in x11.p.stdout], daemon=True).start()
    p = Pagina(pagina, tocco=True)
    c, p.quadri = p.c, False
    if c.valuta("document.activeElement.id") != "canvas":
        no("the canvas has no keyboard focus on load")
    if c.valuta("[...document.querySelectorAll('tr')].filter(r => r.querySelector('td')).map("
                "r => Array.from(r.cells, t => t.textContent.split(/\\s+/).filter(Boolean)"
                ".join(' ')))") != tabella_readme():
        no("the page's table of gestures and keys is not the README's")
    c.valuta(SPIA)
    bottoni = c.valuta("[...document.querySelectorAll('#tasti button')].map(b => b.textContent)")
    if sorted(bottoni) != sorted(TUTTI):
        no("the buttons are %s" % bottoni)
    for sul_x, sulla_pagina in AZIONI + [[[("keys", FRECCE.get(b, b))], [("bottoni", i + 1)]]
                                         for i, b in enumerate(bottoni)]:
        # The probe's callbacks once it prints no more.
        prima, n, fine = len(righe), -1, time.monotonic() + ATTESA
        x11.esegui(sul_x)
        while n != len(righe) and time.monotonic() < fine:
            n = len(righe)
            time.sleep(0.3)
        atteso = [tuple(int(v) if v.lstrip("-").isdigit() else v for v in r.split()) for r in righe[prima:]]
        p.esegui(sulla_pagina)
        # The page's key callbacks get the pointer too, the probe prints the key only.
        visto = [tuple(v[:2]) if v[0] in ("keyboard", "special") else tuple(v)
                 for v in c.valuta("chiamate.splice(0)")]
        if visto != atteso:
            no("%s: the page got %s, the probe %s" % (sulla_pagina, visto, atteso))
    for evento, v in c.valuta("annullati").items():
        if not v or not all(v):
            no("%s: default actions cancelled %s" % (evento, v))


# file_aperti VIEWER EXPORTER WRITER GENERATOR PAGE: files opened in one page, in
# turn, through its Open button (the file input's files, as the chooser sets
# them) and by dropping them on it, against the same files named on the
# desktop viewer's command line (its picture by --output). A scene that opens
# must look as the desktop's, and show beside the picture, not as an error,
# the line the desktop prints for each file it fitted to the store (without
# "superficie: "); a refused one must show the desktop's message and leave the picture
# and its note exactly as they were; the canvas keeps the keyboard focus. (A
# browser that left the page for a dropped file fails the waits after it.)
# Each case: (what, how, files, "opens" or "refused").
CASI = [
    # Refused first thing, then after a fitted scene: what was shown stays.
    ("five files, first thing", "chooser", ["cubo.off", "toro.stl", "toro.ply", "superficie.off",
                                            "superficie.obj"], "refused"),
    ("two large files dropped", "drop", ["grande.stl", "grande.ply"], "opens"),
    ("a bad file after a fitted scene", "chooser", ["malo.off"], "refused"),
    ("four files", "chooser", ["superficie.obj", "cubo.off", "toro.stl", "toro.ply"], "opens"),
    ("a bad file dropped", "drop", ["cubo.off", "malo.off"], "refused"),
    # A glTF picked with its buffer, in any order; its folder on the desktop.
    # One picked without it is refused as a bad file is (its words: test_pacchetti).
    ("glTF, GLB, 3MF and OFF together", "chooser", ["m.bin", "m.gltf", "m.3mf", "m.glb", "cubo.off"], "opens"),
]


def uscita(viewer, cartella, *argomenti):
    # The desktop viewer's first frame by --output, if it drew one, and the run.
    r = subprocess.run([viewer, "--output", "desktop.png"] + list(argomenti), cwd=cartella,
                       capture_output=True, text=True, timeout=ATTESA_FINESTRA)
    return r, r.returncode == 0 and immagine(pathlib.Path(cartella, "desktop.png").read_bytes())


def campioni(d, exporter, scrittore, genera):
    for comando in ([exporter, "superficie.off"], [exporter, "--obj", "superficie.obj"],
                    [scrittore, "superficie.off", "."], [genera, "stl", "400", "toro.stl"],
                    [genera, "ply", "300", "toro.ply"], [genera, "stl", "5200", "grande.stl"],
                    [genera, "ply", "5200", "grande.ply"]):
        subprocess.run(comando, check=True, cwd=d)
    testi = {
        # A cube, each face its own colour (RGB 0..1 after the indices).
        "cubo.off": "OFF\n8 6 12\n" + "".join("%d %d %d\n" % (x, y, z) for x in (-1, 1)
                                             for y in (-1, 1) for z in (-1, 1)) +
        "4 0 1 3 2 1 0 0\n4 4 6 7 5 0 1 0\n4 0 4 5 1 0 0 1\n4 2 3 7 6 1 1 0\n"
        "4 0 2 6 4 1 0 1\n4 1 5 7 3 0 1 1\n",
        # A face naming a vertex that is not there.
        "malo.off": "OFF\n4 2 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 1 2\n3 0 2 7\n"}
    for nome, testo in testi.items():
        pathlib.Path(d, nome).write_text(testo)


def file_aperti(*programmi):
    viewer, exporter, scrittore, genera, pagina = map(os.path.abspath, programmi)
    d = tempfile.mkdtemp(dir=LAVORO)
    campioni(d, exporter, scrittore, genera)
    p = Pagina(pagina)
    c = p.c
    testo = lambda quale: c.valuta("(e => e.hidden ? '' : e.textContent)(document."  # noqa: E731
                                   "getElementById(%r))" % quale)
    prima, nota_prima = p.schermata(), ""
    for nome, come, nomi, esito in CASI:
        n, percorsi = c.valuta("Module.aperture || 0"), [os.path.join(d, f) for f in nomi]
        if come == "chooser":
            c.scegli_file("#apri", percorsi)
        else:
            x, y, w, h = c.rettangolo("#canvas")
            c.trascina_file(x + w / 2, y + h / 2, percorsi)
        c.attendi("(Module.aperture || 0) > %d" % n, ATTESA)
        c.calma()
        # A note of two lines takes height from the picture, and one gone gives it back.
        if c.valuta("[Module.canvas.width, Module.canvas.height]") != [LARGHEZZA, ALTEZZA]:
            p.dimensiona(LARGHEZZA, ALTEZZA)
        a, detto, nota = p.schermata(), testo("messaggio"), testo("nota")
        print("%-36s message %r, note %r" % (nome, detto, nota))
        # The desktop is named the models (it finds a glTF's buffers beside
        # them) and draws its start picture itself.
        r, desktop = uscita(viewer, d, *(f for f in nomi if f != "m.bin"))
        if esito == "refused":
            if r.returncode != 2 or r.stderr != "superficie: %s\n" % detto:
                no("%s: the page says %r, the desktop %r" % (nome, detto, r.stderr))
            if a != prima or nota != nota_prima:
                no("%s: the picture or its note changed" % nome)
        else:
            righe = "".join("superficie: %s\n" % riga for riga in nota.splitlines())
            if r.returncode != 0 or r.stderr != righe or detto:
                no("%s: the desktop printed %r, the page says %r" % (nome, r.stderr, detto))
            confronta(nome, desktop, a)
        if c.valuta("document.activeElement.id") != "canvas":
            no("%s: the canvas lost the keyboard focus" % nome)
        prima, nota_prima = a, nota


# The window's CSS size while the screen's density changes under it, and
# the screens, far apart so that the window's place names one.
FINESTRA_SCHERMI, SCHERMI = (600, 700), {2: (10000, 100), 1.5: (30000, 100)}


def schermi(c):
    for densita, (x, y) in SCHERMI.items():
        c.invia("Emulation.addScreen", left=x, top=0, width=4000, height=3000,
                devicePixelRatio=densita)
    c.sposta(50, 50, *FINESTRA_SCHERMI)
    # Chromium tells a page of such a move with a resize and through a
    # ResizeObserver; other browsers do not, and the page must not need them.
    c.invia("Page.addScriptToEvaluateOnNewDocument", source="window.ResizeObserver = undefined;"
            "window.addEventListener('resize', e => e.stopImmediatePropagation(), true);")


def confronto(viewer, pagina):
    s = Pagina(pagina, prima=schermi)

    def fuori(*tasti):   # the start picture at the page's size, after --keys
        return uscita(viewer, LAVORO, "--size", "%dx%d" % (s.larghezza, s.altezza), *tasti)[1]
    # The second move leaves 2 for neither 1 nor 2: a query on density 1 alone would not see it.
    for ora, densita in ((1, 1), (1, 2), (2, 1.5)):
        if densita != ora:
            s.c.sposta(*SCHERMI[densita], *FINESTRA_SCHERMI, densita_ora=ora, densita_dopo=densita)
            s.c.attendi("devicePixelRatio == %s" % densita, ATTESA)
        s.c.calma()
        s.misura(densita)
        confronta("%gx%g CSS on a screen of density %s" % (s.w, s.h, densita), fuori(), s.schermata())
    tasti = ""
    for nome, altri in SESSIONE_TASTI:
        tasti += altri
        confronta(nome, fuori("--keys", tasti),
                  s.esegui([("keys", *(a or b for a, b in re.findall(r"<(\w+)>|(.)", altri)))]))
    desktop, p = Desktop([viewer]), Pagina(pagina)
    CHIUSURE.callback(lambda: (lambda detto: detto and no("the desktop printed " + detto))(desktop.chiudi()))
    p.dimensiona(LARGHEZZA, ALTEZZA, 2)
    for nome, azione in TRASCINAMENTI:
        confronta(nome, desktop.esegui([azione]), p.esegui([azione]))


if __name__ == "__main__":
    try:
        with CHIUSURE:   # closes even after an exception
            globals()[sys.argv[1]](*sys.argv[2:])
    except Exception:
        traceback.print_exc()
        no("the part %s ended with an exception" % sys.argv[1])
    [print("FAILED:", f) for f in FALLITI]
    sys.exit(1 if FALLITI else 0)
