#!/usr/bin/env python3
# fabbrica.py FILE... BAD: GNOME's own thumbnail factory (the one the
# file manager uses, which runs each thumbnailer in a bubblewrap sandbox)
# on each FILE and on BAD, with the thumbnailers of XDG_DATA_DIRS. Prints
# one line per file; exits 1 if any is not as expected.
import os, sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import Gio, GLib, GnomeDesktop  # noqa: E402

# The types the desktop entry lists, by the extension the files carry.
TIPI = {".obj": "model/obj", ".stl": "model/stl", ".ply": "model/x-ply",
        ".off": "model/x-geomview-off", ".glb": "model/gltf-binary", ".3mf": "model/3mf"}
# GNOME's "large" thumbnails; what is in them is the program's --thumbnail
# picture (offscreen_miniatura).
ATTESA = "256 by 256 with alpha"
fabbrica = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)


def miniatura(percorso):
    uri = Gio.File.new_for_path(percorso).get_uri()
    try:
        p = fabbrica.generate_thumbnail(uri, TIPI[os.path.splitext(percorso)[1]], None)
    except GLib.Error as e:
        return "none: " + e.message
    if not p:
        return "none"
    return f"{p.get_width()} by {p.get_height()}" + (" with alpha" if p.get_has_alpha() else "")


*file, errato = sys.argv[1:]
falliti = 0
for percorso in file + [errato]:
    visto = miniatura(percorso)
    ok = visto.startswith("none") if percorso == errato else visto == ATTESA
    print(("ok      " if ok else "FAILED: ") + f"{os.path.basename(percorso)}: {visto}", flush=True)
    falliti += not ok
sys.exit(1 if falliti else 0)
