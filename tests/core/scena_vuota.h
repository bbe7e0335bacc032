// scena_vuota.h: a fixture that gives every test an empty scene and the
// default view state, and helpers to build small polyhedra.
#ifndef SUPERFICIE_TESTS_SCENA_VUOTA_H
#define SUPERFICIE_TESTS_SCENA_VUOTA_H

#include <gtest/gtest.h>

#include <cstring>

#include "model/poliedro.h"
#include "viewer/vista.h"

class ScenaVuota : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
        distanza = 1.0;
        trasparenza = 0;
        alpha = 0.8;
    }
    void TearDown() override { SetUp(); }
};

// Copy of the whole table, to show that a call wrote nothing.
struct Istantanea {
    Poliedro *copia = new Poliedro[MAX_POLIEDRI];
    Istantanea() { std::memcpy(copia, ElencoPoliedri, sizeof ElencoPoliedri); }
    ~Istantanea() { delete[] copia; }
    bool invariata() const
    {
        return std::memcmp(copia, ElencoPoliedri, sizeof ElencoPoliedri) == 0;
    }
};

#endif
