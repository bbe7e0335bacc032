// The shared reading machinery, OFF, placement into the scene and the writer.
#include <gtest/gtest.h>

#include "tests/formats/leggi_testo.h"

TEST(Formati, EmptyFileIsRefused)
{
    const Letto r = leggi("vuoto.off", "");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errore, "vuoto.off: empty file");
}
