// identita.cpp: the window's class, process and icon. freeglut sets none of
// them, so a taskbar or dock would show a generic icon and could not match
// the window to superficie.desktop (StartupWMClass=Superficie).
#include "viewer/identita.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

// Xlib passes 32-bit property data as one long per item, 64 bits wide here.
static const unsigned long icona[] = {
#include "packaging/icona_finestra.inc"
};

void dichiara_identita()
{
    Display *dpy = glXGetCurrentDisplay();
    const Window w = glXGetCurrentDrawable();
    if (dpy == nullptr || w == None)
        return;

    // freeglut has mapped the window already and offers no hook before that;
    // window managers read these again when they change.
    char nome[] = "superficie", classe[] = "Superficie";
    XClassHint hint = {nome, classe};
    XSetClassHint(dpy, w, &hint);

    // A PID means something only together with the machine it runs on.
    char macchina[256] = {};
    if (gethostname(macchina, sizeof macchina - 1) == 0 && macchina[0] != '\0') {
        char *elenco[] = {macchina};
        XTextProperty testo;
        if (XStringListToTextProperty(elenco, 1, &testo)) {
            XSetWMClientMachine(dpy, w, &testo);
            XFree(testo.value);
        }
        const unsigned long pid = (unsigned long)getpid();
        XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, (const unsigned char *)&pid, 1);
    }

    XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, (const unsigned char *)icona,
                    (int)(sizeof icona / sizeof icona[0]));
    XFlush(dpy);
}
