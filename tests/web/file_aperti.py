"""file_aperti.py VIEWER EXPORTER WRITER PAGE [OUT]: files opened in the browser page against the
same files named on the desktop viewer's command line.

Sample files are written here at run time: the built-in surface exported as
NOFF and OBJ by the real exporter, a coloured OFF cube, a binary STL
octahedron, a binary PLY pyramid, a file the readers refuse, and two over
the store's capacities: a vertex too many, and a bumpy sphere of 5120
triangles as binary STL. They are given to one page, in turn, through its
Open button (the file input's files, as the chooser sets them) and by
dropping them on it. A scene that opens must look as the desktop viewer
started with the same files (same tolerance as confronto.py); a refused one
must show the desktop's message, without "superficie: ", and leave the
picture exactly as it was. The surface again as glTF (a GLB, and a .gltf picked together with its
buffer) and 3MF, by WRITER (the end-to-end tests' scrivi_pacchetti), too; a .gltf picked without its buffer is refused with a
message naming it. A file over a capacity is fitted: the page shows,
beside the picture and not as an error, the line the desktop prints for it
(without "superficie: "), and a later scene without one takes it away.
Fails also on any console message, log entry or uncaught exception of the
page. OUT, if given, keeps the pictures (PPM)."""

import math
import os
import re
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

# (what, how, files, what happens): "refused" is a scene the desktop
# refuses, "opens" one it opens saying nothing, and for a scene with files
# fitted to the store the names of those files.
CASI = [
    ("a bad file, first thing", "chooser", ["malo.off"], "refused"),
    ("the surface as OBJ", "chooser", ["superficie.obj"], "opens"),
    ("two files", "chooser", ["cubo.off", "ottaedro.stl"], "opens"),
    ("five files", "chooser", ["cubo.off", "ottaedro.stl", "piramide.ply", "superficie.off",
                               "superficie.obj"], "refused"),
    ("over the capacity, after a good one", "chooser", ["cubo.off", "troppi.off"],
     ["troppi.off"]),
    ("a bad file after a fitted scene", "chooser", ["malo.off"], "refused"),
    ("four files", "chooser", ["superficie.off", "cubo.off", "ottaedro.stl", "piramide.ply"], "opens"),
    ("a large sphere", "chooser", ["sfera.stl"], ["sfera.stl"]),
    ("a bad file dropped", "drop", ["cubo.off", "malo.off"], "refused"),
    ("one file dropped", "drop", ["piramide.ply"], "opens"),
    ("two large files dropped", "drop", ["sfera.stl", "troppi.off"], ["sfera.stl", "troppi.off"]),
    ("two files dropped", "drop", ["ottaedro.stl", "superficie.obj"], "opens"),
    ("a GLB", "chooser", ["superficie.glb"], "opens"),
    # Picked together, in any order; its folder on the desktop.
    ("a glTF with its buffer", "chooser", ["m.bin", "superficie.gltf"], "opens"),
    ("a 3MF", "chooser", ["superficie.3mf"], "opens"),
    ("glTF, 3MF and OFF together", "chooser", ["superficie.gltf", "superficie.3mf", "cubo.off",
                                               "m.bin"], "opens"),
]
# A glTF picked without its buffer: refused with a message that names the
# buffer, the picture left as it was. (The desktop, which looks beside the
# file, words it otherwise.)
SENZA_BUFFER = ("a glTF without its buffer", ["superficie.gltf"], "m.bin")
# What the fitting line says after the file's name.
NOTA = re.compile(r"^(\d+) faces shown as (\d+) \(a polyhedron holds 5000\)$")


