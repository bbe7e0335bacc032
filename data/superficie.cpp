// superficie.cpp: placeholder until the construction lands.
#include "data/superficie.h"
void inizializza_poliedro() {}
