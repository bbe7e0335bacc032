// superficie.h: the built-in surface, a plus sign of five lobes.
#ifndef SUPERFICIE_DATA_SUPERFICIE_H
#define SUPERFICIE_DATA_SUPERFICIE_H

// Fills slot 0 with the built-in surface: 2050 vertices through creapunto,
// 4096 yellow triangles through creafaccia3, then creapoliedro(0, 2050, 4096, 1).
void inizializza_poliedro();

#endif
