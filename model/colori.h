// colori.h: the colour letters and colorafaccia.
//
// Ten letters, either case: r red, y yellow, g green, b blue, p purple,
// l cyan, o orange, e grey, w white, k black. Each has an opaque colour and a
// darker one used while trasparenza is nonzero. An unknown character keeps
// the face's fill RGB; the edge colour and the fill alpha are refreshed for
// every character.
#ifndef SUPERFICIE_MODEL_COLORI_H
#define SUPERFICIE_MODEL_COLORI_H

// Sets colore and colore_bordo of the face from letter, trasparenza and alpha.
// Writes nothing for a slot or face index outside the table.
void colorafaccia(int slot, int face, char letter);

// Every face of every slot coloured again from its own codicecolore, so that
// a new trasparenza or alpha reaches all of them.
void ricolora_facce();

// The letter whose opaque colour lies nearest to (r, g, b), components 0..1.
char lettera_vicina(const float rgb[3]);

#endif
