// osserva.h: the files on screen followed as they change, and the names of
// files dropped onto the window. GL-free: viewer/vivi.h drives it from the
// window's timer.
//
// Each file is watched through its folder (Linux inotify), so that every
// way of saving is seen, whatever happens to the file's own inode:
//   written in place              IN_MODIFY, IN_CLOSE_WRITE
//   written beside and renamed    IN_MOVED_TO
//   deleted and written again     IN_CREATE, IN_MODIFY, IN_CLOSE_WRITE
// A symbolic link is followed at its end's folder too, where saving through it
// writes. A file is ready to read once no event has named it for QUIETE seconds, so
// that one being written is not read halfway. A file that is not there
// when it falls quiet is not ready: deleted, it waits for its name to come
// back.
//
// Times are the caller's, in seconds, so that the waiting is the caller's
// clock and not this file's.
#ifndef SUPERFICIE_VIEWER_OSSERVA_H
#define SUPERFICIE_VIEWER_OSSERVA_H

#include <cstddef>

#include "model/poliedro.h"

constexpr double QUIETE = 0.15;   // seconds without events before a change is read
constexpr size_t LUNGHEZZA_PERCORSO = 4096;   // bytes of a path with its '\0' (PATH_MAX)

// Watches percorsi[0..n), slot k for file k, in place of whatever was
// watched before; "-" and names past MAX_POLIEDRI are not watched. A
// folder that cannot be watched gets one line on standard error.
void osserva_file(const char *const *percorsi, int n);

// Takes the events that have come, none waiting, as seen at time adesso.
void osserva_leggi(double adesso);

// The slots whose file has been quiet since a change for QUIETE at time
// adesso, and is there: bit k for slot k. Each change is handed out once.
unsigned osserva_pronti(double adesso);

// The path watched for slot, or nullptr.
const char *osservato(int slot);

// A text/uri-list (RFC 2483: one URI a line, lines ended by CRLF, '#' starts
// a comment) as local paths, percent-decoded, into percorsi[0..max), each
// at most dim bytes with its '\0'. Returns how many URIs the list holds (it
// may be more than max, and then only max are written), or -1 after one line
// in errore for a URI that is not a local file ("file:" with no host or
// "localhost") or cannot be decoded, or for a list with no URI.
int percorsi_da_uri(const char *testo, size_t n, char (*percorsi)[LUNGHEZZA_PERCORSO], int max, char *errore,
                    size_t dim_errore);

#endif
