"""file_aperti.py VIEWER EXPORTER PAGE [OUT]: files opened in the browser page against the
same files named on the desktop viewer's command line.

Sample files are written here at run time: the built-in surface exported as
NOFF and OBJ by the real exporter, a coloured OFF cube, a binary STL
octahedron, a binary PLY pyramid, a file the readers refuse and one over the
store's capacity. They are given to one page, in turn, through its Open
button (the file input's files, as the chooser sets them) and by dropping
them on it. A scene that opens must look as the desktop viewer started
with the same files (same tolerance as confronto.py); a refused one must
show the desktop's message, without "superficie: ", and leave the picture
exactly as it was. Fails also on any console message, log entry or
uncaught exception of the page. OUT, if given, keeps the pictures (PPM)."""

import os
import struct
import subprocess
import sys
import tempfile
import shutil

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import confronto  # noqa: E402
import navigatore  # noqa: E402
from confronto import Desktop, Pagina, ppm, confronta, SOGLIA, QUOTA_DIVERSI  # noqa: E402

# Seconds: deadlines for a loaded machine, not expectations.
ATTESA_APERTURA = 30
ATTESA_DESKTOP = 60

# (what, how, files, opens): opens False is a scene the desktop refuses.
CASI = [
    ("a bad file, first thing", "chooser", ["malo.off"], False),
    ("the surface as OBJ", "chooser", ["superficie.obj"], True),
    ("two files", "chooser", ["cubo.off", "ottaedro.stl"], True),
    ("five files", "chooser", ["cubo.off", "ottaedro.stl", "piramide.ply", "superficie.off",
                               "superficie.obj"], False),
    ("over the capacity, after a good one", "chooser", ["cubo.off", "troppi.off"], False),
    ("four files", "chooser", ["superficie.off", "cubo.off", "ottaedro.stl", "piramide.ply"], True),
    ("a bad file dropped", "drop", ["cubo.off", "malo.off"], False),
    ("one file dropped", "drop", ["piramide.ply"], True),
    ("two files dropped", "drop", ["ottaedro.stl", "superficie.obj"], True),
]


