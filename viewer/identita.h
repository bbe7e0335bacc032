// identita.h: what the viewer's window tells the desktop about the program.
#ifndef SUPERFICIE_VIEWER_IDENTITA_H
#define SUPERFICIE_VIEWER_IDENTITA_H

// On the current GLX window, freeglut's top-level one right after
// glutCreateWindow: WM_CLASS "superficie", "Superficie"; _NET_WM_PID with
// WM_CLIENT_MACHINE; _NET_WM_ICON from packaging/icona_finestra.inc. Desktop
// only: the browser page has no X server.
void dichiara_identita();

#endif
