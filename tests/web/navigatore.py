# navigatore.py: Debian's headless Chromium driven over the DevTools
# protocol, for the browser page's tests and benchmarks. A small client over
# python3-websocket: one page, commands answered in order, events kept.
import base64, json, os, shutil, subprocess, tempfile, time, urllib.request

import websocket

CHROMIUM = os.environ.get("CHROMIUM", "/usr/lib/chromium/chromium")
# WebGL with no GPU: SwiftShader through ANGLE. Without the networking
# switches a fresh profile tries to reach Google's services and logs every
# refused connection. No sandbox: refused as root, and the pages are our own.
OPZIONI = ("--headless --use-angle=swiftshader --enable-unsafe-swiftshader --no-first-run "
           "--no-default-browser-check --disable-background-networking --disable-component-update "
           "--disable-sync --disable-extensions --disable-default-apps --mute-audio "
           "--window-size=1100,1000 --remote-debugging-port=0 --no-sandbox").split()
ATTESA_AVVIO = 30   # seconds; a cold start on a loaded 2-core machine takes a few
BOTTONI = {"left": 1, "right": 2, "middle": 4}


class Errore(Exception):
    pass


def entro(secondi, cosa, funzione):
    # funzione's first true value within secondi (its exceptions count as
    # false); otherwise Errore naming cosa.
    fine = time.monotonic() + secondi
    while True:
        try:
            v = funzione()
        except (Errore, OSError, ValueError):
            v = None
        if v:
            return v
        if time.monotonic() > fine:
            raise Errore("not within %s s: %s" % (secondi, cosa))
        time.sleep(0.02)


