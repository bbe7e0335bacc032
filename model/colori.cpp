// colori.cpp: the two palettes and colorafaccia.
#include "model/colori.h"

#include <cctype>

#include "model/poliedro.h"
#include "state/vista.h"

namespace {

struct Colore {
    char lettera;         // lower case
    float opaco[3];       // trasparenza 0
    float trasparente[3]; // trasparenza nonzero
};

const Colore tavolozza[] = {
    {'r', {0.8f, 0.2f, 0.2f}, {0.5f, 0.0f, 0.0f}},
    {'y', {0.8f, 0.8f, 0.2f}, {0.5f, 0.5f, 0.0f}},
    {'g', {0.2f, 0.8f, 0.2f}, {0.0f, 0.5f, 0.0f}},
    {'b', {0.2f, 0.2f, 0.8f}, {0.0f, 0.0f, 0.5f}},
    {'p', {0.8f, 0.2f, 0.8f}, {0.5f, 0.0f, 0.5f}},
    {'l', {0.2f, 0.8f, 0.8f}, {0.0f, 0.5f, 0.5f}},
    {'o', {0.8f, 0.4f, 0.0f}, {0.5f, 0.2f, 0.0f}},
    {'e', {0.6f, 0.6f, 0.6f}, {0.3f, 0.3f, 0.3f}},
    {'w', {0.8f, 0.8f, 0.8f}, {0.5f, 0.5f, 0.5f}},
    {'k', {0.2f, 0.2f, 0.2f}, {0.1f, 0.1f, 0.1f}},
};

} // namespace

char lettera_vicina(const float rgb[3])
{
    char migliore = tavolozza[0].lettera;
    float distanza_minima = 1e30f;
    for (const Colore &c : tavolozza) {
        float d = 0.0f;
        for (int k = 0; k < 3; k++)
            d += (rgb[k] - c.opaco[k]) * (rgb[k] - c.opaco[k]);
        if (d < distanza_minima) {
            distanza_minima = d;
            migliore = c.lettera;
        }
    }
    return migliore;
}

void ricolora_facce()
{
    for (int s = 0; s < MAX_POLIEDRI; s++) {
        const Poliedro &p = ElencoPoliedri[s];
        const int nf = p.numfacce < MAX_FACCE ? p.numfacce : MAX_FACCE;
        for (int f = 0; f < nf; f++)
            colorafaccia(s, f, p.facce[f].codicecolore);
    }
}

void colorafaccia(int slot, int face, char letter)
{
    if (!slot_valido(slot) || face < 0 || face >= MAX_FACCE)
        return;
    Faccia &f = ElencoPoliedri[slot].facce[face];
    // Only ASCII letters are looked up; bytes above 127 are unknown.
    const unsigned char u = (unsigned char)letter;
    const char lower = u < 128 ? (char)std::tolower(u) : '\0';
    for (const Colore &c : tavolozza) {
        if (c.lettera == lower) {
            const float *rgb = trasparenza == 0 ? c.opaco : c.trasparente;
            f.colore[0] = rgb[0];
            f.colore[1] = rgb[1];
            f.colore[2] = rgb[2];
            break;
        }
    }
    f.colore_bordo[0] = f.colore[0] / 1.25f;
    f.colore_bordo[1] = f.colore[1] / 1.25f;
    f.colore_bordo[2] = f.colore[2] / 1.25f;
    f.colore_bordo[3] = 1.0f;
    f.colore[3] = (float)alpha;
}
