"""web_prestazioni.py PAGE: how fast the browser page is in headless Chromium with
SwiftShader. Prints one table: the time from opening the page to its first
frame, and the frame times of the default picture and with the edges on.
Measures only; nothing here fails on a slow result."""

import os
import shutil
import statistics
import sys
import tempfile

# The DevTools client the browser tests drive Chromium with.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import devtools  # noqa: E402

APERTURE = int(os.environ.get("WEB_APERTURE", "7"))
QUADRI = int(os.environ.get("WEB_QUADRI", "60"))
TARGET = {"first frame": 1000.0, "frame, default picture": 40.0, "frame, edges on": 60.0}

# Every animation frame asks the viewer for the next redisplay and notes
# when a new frame was drawn: the intervals are what a user sees while
# dragging, the GPU process's work included.
INTERVALLI = """
new Promise(fine => {
  const tempi = [];
  let ultimo = Module.quadri;
  function passo() {
    if (Module.quadri != ultimo) { tempi.push(performance.now()); ultimo = Module.quadri; }
    if (tempi.length > %d) {
      const d = [];
      for (let i = 1; i < tempi.length; i++) d.push(tempi[i] - tempi[i - 1]);
      return fine(d);
    }
    _glutPostRedisplay();
    requestAnimationFrame(passo);
  }
  requestAnimationFrame(passo);
})
"""

# One display call with everything it queued for the GPU finished: Chromium
# takes glFinish for a flush, reading a pixel back waits.
CHIAMATE = """
new Promise(fine => {
  const d = [], pixel = new Uint8Array(4);
  const originale = Browser.mainLoop.runIter;
  Browser.mainLoop.runIter = function (f) {
    const t = performance.now();
    originale.call(this, f);
    GLctx.readPixels(0, 0, 1, 1, GLctx.RGBA, GLctx.UNSIGNED_BYTE, pixel);
    d.push(performance.now() - t);
  };
  let n = 0;
  function passo() {
    if (n++ == %d) { Browser.mainLoop.runIter = originale; return fine(d); }
    _glutPostRedisplay();
    requestAnimationFrame(passo);
  }
  requestAnimationFrame(passo);
})
"""


# The switches of the tests, and the same with the GPU process off: WebGL
# still runs on SwiftShader, but the page is composited in software, which
# frees SwiftShader for the canvas (Chromium then logs a warning for each
# frame it reads back, so the tests do not use it).
CONFIGURAZIONI = [("as tested", []), ("--disable-gpu", ["--disable-gpu"])]
# Chromium's own notes on reading pixels back: the second method above
# reads one back on purpose.
LETTURA = "GPU stall due to ReadPixels"


def misura(percorso, opzioni):
    """[(case, ms, how)] and the page's messages, in one new browser."""
    righe, primi = [], []
    with devtools.Chromium(opzioni) as c:
        for i in range(APERTURE):
            if i == 0:
                c.apri(percorso)
            else:
                c.valuta("window.aperta = %d" % i)     # gone with the old document
                c.invia("Page.reload", ignoreCache=True)
            # Milliseconds from the start of the page's loading.
            primi.append(c.attendi("typeof aperta == 'undefined' && typeof Module != 'undefined'"
                                   " && Module.primoQuadro", 30))
        righe.append(("first frame", statistics.median(primi),
                      "median of %d openings; the first, in a new browser: %.0f ms"
                      % (APERTURE, primi[0])))
        for nome, tasti in (("frame, default picture", ""), ("frame, edges on", "b")):
            for k in tasti:
                n = c.valuta("Module.quadri")
                c.tasto(k, "Key" + k.upper(), ord(k.upper()), k)
                c.attendi("Module.quadri > %d" % n, 30)
            c.valuta(INTERVALLI % 5, attendi=True)          # warm-up
            intervalli = c.valuta(INTERVALLI % QUADRI, attendi=True)
            chiamate = c.valuta(CHIAMATE % QUADRI, attendi=True)
            righe.append((nome, statistics.median(intervalli),
                          "median interval of %d redraws; one display call and a "
                          "pixel read back: %.1f ms" % (QUADRI, statistics.median(chiamate))))
        return righe, [m for m in c.messaggi() if LETTURA not in m]


def main():
    pagina = sys.argv[1]
    cartella = tempfile.mkdtemp(prefix="superficie-web-bench-")
    shutil.copy(pagina, cartella)
    percorso = os.path.join(cartella, os.path.basename(pagina))
    print("%-24s %-14s %10s %8s  %-6s  %s" % ("Web case", "Chromium", "time", "target", "", "how"))
    try:
        for configurazione, opzioni in CONFIGURAZIONI:
            righe, messaggi = misura(percorso, opzioni)
            for nome, ms, come in righe:
                print("%-24s %-14s %7.1f ms %5.0f ms  %-6s  %s" % (
                    nome, configurazione, ms, TARGET[nome],
                    "met" if ms <= TARGET[nome] else "missed", come))
            for m in messaggi:
                print("page said:", m)
    finally:
        shutil.rmtree(cartella, ignore_errors=True)
    print("Page: %d bytes; headless Chromium %s, WebGL on SwiftShader, %d cores" % (
        os.path.getsize(pagina), devtools.versione(), os.cpu_count()))


if __name__ == "__main__":
    main()
