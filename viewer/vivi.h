// vivi.h: the window's files kept live. The files named are followed as they
// change (viewer/osserva.h): a change is read once the file has been quiet
// for QUIETE, through the same readers and fitting as at start, into its
// own slot only, at the placement of its first reading and with the user's
// turns, scalings and moves kept (loading/formati.h, ricarica_file). Files
// dropped onto the window (viewer/rilascio.h) replace the scene as if named
// on the command line, and are followed from then on. A file that cannot be
// read gets the same one line as at start; the scene stays as it was.
//
// All of it runs from one GLUT timer, every PERIODO_VIVI milliseconds: the
// inotify descriptor and the drop's connection are read without waiting,
// so the viewer sleeps in the toolkit's loop in between.
#ifndef SUPERFICIE_VIEWER_VIVI_H
#define SUPERFICIE_VIEWER_VIVI_H

constexpr unsigned PERIODO_VIVI = 50;   // milliseconds between two looks

// After apri_finestra: follows file[0..nfile) and takes drops.
void avvia_vivi(const char *const *file, int nfile);

// One look, what the timer does every PERIODO_VIVI: changed files read,
// drops taken.
void vivi_passo();

#endif
