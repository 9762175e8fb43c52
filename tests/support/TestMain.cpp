#include <gtest/gtest.h>

#include "engine/Random.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    randomReset();
    return RUN_ALL_TESTS();
}
