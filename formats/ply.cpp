// ply.cpp: placeholder until the PLY reader lands.
#include "formats/lettura.h"

bool leggi_ply(Lettura &l)
{
    return errore(l, 0, "PLY files are not read yet");
}
