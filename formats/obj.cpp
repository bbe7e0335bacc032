// obj.cpp: placeholder until the OBJ reader lands.
#include "formats/lettura.h"

bool leggi_obj(Lettura &l)
{
    return errore(l, 0, "OBJ files are not read yet");
}
