#!/usr/bin/env python3
"""fabbrica.py OUT FILE... BAD: GNOME's own thumbnail factory (the one the
file manager uses, which runs each thumbnailer in a bubblewrap sandbox)
on each FILE and on BAD, with the thumbnailers of XDG_DATA_DIRS. Prints one
line per check; exits 1 if any failed."""
import os
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib, GnomeDesktop  # noqa: E402

# The types the desktop entry lists, by the extension the files carry.
TIPI = {".obj": "model/obj", ".stl": "model/stl", ".ply": "model/x-ply",
        ".off": "model/x-geomview-off", ".glb": "model/gltf-binary", ".3mf": "model/3mf"}
LATO = 256  # GNOME's "large" thumbnails

falliti = 0


def verifica(cosa, ok):
    global falliti
    print(("ok      " if ok else "FAILED: ") + cosa, flush=True)
    falliti += 0 if ok else 1


def alfa(pixbuf, x, y):
    riga = pixbuf.get_rowstride()
    return pixbuf.get_pixels()[y * riga + x * pixbuf.get_n_channels() + 3]


def main():
    out, *file, errato = sys.argv[1:]
    fabbrica = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
    for percorso in file + [errato]:
        nome = os.path.basename(percorso)
        uri = Gio.File.new_for_path(percorso).get_uri()
        mtime = int(os.stat(percorso).st_mtime)
        tipo = TIPI[os.path.splitext(percorso)[1]]
        verifica(f"{nome}: can_thumbnail {tipo}", fabbrica.can_thumbnail(uri, tipo, mtime))
        try:
            pixbuf = fabbrica.generate_thumbnail(uri, tipo, None)
        except GLib.Error as e:
            pixbuf = None
            errore = e.message
        if percorso == errato:
            verifica(f"{nome}: no thumbnail ({errore if pixbuf is None else 'got one'})",
                     pixbuf is None)
            continue
        if pixbuf is None:
            verifica(f"{nome}: a thumbnail ({errore})", False)
            continue
        w, h = pixbuf.get_width(), pixbuf.get_height()
        verifica(f"{nome}: {LATO} by {LATO} with alpha (got {w} by {h})",
                 w == h == LATO and pixbuf.get_has_alpha())
        if not (w == h == LATO and pixbuf.get_has_alpha()):
            continue
        angoli = [alfa(pixbuf, x, y) for x in (0, w - 1) for y in (0, h - 1)]
        verifica(f"{nome}: transparent corners", angoli == [0, 0, 0, 0])
        verifica(f"{nome}: an opaque object in the middle", alfa(pixbuf, w // 2, h // 2) == 255)
        fabbrica.save_thumbnail(pixbuf, uri, mtime, None)
        salvata = fabbrica.lookup(uri, mtime)
        verifica(f"{nome}: saved where the file manager looks ({salvata})",
                 salvata is not None and salvata.startswith(out)
                 and GdkPixbuf.Pixbuf.new_from_file(salvata).get_width() == LATO)
    sys.exit(1 if falliti else 0)


main()
