#include "engine/Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Replays and level checks depend on the same numbers after every reset.
TEST(Random, EveryResetGivesTheSameSequence)
{
    randomReset();
    EXPECT_EQ(randomU32(), 607019373u);
    std::vector<uint32_t> first;
    for (int i = 0; i < 2000; ++i)
        first.push_back(randomU32());
    randomReset();
    randomU32();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(randomU32(), first[size_t(i)]) << "draw " << i + 1;
}

TEST(Random, RangesIncludeTheirEnds)
{
    randomReset();
    bool sawMin = false, sawMax = false;
    for (int i = 0; i < 200000 && !(sawMin && sawMax); ++i) {
        int v = randomInt(0, 3);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 3);
        sawMin |= v == 0;
        sawMax |= v == 3;
    }
    EXPECT_TRUE(sawMin && sawMax);

    for (int i = 0; i < 100000; ++i) {
        double d = randomDouble();
        ASSERT_GE(d, 0.0);
        ASSERT_LT(d, 1.0);
        float f = randomFloat(-2.0f, 3.0f);
        ASSERT_GE(f, -2.0f);
        ASSERT_LE(f, 3.0f);
    }
    EXPECT_EQ(randomInt(5, 5), 5);
}
