#!/usr/bin/env python3
# sorgente_xdnd.py X Y URI...: a GTK 3 window at (X, Y), titled "sorgente",
# whose one button is a drag source offering text/uri-list with the URIs as
# given. As the drag ends it prints "finished" when the target sent
# XdndFinished ("unfinished" otherwise), and quits.
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

uri = sys.argv[3:]
finestra = Gtk.Window(title="sorgente")
finestra.move(int(sys.argv[1]), int(sys.argv[2]))
bottone = Gtk.Button(label="file")
bottone.set_size_request(120, 80)
finestra.add(bottone)
bottone.drag_source_set(Gdk.ModifierType.BUTTON1_MASK,
                        [Gtk.TargetEntry.new("text/uri-list", 0, 0)], Gdk.DragAction.COPY)
bottone.connect("drag-data-get", lambda w, c, sel, i, t: sel.set_uris(uri))

finito = []
# XdndFinished: GTK 3 tells whether it came, not what it said.
bottone.connect("drag-begin", lambda w, c: c.connect("dnd-finished", lambda c: finito.append(1)))


def fine(w, contesto):
    print("finished" if finito else "unfinished", flush=True)
    Gtk.main_quit()


bottone.connect("drag-end", fine)
finestra.show_all()
Gtk.main()
