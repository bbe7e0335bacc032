// rilascio.cpp: XDND on a connection of its own.
#include "viewer/rilascio.h"

#include <cstdio>
#include <cstring>

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

constexpr long VERSIONE_XDND = 5;
constexpr double ATTESA_SELEZIONE = 5.0;   // seconds a source may take to hand the list over
constexpr long MASSIMO_ELENCO = 1 << 18;   // 32-bit units of the list read: 1 MiB

namespace {
enum Nome {
    AWARE, PROXY, ENTER, POSITION, STATUS, LEAVE, DROP, FINISHED, SELECTION, COPY, TYPE_LIST,
    URI_LIST, INCR, PROPRIETA, NUM_NOMI
};
const char *const NOMI[NUM_NOMI] = {
    "XdndAware", "XdndProxy", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave",
    "XdndDrop", "XdndFinished", "XdndSelection", "XdndActionCopy", "XdndTypeList",
    "text/uri-list", "INCR", "SUPERFICIE_RILASCIO"};

struct Rilascio {
    Display *dpy;
    Window proxy;
    Atom atomi[NUM_NOMI];
    bool (*prende)(const char *, size_t);
    Window sorgente;       // the drag under way; None for none
    Window bersaglio;      // the window the source names in its messages
    bool uri;              // the source offers text/uri-list
    double attesa;         // since when the selection is awaited; < 0 for no wait
};
}  // namespace

static Rilascio r = {nullptr, None, {}, nullptr, None, None, false, -1.0};
static int (*errore_precedente)(Display *, XErrorEvent *);

// A source that goes away mid-drag leaves requests on its windows failing:
// not worth ending the program for. Errors of freeglut's connection go
// where they always went.
static int errore_x(Display *dpy, XErrorEvent *e)
{
    if (dpy == r.dpy)
        return 0;
    return errore_precedente ? errore_precedente(dpy, e) : 0;
}

static void messaggio(Window a, Nome tipo, long l1, long l2, long l3 = 0, long l4 = 0)
{
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.display = r.dpy;
    ev.xclient.window = a;
    ev.xclient.message_type = r.atomi[tipo];
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = (long)r.bersaglio;
    ev.xclient.data.l[1] = l1;
    ev.xclient.data.l[2] = l2;
    ev.xclient.data.l[3] = l3;
    ev.xclient.data.l[4] = l4;
    XSendEvent(r.dpy, a, False, NoEventMask, &ev);
    XFlush(r.dpy);
}

static void finisci(bool preso)
{
    if (r.sorgente != None)
        messaggio(r.sorgente, FINISHED, preso ? 1 : 0, preso ? (long)r.atomi[COPY] : None);
    r.sorgente = None;
    r.attesa = -1.0;
}

static void proprieta(Window w)
{
    const unsigned long versione = VERSIONE_XDND, proxy = r.proxy;
    XChangeProperty(r.dpy, w, r.atomi[AWARE], XA_ATOM, 32, PropModeReplace,
                    (const unsigned char *)&versione, 1);
    XChangeProperty(r.dpy, w, r.atomi[PROXY], XA_WINDOW, 32, PropModeReplace,
                    (const unsigned char *)&proxy, 1);
}

void prepara_rilascio(bool (*prende)(const char *, size_t))
{
    Display *glut = glXGetCurrentDisplay();
    const Window finestra = glXGetCurrentDrawable();
    if (glut == nullptr || finestra == None || r.dpy != nullptr)
        return;
    r.dpy = XOpenDisplay(DisplayString(glut));
    if (r.dpy == nullptr)
        return;
    errore_precedente = XSetErrorHandler(errore_x);
    XInternAtoms(r.dpy, const_cast<char **>(NOMI), NUM_NOMI, False, r.atomi);
    r.proxy = XCreateWindow(r.dpy, DefaultRootWindow(r.dpy), -1, -1, 1, 1, 0, CopyFromParent,
                            InputOnly, CopyFromParent, 0, nullptr);
    r.prende = prende;
    // The proxy names itself too: the protocol's check that it is not stale.
    proprieta(r.proxy);
    proprieta(finestra);
    XFlush(r.dpy);
}

