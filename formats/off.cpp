// off.cpp: placeholder until the OFF reader lands.
#include "formats/lettura.h"

bool leggi_off(Lettura &l)
{
    return errore(l, 0, "OFF files are not read yet");
}
