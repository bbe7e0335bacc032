// rilascio.h: files dropped onto the window, by the X drag-and-drop
// protocol XDND (version 5), as a text/uri-list.
//
// freeglut has no drop callback and hands the program no client messages,
// so the drop is taken beside it: a second connection to the same X server
// has a window of its own, never mapped, and the GLUT window's XdndProxy
// names it, so that a drag source sends it every XDND message. Polled from
// the window's timer (viewer/vivi.h), it answers XdndPosition with
// XdndStatus (a copy, when the source offers text/uri-list), asks for the
// selection on XdndDrop, hands its text over and ends with XdndFinished.
#ifndef SUPERFICIE_VIEWER_RILASCIO_H
#define SUPERFICIE_VIEWER_RILASCIO_H

#include <cstddef>

// Takes drops for the current GLUT window from now on; prende receives the
// text/uri-list of each drop and says whether it took it. Without a second
// connection there are no drops, and nothing is said.
void prepara_rilascio(bool (*prende)(const char *testo, size_t n));

// Handles whatever the drop's connection has received, waiting for nothing;
// adesso in seconds gives up on a selection that never comes.
void rilascio_passo(double adesso);

#endif