// Whether the source's types, in its XdndEnter or its XdndTypeList, include
// text/uri-list.
static bool offre_uri(const XClientMessageEvent &e)
{
    if (!(e.data.l[1] & 1))
        return (Atom)e.data.l[2] == r.atomi[URI_LIST] || (Atom)e.data.l[3] == r.atomi[URI_LIST] ||
               (Atom)e.data.l[4] == r.atomi[URI_LIST];
    Atom tipo;
    int formato;
    unsigned long n, resto;
    unsigned char *dati = nullptr;
    bool trovato = false;
    if (XGetWindowProperty(r.dpy, (Window)e.data.l[0], r.atomi[TYPE_LIST], 0, 256, False, XA_ATOM,
                           &tipo, &formato, &n, &resto, &dati) == Success &&
        dati && formato == 32)
        for (unsigned long k = 0; k < n; k++)
            trovato = trovato || ((const unsigned long *)dati)[k] == r.atomi[URI_LIST];
    if (dati)
        XFree(dati);
    return trovato;
}

static void cliente(const XClientMessageEvent &e, double adesso)
{
    const Window da = (Window)e.data.l[0];
    if (e.message_type == r.atomi[ENTER]) {
        r.sorgente = da;
        r.bersaglio = e.window;
        r.uri = offre_uri(e);
        r.attesa = -1.0;
    } else if (e.message_type == r.atomi[POSITION] && da == r.sorgente && r.attesa < 0) {
        // An empty rectangle: a position message for every move.
        messaggio(r.sorgente, STATUS, r.uri ? 1 : 0, 0, 0, r.uri ? (long)r.atomi[COPY] : None);
    } else if (e.message_type == r.atomi[LEAVE] && da == r.sorgente) {
        r.sorgente = None;
    } else if (e.message_type == r.atomi[DROP] && da == r.sorgente) {
        if (!r.uri) {
            std::fprintf(stderr, "superficie: the drop offers no files (no text/uri-list)\n");
            finisci(false);
            return;
        }
        XConvertSelection(r.dpy, r.atomi[SELECTION], r.atomi[URI_LIST], r.atomi[PROPRIETA],
                          r.proxy, (Time)e.data.l[2]);
        XFlush(r.dpy);
        r.attesa = adesso;
    }
}

// The selection has come (or was refused): the list to prende, then the end.
static void selezione(const XSelectionEvent &e)
{
    if (r.attesa < 0 || e.requestor != r.proxy)
        return;
    Atom tipo = None;
    int formato = 0;
    unsigned long n = 0, resto = 0;
    unsigned char *dati = nullptr;
    bool preso = false;
    if (e.property == None) {
        std::fprintf(stderr, "superficie: the drop's source gave no file list\n");
    } else if (XGetWindowProperty(r.dpy, r.proxy, r.atomi[PROPRIETA], 0, MASSIMO_ELENCO, True,
                                  AnyPropertyType, &tipo, &formato, &n, &resto, &dati) != Success ||
               tipo == r.atomi[INCR] || resto > 0 || formato != 8 || !dati) {
        std::fprintf(stderr, "superficie: the drop's file list could not be read\n");
    } else {
        preso = r.prende(reinterpret_cast<const char *>(dati), n);
    }
    if (dati)
        XFree(dati);
    finisci(preso);
}

void rilascio_passo(double adesso)
{
    if (r.dpy == nullptr)
        return;
    while (XPending(r.dpy)) {
        XEvent ev;
        XNextEvent(r.dpy, &ev);
        if (ev.type == ClientMessage && ev.xclient.format == 32)
            cliente(ev.xclient, adesso);
        else if (ev.type == SelectionNotify)
            selezione(ev.xselection);
    }
    if (r.attesa >= 0 && adesso - r.attesa > ATTESA_SELEZIONE) {
        std::fprintf(stderr, "superficie: the drop's source never gave its file list\n");
        finisci(false);
    }
}
