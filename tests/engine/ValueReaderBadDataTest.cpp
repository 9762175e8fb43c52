// The readers of numbers, vectors and colours in level, tile set and object
// files, given what a hand-edited file may hold: they never let a value that
// is not a finite number through, and a value they cannot read as a whole
// leaves the default untouched.
#include "engine/ParameterMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const Vec2f kVecDefault(1.5f, -2.5f);
const Vec2i kSizeDefault(7, 9);
const RGBA kColourDefault(0.25f, 0.5f, 0.75f, 0.125f);

bool same(const RGBA& a, const RGBA& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

} // namespace

TEST(ValueReaderBadData, NotANumberInfinityAndOverflowKeepTheDefault)
{
    for (const std::string bad : {"nan", "NaN", "inf", "-inf", "infinity", "1e39", "-1e39", "1e400", "0x1p200"}) {
        SCOPED_TRACE(bad);
        const float f = fromString<float>(bad, 0.5f);
        EXPECT_TRUE(std::isfinite(f)) << f;
        EXPECT_EQ(fromString<Vec2f>("(" + bad + ", 1)", kVecDefault), kVecDefault);
        EXPECT_EQ(fromString<Vec2f>("(1, " + bad + ")", kVecDefault), kVecDefault);
        EXPECT_TRUE(same(fromString<RGBA>("(1, 1, " + bad + ")", kColourDefault), kColourDefault));
        EXPECT_TRUE(same(fromString<RGBA>("(1, 1, 1, " + bad + ")", kColourDefault), kColourDefault));
    }
    for (const std::string big : {"2147483648", "-2147483649", "99999999999999999999", "1e9"}) {
        SCOPED_TRACE(big);
        EXPECT_EQ(fromString<int>(big, -7), big == "1e9" ? 1 : -7) << "\"1e9\" reads as 1, the rest is ignored";
        EXPECT_EQ(fromString<Vec2i>("(" + big + ", 1)", kSizeDefault), kSizeDefault);
    }
    EXPECT_EQ(fromString<Vec2i>("(2147483647, -2147483648)", kSizeDefault), Vec2i(2147483647, -2147483647 - 1));
}

TEST(ValueReaderBadData, DamagedTextKeepsTheDefaultAsAWhole)
{
    for (const std::string& text : std::vector<std::string>{"", " ", "(", ")", "()", "(1", "(1,", "(1, 2", "(1 2)", "(1,,2)", "((1, 2))", "[1, 2]", "(1; 2)", "1, 2",
          "(,1, 2)", "(1, 2, 3)", std::string("(1\0, 2)", 7), "(\xff, 2)", "(-, 2)", "(1e, 2)", "(.,2)"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(fromString<Vec2f>(text, kVecDefault), kVecDefault);
        EXPECT_EQ(fromString<Vec2i>(text, kSizeDefault), kSizeDefault);
    }
    for (const std::string text : {"(1, 2)", "(1, 2, 3, 4, 5)", "(1, 2, 3,)", "(1, 2, 3, )", "(1, 2, 3 4)", "(1 2 3)"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(same(fromString<RGBA>(text, kColourDefault), kColourDefault));
    }
    EXPECT_EQ(fromString<int>("", 5), 5);
    EXPECT_EQ(fromString<int>("-", 5), 5);
    EXPECT_EQ(fromString<int>("\xff\xfe", 5), 5);
    EXPECT_EQ(fromString<Vec2f>("(1, 2)garbage", kVecDefault), Vec2f(1, 2)) << "what follows the ) is ignored";
}
