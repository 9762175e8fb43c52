#include "engine/ParameterMap.h"

#include "resources/SoundManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

// The text form is the caches' key: maps with equal entries in any order are equal.
TEST(ParameterMap, TextFormAndOrdering)
{
    ParameterMap map;
    EXPECT_EQ(map.toString(), "{}");
    map.set<bool>("b", true);
    map.set<int>("a", 2);
    ParameterMap same;
    same.set<int>("a", 2);
    same.set<bool>("b", true);
    EXPECT_FALSE(same < map);
    EXPECT_FALSE(map < same);
    ParameterMap other;
    other.set<int>("a", 3);
    EXPECT_TRUE(same < other);
    EXPECT_FALSE(other < same);

    map.set<float>("f", 0.1f);
    map.set<RGBA>("c", RGBA(1, 0.5f, 0, 1));
    map.set<Vec2f>("v", Vec2f(1.5f, -2));
    map.set<std::string>("s", "Spieler 1");
    map.set<unsigned int>("u", 4000000000u);
    map.set<ControlMode>("m", CM_FOUR_KEYS);
    EXPECT_EQ(map.toString(), "{a: 2, b: 1, c: (1, 0.5, 0, 1), f: 0.1, m: 1, s: Spieler 1, u: 4000000000, v: (1.5, -2)}");
}

TEST(ParameterMap, ReadsNumbersVectorsAndColoursOrKeepsTheDefault)
{
    EXPECT_EQ(fromString<int>("12abc", 5), 12);
    EXPECT_EQ(fromString<int>("  -7", 5), -7);
    EXPECT_EQ(fromString<int>("abc", 5), 5);
    EXPECT_EQ(fromString<int>("", 5), 5);
    EXPECT_EQ(fromString<unsigned int>("30 s", 1u), 30u);
    EXPECT_EQ(fromString<Vec2i>("(32.5, 16)", Vec2i(1, 1)), Vec2i(1, 1));

    // Damaged vectors and colours of every kind are rows of the bad-data test (tests/data/bad/values);
    // well-formed ones are in every level file.
    const Vec2f unset(9, 9);
    const std::pair<const char*, Vec2f> vectors[] = {
        {"( 0.5 ,0.25)", {0.5f, 0.25f}}, {"(1, 2) trailing", {1, 2}}, {"(1, 2, 3)", unset}, {"(1, )", unset}};
    for (const auto& [text, read] : vectors)
        EXPECT_EQ(fromString<Vec2f>(text, unset), read) << text;
    const RGBA none(9, 9, 9, 9);
    EXPECT_EQ(fromString<RGBA>("(1, 2, 3)", none), RGBA(1, 2, 3, 1));
}

TEST(ParameterMap, HandleParametersHoldTheirOwnReferences)
{
    Handle<Sound> sound = testEngine().getSoundManager()->get("sounds/gh.ogg");
    ASSERT_TRUE(sound);
    int base = sound->getRefCount();
    {
        ParameterMap map;
        map.set<Handle<Sound>>("sound", sound);
        EXPECT_EQ(sound->getRefCount(), base + 1);
        EXPECT_EQ(map.toString(), "{sound: 1}");
        {
            ParameterMap copy(map);
            EXPECT_EQ(sound->getRefCount(), base + 2);
            copy.set<Handle<Sound>>("sound", Handle<Sound>());
            EXPECT_EQ(sound->getRefCount(), base + 1);
            EXPECT_EQ(copy.toString(), "{sound: 0}");
            copy = map;
            EXPECT_EQ(sound->getRefCount(), base + 2);
        }
        EXPECT_EQ(sound->getRefCount(), base + 1);
        EXPECT_EQ(map.get<Handle<Sound>>("sound"), sound);
        map.set<int>("sound", 1);
        EXPECT_EQ(sound->getRefCount(), base);
    }
    EXPECT_EQ(sound->getRefCount(), base);
}