def scrivi_campioni(cartella, exporter):
    def scrivi(nome, dati):
        with open(os.path.join(cartella, nome), "wb" if isinstance(dati, bytes) else "w") as f:
            f.write(dati)

    subprocess.run([exporter, os.path.join(cartella, "superficie.off")], check=True)
    subprocess.run([exporter, "--obj", os.path.join(cartella, "superficie.obj")], check=True)
    # A cube, each face its own colour (RGB 0..1 after the indices).
    v = [(x, y, z) for x in (-1, 1) for y in (-1, 1) for z in (-1, 1)]
    facce = [((0, 1, 3, 2), "1 0 0"), ((4, 6, 7, 5), "0 1 0"), ((0, 4, 5, 1), "0 0 1"),
             ((2, 3, 7, 6), "1 1 0"), ((0, 2, 6, 4), "1 0 1"), ((1, 5, 7, 3), "0 1 1")]
    scrivi("cubo.off", "OFF\n8 6 12\n" + "".join("%d %d %d\n" % p for p in v) +
           "".join("4 %d %d %d %d %s\n" % (f + (c,)) for f, c in facce))
    # An octahedron, longer along y, as binary STL.
    o = [(1.5, 0, 0), (-1.5, 0, 0), (0, 3, 0), (0, -3, 0), (0, 0, 1.5), (0, 0, -1.5)]
    tri = [(0, 2, 4), (2, 1, 4), (1, 3, 4), (3, 0, 4), (2, 0, 5), (1, 2, 5), (3, 1, 5), (0, 3, 5)]
    stl = b"octahedron".ljust(80, b" ") + struct.pack("<I", len(tri))
    for t in tri:
        stl += struct.pack("<3f", 0, 0, 0) + b"".join(struct.pack("<3f", *o[i]) for i in t)
        stl += b"\0\0"
    scrivi("ottaedro.stl", stl)
    # A square pyramid, binary little-endian PLY with a colour per face.
    p = [(-2, -1, -2), (2, -1, -2), (2, -1, 2), (-2, -1, 2), (0, 2.5, 0)]
    f = [((0, 1, 2, 3), (200, 40, 40)), ((0, 4, 1), (40, 200, 40)), ((1, 4, 2), (40, 40, 200)),
         ((2, 4, 3), (230, 230, 230)), ((3, 4, 0), (250, 140, 0))]
    ply = ("ply\nformat binary_little_endian 1.0\nelement vertex %d\n"
           "property float x\nproperty float y\nproperty float z\nelement face %d\n"
           "property list uchar int vertex_indices\nproperty uchar red\n"
           "property uchar green\nproperty uchar blue\nend_header\n" % (len(p), len(f))).encode()
    ply += b"".join(struct.pack("<3f", *q) for q in p)
    for ind, rgb in f:
        ply += struct.pack("<B%di3B" % len(ind), len(ind), *(ind + rgb))
    scrivi("piramide.ply", ply)
    # A face naming a vertex that is not there.
    scrivi("malo.off", "OFF\n4 2 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 1 2\n3 0 2 7\n")
    # One vertex more than an object holds.
    n = 3001
    scrivi("troppi.off", "OFF\n%d 1 0\n" % n + "".join("%d %d 0\n" % (i % 60, i // 60)
                                                       for i in range(n)) + "3 0 1 60\n")


def rifiuto_desktop(viewer, cartella, file):
    """The desktop's one line for these files, without "superficie: "."""
    r = subprocess.run([viewer] + file, cwd=cartella, capture_output=True, text=True,
                       timeout=ATTESA_DESKTOP)
    righe = r.stderr.splitlines()
    assert r.returncode == 2 and len(righe) == 1 and righe[0].startswith("superficie: "), \
        "desktop %s: status %d, %r" % (file, r.returncode, r.stderr)
    return righe[0][len("superficie: "):]


def quadro_desktop(viewer, cartella, file):
    d = Desktop(viewer, file, cartella)
    try:
        return d.ultima
    finally:
        detto = []
        d.chiudi(detto)
        assert not detto, detto[0]


def salva(uscita, i, chi, immagine):
    if uscita:
        os.makedirs(uscita, exist_ok=True)
        with open(os.path.join(uscita, "%02d-%s.ppm" % (i, chi)), "wb") as f:
            f.write(immagine)


def main():
    viewer, exporter, pagina = sys.argv[1:4]
    uscita = sys.argv[4] if len(sys.argv) > 4 else None
    lavoro = tempfile.mkdtemp(prefix="superficie-web-file-")
    campioni = os.path.join(lavoro, "file")
    os.makedirs(campioni)
    scrivi_campioni(campioni, exporter)
    falliti = []
    p = Pagina(pagina, os.path.join(lavoro, "pagina"))
    c = p.c
    try:
        indirizzo = c.valuta("document.URL")

        def schermata():
            return ppm(c.schermata(c.rettangolo("#canvas")))

        def messaggio():
            return c.valuta("(e => e.hidden ? '' : e.textContent)(document.getElementById('messaggio'))")

        totale = confronto.LARGHEZZA * confronto.ALTEZZA
        prima = schermata()
        for i, (nome, come, file, apre) in enumerate(CASI):
            percorsi = [os.path.join(campioni, f) for f in file]
            n = c.valuta("Module.aperture || 0")
            if come == "chooser":
                c.scegli_file("#apri", percorsi)
            else:
                x, y, w, h = c.rettangolo("#canvas")
                c.trascina_file(x + w / 2, y + h / 2, percorsi)
            c.attendi("(Module.aperture || 0) > %d" % n, ATTESA_APERTURA)
            p.calma()
            w = schermata()
            detto = messaggio()
            if apre:
                d = quadro_desktop(viewer, campioni, file)
                oltre, massimo, _ = confronta(d, w)
                print("%-36s %7d pixels beyond %d (%.4f %%), largest difference %3d" % (
                    nome, oltre, SOGLIA, 100.0 * oltre / totale, massimo))
                if oltre > QUOTA_DIVERSI * totale:
                    falliti.append("%s: %d pixels differ from the desktop's" % (nome, oltre))
                if detto:
                    falliti.append("%s: the page still says %r" % (nome, detto))
                salva(uscita, i, "desktop", d)
            else:
                atteso = rifiuto_desktop(viewer, campioni, file)
                print("%-36s refused: %s" % (nome, detto))
                if detto != atteso:
                    falliti.append("%s: the page says %r, the desktop %r" % (nome, detto, atteso))
                if w != prima:
                    falliti.append("%s: the picture changed" % nome)
            salva(uscita, i, "page", w)
            # Keys go on reaching the viewer.
            if c.valuta("document.activeElement.id") != "canvas":
                falliti.append("%s: the canvas lost the keyboard focus" % nome)
            prima = w
        if c.valuta("document.URL") != indirizzo:
            falliti.append("the browser left the page for %s" % c.valuta("document.URL"))
        navigatore.controlla_pagina(c, falliti)
    finally:
        c.chiudi()
        shutil.rmtree(lavoro, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