def scrivi_campioni(cartella, exporter, scrittore):
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
    # The surface as GLB, as glTF with its buffer beside it, and as 3MF, by
    # the end-to-end tests' own writer.
    pacchetti = os.path.join(cartella, "pacchetti")
    os.makedirs(pacchetti)
    subprocess.run([scrittore, os.path.join(cartella, "superficie.off"), pacchetti], check=True)
    for da, a in (("m.glb", "superficie.glb"), ("m.gltf", "superficie.gltf"), ("m.bin", "m.bin"),
                  ("m.3mf", "superficie.3mf")):
        shutil.copy(os.path.join(pacchetti, da), os.path.join(cartella, a))
    # A sphere subdivided four times, 5120 triangles, with bumps: over the
    # faces an object holds, as a triangle soup.
    scrivi("sfera.stl", sfera_stl(4))
    # One vertex more than an object holds.
    n = 3001
    scrivi("troppi.off", "OFF\n%d 1 0\n" % n + "".join("%d %d 0\n" % (i % 60, i // 60)
                                                       for i in range(n)) + "3 0 1 60\n")


def sfera_stl(volte):
    """A binary STL of an icosahedron subdivided volte times onto a bumpy sphere."""
    t = (1 + 5 ** 0.5) / 2
    v = [(-1, t, 0), (1, t, 0), (-1, -t, 0), (1, -t, 0), (0, -1, t), (0, 1, t),
         (0, -1, -t), (0, 1, -t), (t, 0, -1), (t, 0, 1), (-t, 0, -1), (-t, 0, 1)]
    f = [(0, 11, 5), (0, 5, 1), (0, 1, 7), (0, 7, 10), (0, 10, 11), (1, 5, 9), (5, 11, 4),
         (11, 10, 2), (10, 7, 6), (7, 1, 8), (3, 9, 4), (3, 4, 2), (3, 2, 6), (3, 6, 8),
         (3, 8, 9), (4, 9, 5), (2, 4, 11), (6, 2, 10), (8, 6, 7), (9, 8, 1)]
    for _ in range(volte):
        medi, nuove = {}, []

        def medio(a, b):
            k = (min(a, b), max(a, b))
            if k not in medi:
                medi[k] = len(v)
                v.append(tuple((p + q) / 2 for p, q in zip(v[a], v[b])))
            return medi[k]
        for a, b, c in f:
            ab, bc, ca = medio(a, b), medio(b, c), medio(c, a)
            nuove += [(a, ab, ca), (b, bc, ab), (c, ca, bc), (ab, bc, ca)]
        f = nuove

    def su_sfera(p):
        r = math.sqrt(sum(x * x for x in p))
        x, y, z = (c / r for c in p)
        raggio = 3 * (1 + 0.15 * math.sin(3 * x) * math.cos(4 * y) + 0.1 * math.sin(5 * z))
        return (x * raggio, y * raggio, z * raggio)
    p = [su_sfera(q) for q in v]
    return b"bumpy sphere".ljust(80, b" ") + struct.pack("<I", len(f)) + b"".join(
        struct.pack("<12f2x", 0, 0, 0, *(x for i in t for x in p[i])) for t in f)


def rifiuto_desktop(viewer, cartella, file):
    """The desktop's one line for these files, without "superficie: "."""
    r = subprocess.run([viewer] + file, cwd=cartella, capture_output=True, text=True,
                       timeout=ATTESA_DESKTOP)
    righe = r.stderr.splitlines()
    assert r.returncode == 2 and len(righe) == 1 and righe[0].startswith("superficie: "), \
        "desktop %s: status %d, %r" % (file, r.returncode, r.stderr)
    return righe[0][len("superficie: "):]


def quadro_desktop(viewer, cartella, file, atteso=""):
    """The desktop's picture of these files; on its standard error atteso."""
    d = Desktop(viewer, file, cartella)
    try:
        return d.ultima
    finally:
        detto = []
        d.chiudi(detto, atteso)
        assert not detto, detto[0]


def salva(uscita, i, chi, immagine):
    if uscita:
        os.makedirs(uscita, exist_ok=True)
        with open(os.path.join(uscita, "%02d-%s.ppm" % (i, chi)), "wb") as f:
            f.write(immagine)


def main():
    viewer, exporter, scrittore, pagina = sys.argv[1:5]
    uscita = sys.argv[5] if len(sys.argv) > 5 else None
    lavoro = tempfile.mkdtemp(prefix="superficie-web-file-")
    campioni = os.path.join(lavoro, "file")
    os.makedirs(campioni)
    scrivi_campioni(campioni, exporter, scrittore)
    falliti = []
    p = Pagina(pagina, os.path.join(lavoro, "pagina"))
    c = p.c
    try:
        indirizzo = c.valuta("document.URL")

        def schermata():
            return ppm(c.schermata(c.rettangolo("#canvas")))

        def messaggio(quale="messaggio"):
            return c.valuta("(e => e.hidden ? '' : e.textContent)(document.getElementById(%r))"
                            % quale)

        def nota_di(nome, note):
            """The fitting line of file nome among the page's notes, or a failure."""
            righe = [r for r in note.splitlines() if r.startswith(nome + ": ")]
            if len(righe) != 1 or not NOTA.match(righe[0][len(nome) + 2:]):
                return None
            return righe[0]

        totale = confronto.LARGHEZZA * confronto.ALTEZZA
        prima = schermata()
        nota_prima = ""
        for i, (nome, come, file, esito) in enumerate(CASI):
            percorsi = [os.path.join(campioni, f) for f in file]
            n = c.valuta("Module.aperture || 0")
            if come == "chooser":
                c.scegli_file("#apri", percorsi)
            else:
                x, y, w, h = c.rettangolo("#canvas")
                c.trascina_file(x + w / 2, y + h / 2, percorsi)
            c.attendi("(Module.aperture || 0) > %d" % n, ATTESA_APERTURA)
            p.calma()
            # A note of two lines takes height from the picture, and one
            # gone gives it back: the window that gives the desktop's size.
            if c.valuta("[Module.canvas.width, Module.canvas.height]") != [
                    confronto.LARGHEZZA, confronto.ALTEZZA]:
                p.dimensiona(confronto.LARGHEZZA, confronto.ALTEZZA)
            w = schermata()
            detto = messaggio()
            nota = messaggio("nota")
            if esito != "refused":
                adattati = esito if isinstance(esito, list) else []
                righe = [nota_di(f, nota) for f in adattati]
                if None in righe or len(nota.splitlines()) != len(adattati):
                    falliti.append("%s: the page's note is %r, for the fitted %s" % (
                        nome, nota, adattati))
                    righe = [r for r in righe if r]
                # The desktop prints the same lines, in the same order.
                atteso = "".join("superficie: %s\n" % r for r in righe)
                print("%-36s note: %r" % (nome, nota))
                # The desktop is named the models; it finds a glTF's buffers beside it.
                d = quadro_desktop(viewer, campioni, [f for f in file if not f.endswith(".bin")],
                                   atteso)
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
                if nota != nota_prima:
                    falliti.append("%s: the note went from %r to %r" % (nome, nota_prima, nota))
            salva(uscita, i, "page", w)
            # Keys go on reaching the viewer.
            if c.valuta("document.activeElement.id") != "canvas":
                falliti.append("%s: the canvas lost the keyboard focus" % nome)
            prima, nota_prima = w, nota
        # Alone, without the buffer it names.
        nome, file, manca = SENZA_BUFFER
        n = c.valuta("Module.aperture || 0")
        c.scegli_file("#apri", [os.path.join(campioni, f) for f in file])
        c.attendi("(Module.aperture || 0) > %d" % n, ATTESA_APERTURA)
        p.calma()
        detto = messaggio()
        print("%-36s refused: %s" % (nome, detto))
        if not detto.startswith(file[0] + ": ") or manca not in detto:
            falliti.append("%s: the page says %r, naming not %s" % (nome, detto, manca))
        if schermata() != prima or messaggio("nota") != nota_prima:
            falliti.append("%s: the picture or its note changed" % nome)
        if c.valuta("document.URL") != indirizzo:
            falliti.append("the browser left the page for %s" % c.valuta("document.URL"))
        navigatore.controlla_pagina(c, falliti)
    finally:
        c.chiudi()
        shutil.rmtree(lavoro, ignore_errors=True)
    return navigatore.esito(falliti)


if __name__ == "__main__":
    sys.exit(main())
