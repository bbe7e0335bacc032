#include <gtest/gtest.h>
#include "model/poliedro.h"
TEST(Records, Placeholder) { EXPECT_EQ(MAX_POLIEDRI, 4); }
