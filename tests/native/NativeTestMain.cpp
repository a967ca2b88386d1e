// Entry of every native test program.
#include <gtest/gtest.h>

#include "tests/TestOrder.h"

int main(int argc, char** argv) {
    TestOrder::ShuffleUnlessChosen();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
