#!/usr/bin/env python3
# fabbrica.py FILE... BAD: GNOME's own thumbnail factory (the one the
# file manager uses, which runs each thumbnailer in a bubblewrap sandbox)
# on each FILE and on BAD, with the thumbnailers of XDG_DATA_DIRS. Prints
# one line per check; exits 1 if any failed.
import os, sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import Gio, GLib, GnomeDesktop  # noqa: E402

# The types the desktop entry lists, by the extension the files carry.
TIPI = {".obj": "model/obj", ".stl": "model/stl", ".ply": "model/x-ply",
        ".off": "model/x-geomview-off", ".glb": "model/gltf-binary", ".3mf": "model/3mf"}
LATO = 256  # GNOME's "large" thumbnails
falliti = []


def verifica(cosa, ok):
    print(("ok      " if ok else "FAILED: ") + cosa, flush=True)
    falliti.extend([] if ok else [cosa])
    return ok


*file, errato = sys.argv[1:]
fabbrica = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
for percorso in file + [errato]:
    nome, uri = os.path.basename(percorso), Gio.File.new_for_path(percorso).get_uri()
    mtime, tipo = int(os.stat(percorso).st_mtime), TIPI[os.path.splitext(percorso)[1]]
    verifica(f"{nome}: can_thumbnail {tipo}", fabbrica.can_thumbnail(uri, tipo, mtime))
    try:
        p, errore = fabbrica.generate_thumbnail(uri, tipo, None), "got one"
    except GLib.Error as e:
        p, errore = None, e.message
    if percorso == errato:
        verifica(f"{nome}: no thumbnail ({errore})", p is None)
        continue
    if not verifica(f"{nome}: a thumbnail ({errore})", p is not None):
        continue
    # What is in it is the program's --thumbnail picture (offscreen_miniatura).
    w, h = p.get_width(), p.get_height()
    verifica(f"{nome}: {LATO} by {LATO} with alpha (got {w} by {h})",
             w == h == LATO and p.get_has_alpha())
sys.exit(1 if falliti else 0)
