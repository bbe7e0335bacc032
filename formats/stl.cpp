// stl.cpp: placeholder until the STL reader lands.
#include "formats/lettura.h"

bool leggi_stl(Lettura &l)
{
    return errore(l, 0, "STL files are not read yet");
}