class Chromium:
    # A headless Chromium with a fresh profile and one page, about:blank;
    # its screens of density 1 unless schermi (then each emulated screen has its own).

    def __init__(self, opzioni=(), schermi=False):
        self.profilo = tempfile.mkdtemp(prefix="superficie-chromium-")
        argomenti = [CHROMIUM] + OPZIONI + list(opzioni) + ["--user-data-dir=" + self.profilo]
        argomenti += [] if schermi else ["--force-device-scale-factor=1"]
        self.log = open(os.path.join(self.profilo, "stderr.txt"), "w")
        self.processo = subprocess.Popen(argomenti + ["about:blank"], stdout=subprocess.DEVNULL,
                                         stderr=self.log)

        def porta():
            if self.processo.poll() is not None:
                raise RuntimeError("chromium ended at start: " + open(self.log.name).read())
            with open(os.path.join(self.profilo, "DevToolsActivePort")) as f:
                return int(f.readline())

        numero = entro(ATTESA_AVVIO, "a DevTools port", porta)

        def pagine():
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % numero) as r:
                return [t["webSocketDebuggerUrl"] for t in json.load(r) if t["type"] == "page"]
        indirizzo = entro(ATTESA_AVVIO, "a page", pagine)[0]
        self.ws = websocket.create_connection(indirizzo, timeout=120, suppress_origin=True)
        self.prossimo, self.eventi = 0, []

    def chiudi(self):   # nothing of a throwaway profile is worth a clean exit
        self.processo.kill()
        self.processo.wait()
        self.log.close()
        shutil.rmtree(self.profilo, ignore_errors=True)

    def invia(self, metodo, **parametri):
        # Sends one command and returns its result; events met meanwhile are kept.
        self.prossimo += 1
        self.ws.send(json.dumps({"id": self.prossimo, "method": metodo, "params": parametri}))
        while True:
            m = json.loads(self.ws.recv())
            if m.get("id") == self.prossimo:
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
        # Opens a file as a page, with console, errors and log recorded from the start.
        for dominio in ("Runtime", "Log", "Page"):
            self.invia(dominio + ".enable")
        self.invia("Page.navigate", url="file://" + os.path.abspath(percorso))

    def attendi(self, espressione, secondi):
        # Waits until the expression is true; returns its value.
        return entro(secondi, espressione, lambda: self.valuta(espressione))

    def messaggi(self):
        # Every console message, log entry and uncaught exception so far, as text.
        return ["%s: %s" % (e["method"], json.dumps(e["params"])) for e in self.eventi if e["method"]
                in ("Runtime.consoleAPICalled", "Runtime.exceptionThrown", "Log.entryAdded")]

    def rettangolo(self, selettore):
        return self.valuta("(r => [r.left, r.top, r.width, r.height])(document.querySelector(%s)"
                           ".getBoundingClientRect())" % json.dumps(selettore))

    def schermata(self, rettangolo):
        # PNG bytes of the given page rectangle, as shown.
        r = self.invia("Page.captureScreenshot", format="png",
                       clip=dict(zip(("x", "y", "width", "height"), rettangolo), scale=1))
        return base64.b64decode(r["data"])

    def mouse(self, tipo, x, y, bottone="none", premuti=0, **altro):
        # Input as the browser's own events: positions in page pixels.
        self.invia("Input.dispatchMouseEvent", type=tipo, x=x, y=y, button=bottone,
                   buttons=premuti, clickCount=1 if tipo != "mouseMoved" else 0, **altro)

    def tasti(self, *eventi):
        # Keys pressed in order and released in reverse, each (key, code, Windows
        # virtual key code, text typed, DevTools modifier bits).
        for key, code, vk, testo, mod in eventi:
            self.invia("Input.dispatchKeyEvent", type="keyDown" if testo else "rawKeyDown",
                       key=key, code=code, windowsVirtualKeyCode=vk, modifiers=mod,
                       **({"text": testo} if testo else {}))
        for key, code, vk, testo, mod in reversed(eventi):
            self.invia("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                       windowsVirtualKeyCode=vk, modifiers=mod)

    def scegli_file(self, selettore, percorsi):
        # Sets a file input's files, as the chooser does (input and change follow).
        r = self.invia("Runtime.evaluate", expression="document.querySelector(%s)"
                       % json.dumps(selettore))
        self.invia("DOM.setFileInputFiles", files=[os.path.abspath(p) for p in percorsi],
                   objectId=r["result"]["objectId"])

    def trascina_file(self, x, y, percorsi):
        # Files dragged from outside the browser and dropped at page pixel x, y.
        dati = {"items": [], "files": [os.path.abspath(p) for p in percorsi],
                "dragOperationsMask": 1}   # copy
        for tipo in ("dragEnter", "dragOver", "drop"):
            self.invia("Input.dispatchDragEvent", type=tipo, x=x, y=y, data=dati)

    def finestra(self, larghezza, altezza, densita=1):
        # The window's size in CSS pixels and its device pixel ratio, as a device gives them.
        self.invia("Emulation.setDeviceMetricsOverride", width=larghezza, height=altezza,
                   deviceScaleFactor=densita, mobile=False)

    def sposta(self, sinistra, alto, larghezza, altezza, densita_ora=1, densita_dopo=1):
        # Moves the window (onto another emulated screen, perhaps) and gives
        # it larghezza x altezza CSS pixels there. Headless Chromium takes the
        # size in the pixels of the screen the window leaves and keeps its
        # device pixels: what the window's new density needs is asked here.
        finestra = self.invia("Browser.getWindowForTarget")["windowId"]
        f = densita_dopo / densita_ora
        self.invia("Browser.setWindowBounds", windowId=finestra, bounds={
            "left": sinistra, "top": alto, "width": round(larghezza * f),
            "height": round(altezza * f)})

    def due_quadri(self):
        self.valuta("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))",
                    attendi=True)

    def calma(self):
        # Two animation frames with no new picture: every posted redisplay is drawn.
        while True:
            n = self.valuta("Module.quadri")
            self.due_quadri()
            if self.valuta("Module.quadri") == n:
                return

    def tela(self, larghezza, altezza, densita=1, selettore="#canvas"):
        # Sizes the window so that the page, which fits its picture to the
        # window, shows it larghezza x altezza CSS pixels; returns the window's size.
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
