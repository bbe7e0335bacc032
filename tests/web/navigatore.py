"""navigatore.py: Debian's headless Chromium driven over the DevTools protocol,
for the browser page's tests and benchmarks. A small client over
python3-websocket: one page, commands answered in order, events kept."""

import base64
import json
import os
import shutil
import subprocess
import tempfile
import time
import urllib.request

import websocket

CHROMIUM = os.environ.get("CHROMIUM", "/usr/lib/chromium/chromium")
# WebGL with no GPU: SwiftShader through ANGLE. Without the networking
# switches a fresh profile tries to reach Google's services and logs every
# refused connection.
OPZIONI = [
    "--headless", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--disable-extensions",
    "--disable-default-apps", "--mute-audio", "--window-size=1100,1000",
    "--remote-debugging-port=0",
]
# Every screen of density 1, whatever a test's emulated screens say.
DENSITA_FISSA = "--force-device-scale-factor=1"
ATTESA_AVVIO = 30   # seconds; a cold start on a loaded 2-core machine takes a few


def versione():
    return subprocess.run([CHROMIUM, "--version"], capture_output=True,
                          text=True).stdout.split()[1]


class Errore(Exception):
    pass


class Chromium:
    """A headless Chromium with a fresh profile and one page, about:blank;
    its screens of density 1 unless schermi is true (then each emulated
    screen has its own)."""

    def __init__(self, opzioni=(), schermi=False):
        self.profilo = tempfile.mkdtemp(prefix="superficie-chromium-")
        argomenti = [CHROMIUM] + OPZIONI + ([] if schermi else [DENSITA_FISSA]) + list(opzioni)
        argomenti.append("--user-data-dir=" + self.profilo)
        if os.geteuid() == 0:
            argomenti.append("--no-sandbox")   # the sandbox refuses to run as root
        argomenti.append("about:blank")
        self.log = open(os.path.join(self.profilo, "stderr.txt"), "w")
        self.processo = subprocess.Popen(argomenti, stdout=subprocess.DEVNULL, stderr=self.log)
        porta = self._porta()
        pagina = self._pagina(porta)
        self.ws = websocket.create_connection(pagina, timeout=120, suppress_origin=True)
        self.prossimo = 0
        self.eventi = []

    def _porta(self):
        file = os.path.join(self.profilo, "DevToolsActivePort")
        fine = time.monotonic() + ATTESA_AVVIO
        while time.monotonic() < fine:
            if self.processo.poll() is not None:
                raise Errore("chromium ended at start: " + self.stderr())
            try:
                with open(file) as f:
                    return int(f.readline())
            except (OSError, ValueError):
                time.sleep(0.05)
        raise Errore("chromium gave no DevTools port")

    def _pagina(self, porta):
        fine = time.monotonic() + ATTESA_AVVIO
        while time.monotonic() < fine:
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % porta) as r:
                for t in json.load(r):
                    if t["type"] == "page":
                        return t["webSocketDebuggerUrl"]
            time.sleep(0.05)
        raise Errore("chromium opened no page")

    def stderr(self):
        self.log.flush()
        with open(self.log.name) as f:
            return f.read()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.chiudi()

    def chiudi(self):
        try:
            self.ws.close()
        except Exception:
            pass
        self.processo.terminate()
        try:
            self.processo.wait(10)
        except subprocess.TimeoutExpired:
            self.processo.kill()
            self.processo.wait()
        self.log.close()
        shutil.rmtree(self.profilo, ignore_errors=True)

    def invia(self, metodo, **parametri):
        """Sends one command and returns its result; events met meanwhile are kept."""
        self.prossimo += 1
        mio = self.prossimo
        self.ws.send(json.dumps({"id": mio, "method": metodo, "params": parametri}))
        while True:
            m = json.loads(self.ws.recv())
            if m.get("id") == mio:
                if "error" in m:
                    raise Errore("%s: %s" % (metodo, m["error"]))
                return m.get("result", {})
            if "method" in m:
                self.eventi.append(m)

    def valuta(self, espressione, attendi=False):
        r = self.invia("Runtime.evaluate", expression=espressione, returnByValue=True,
                       awaitPromise=attendi)
        if "exceptionDetails" in r:
            raise Errore("%s: %s" % (espressione, r["exceptionDetails"]))
        return r["result"].get("value")

    def apri(self, percorso):
        """Opens a file as a page, with console, errors and log recorded from the start."""
        for dominio in ("Runtime", "Log", "Page"):
            self.invia(dominio + ".enable")
        self.invia("Page.navigate", url="file://" + os.path.abspath(percorso))

    def attendi(self, espressione, secondi):
        """Waits until the expression is true; returns its value."""
        fine = time.monotonic() + secondi
        while True:
            try:
                v = self.valuta(espressione)
            except Errore:
                v = None
            if v:
                return v
            if time.monotonic() > fine:
                raise Errore("not within %s s: %s" % (secondi, espressione))
            time.sleep(0.01)

    def primo_quadro(self, secondi):
        """Waits for the page's first frame; with none, fails with what the page said."""
        try:
            self.attendi("typeof Module != 'undefined' && Module.quadri >= 1", secondi)
        except Errore:
            raise Errore("no frame within %s s; the page said: %s" % (secondi, self.messaggi()))

    def messaggi(self):
        """Every console message, log entry and uncaught exception so far, as text."""
        testi = []
        for e in self.eventi:
            p = e["params"]
            if e["method"] == "Runtime.consoleAPICalled":
                testi.append("console.%s: %s" % (p["type"], " ".join(
                    str(a.get("value", a.get("description", ""))) for a in p["args"])))
            elif e["method"] == "Runtime.exceptionThrown":
                d = p["exceptionDetails"]
                e = d.get("exception", {})
                testi.append("exception: %s %s" % (d.get("text", ""),
                                                   e.get("description", e.get("value", ""))))
            elif e["method"] == "Log.entryAdded":
                testi.append("log %s: %s" % (p["entry"]["level"], p["entry"]["text"]))
        return testi

    def rettangolo(self, selettore):
        return self.valuta("(() => { const r = document.querySelector(%s).getBoundingClientRect();"
                           " return [r.left, r.top, r.width, r.height]; })()"
                           % json.dumps(selettore))

    def schermata(self, rettangolo):
        """PNG bytes of the given page rectangle, as shown."""
        x, y, w, h = rettangolo
        r = self.invia("Page.captureScreenshot", format="png",
                       clip={"x": x, "y": y, "width": w, "height": h, "scale": 1})
        return base64.b64decode(r["data"])

    # Input, as the browser's own events: positions in page pixels.
    BOTTONI = {"left": 1, "right": 2, "middle": 4}

    def mouse(self, tipo, x, y, bottone="none", premuti=0, **altro):
        self.invia("Input.dispatchMouseEvent", type=tipo, x=x, y=y, button=bottone,
                   buttons=premuti, clickCount=1 if tipo != "mouseMoved" else 0, **altro)

    def tasto(self, key, code, codice, testo="", modificatori=0):
        """A press and release: key and code as the DOM names them, codice
        the Windows virtual key code, testo the character typed, if any."""
        giu = dict(type="keyDown" if testo else "rawKeyDown", key=key, code=code,
                   windowsVirtualKeyCode=codice, modifiers=modificatori)
        if testo:
            giu["text"] = testo
        self.invia("Input.dispatchKeyEvent", **giu)
        self.invia("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                   windowsVirtualKeyCode=codice, modifiers=modificatori)

    # Files, as a user hands them to the page: absolute paths.
    def scegli_file(self, selettore, percorsi):
        """Sets a file input's files, as the chooser does (input and change follow)."""
        r = self.invia("Runtime.evaluate", expression="document.querySelector(%s)"
                       % json.dumps(selettore))
        self.invia("DOM.setFileInputFiles", files=[os.path.abspath(p) for p in percorsi],
                   objectId=r["result"]["objectId"])

    def trascina_file(self, x, y, percorsi):
        """Files dragged from outside the browser and dropped at page pixel x, y."""
        dati = {"items": [], "files": [os.path.abspath(p) for p in percorsi],
                "dragOperationsMask": 1}   # copy
        for tipo in ("dragEnter", "dragOver", "drop"):
            self.invia("Input.dispatchDragEvent", type=tipo, x=x, y=y, data=dati)

    def finestra(self, larghezza, altezza, densita=1):
        """The window's size in CSS pixels and its device pixel ratio, as a
        device would give them."""
        self.invia("Emulation.setDeviceMetricsOverride", width=larghezza, height=altezza,
                   deviceScaleFactor=densita, mobile=False)

    def sposta(self, sinistra, alto, larghezza, altezza, densita_ora=1, densita_dopo=1):
        """Moves the window (onto another emulated screen, perhaps) and gives
        it larghezza x altezza CSS pixels there. Headless Chromium takes the
        size in the pixels of the screen the window leaves and keeps its
        device pixels: what the window's new density needs is asked here."""
        finestra = self.invia("Browser.getWindowForTarget")["windowId"]
        fattore = densita_dopo / densita_ora
        self.invia("Browser.setWindowBounds", windowId=finestra, bounds={
            "left": sinistra, "top": alto, "width": round(larghezza * fattore),
            "height": round(altezza * fattore)})

    def due_quadri(self):
        self.valuta("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))",
                    attendi=True)

    def tela(self, larghezza, altezza, densita=1, selettore="#canvas"):
        """Sizes the window so that the page, which fits its picture to the
        window, shows it larghezza x altezza CSS pixels; returns the window's size."""
        w, h = larghezza + 100, altezza + 200
        for _ in range(6):
            self.finestra(w, h, densita)
            self.due_quadri()
            _, _, lw, lh = self.rettangolo(selettore)
            if (lw, lh) == (larghezza, altezza):
                return w, h
            # Text above the picture wraps anew at another width: a few rounds.
            w, h = int(w + larghezza - lw), int(h + altezza - lh)
        raise Errore("no window gives a picture of %dx%d (last %sx%s)" % (larghezza, altezza, lw, lh))

    def tocco(self, tipo, punti):
        """A touch event: tipo touchStart, touchMove, touchEnd; punti the
        fingers down after it, as {id: (x, y)} in page pixels."""
        self.invia("Input.dispatchTouchEvent", type=tipo, touchPoints=[
            {"x": x, "y": y, "id": i} for i, (x, y) in sorted(punti.items())])


def controlla_pagina(c, falliti, nome="page"):
    """What every page test requires at its end: the page did not scroll and
    said nothing on its console."""
    scorrimento = c.valuta("[window.scrollX, window.scrollY]")
    if scorrimento != [0, 0]:
        falliti.append("%s scrolled to %s" % (nome, scorrimento))
    for m in c.messaggi():
        falliti.append("%s said: %s" % (nome, m))


def esito(falliti):
    """Prints the failures; the exit status of a test."""
    for f in falliti:
        print("FAILED:", f)
    return 1 if falliti else 0
