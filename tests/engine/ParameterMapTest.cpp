#include "engine/ParameterMap.h"

#include "resources/SoundManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

TEST(ParameterMap, SetReplacesAnyTypeAndHasChecksTheType)
{
    ParameterMap map;
    map.set<int>("score1", 42);
    EXPECT_TRUE(map.has<int>("score1"));
    EXPECT_FALSE(map.has<unsigned int>("score1"));
    EXPECT_FALSE(map.has<float>("score1"));
    EXPECT_FALSE(map.has<int>("score2"));

    map.set<std::string>("score1", "abc");
    EXPECT_FALSE(map.has<int>("score1"));
    EXPECT_TRUE(map.has<std::string>("score1"));
    EXPECT_EQ(map.get<std::string>("score1"), "abc");
    EXPECT_EQ(map.size(), 1u);

    map.set<GameMode>("gameMode", GM_KOH);
    EXPECT_TRUE(map.has<GameMode>("gameMode"));
    EXPECT_FALSE(map.has<int>("gameMode"));
    EXPECT_EQ(map.get<GameMode>("gameMode"), GM_KOH);
}

TEST(ParameterMap, CopiesAreIndependent)
{
    ParameterMap source;
    source.set<int>("a", 1);
    source.set<Vec2f>("v", Vec2f(1.5f, -2.0f));
    {
        ParameterMap copy(source);
        copy.set<int>("a", 7);
        copy.get<Vec2f>("v").x = 9.0f;
        copy.set<bool>("extra", true);
        EXPECT_EQ(source.get<int>("a"), 1);
        EXPECT_EQ(source.get<Vec2f>("v"), Vec2f(1.5f, -2.0f));
        EXPECT_FALSE(source.contains("extra"));
    }
    EXPECT_EQ(source.get<int>("a"), 1);

    ParameterMap assigned;
    assigned.set<float>("stale", 3.0f);
    assigned = source;
    EXPECT_FALSE(assigned.contains("stale"));
    EXPECT_EQ(assigned.toString(), source.toString());
    assigned = assigned;
    EXPECT_EQ(assigned.toString(), source.toString());
}

TEST(ParameterMap, MergeLaysOtherEntriesOver)
{
    ParameterMap defaults;
    defaults.set<bool>("mipMapping", true);
    defaults.set<DownscaleFilter>("downscaleFilter", DF_BOX);
    ParameterMap caller;
    caller.set<DownscaleFilter>("downscaleFilter", DF_ALPHA_WEIGHTED);
    caller.set<int>("mipMapping", 0);
    defaults.merge(caller);
    EXPECT_EQ(defaults.get<DownscaleFilter>("downscaleFilter"), DF_ALPHA_WEIGHTED);
    EXPECT_TRUE(defaults.has<int>("mipMapping"));
    EXPECT_FALSE(defaults.has<bool>("mipMapping"));
    EXPECT_EQ(caller.size(), 2u);
}

TEST(ParameterMap, TextFormAndOrdering)
{
    ParameterMap map;
    EXPECT_EQ(map.toString(), "{}");
    map.set<bool>("b", true);
    map.set<int>("a", 2);
    EXPECT_EQ(map.toString(), "{a: 2, b: 1}");

    map.set<float>("f", 0.1f);
    map.set<RGBA>("c", RGBA(1, 0.5f, 0, 1));
    map.set<Vec2f>("v", Vec2f(1.5f, -2));
    map.set<std::string>("s", "Spieler 1");
    map.set<unsigned int>("u", 4000000000u);
    map.set<ControlMode>("m", CM_FOUR_KEYS);
    EXPECT_EQ(map.toString(), "{a: 2, b: 1, c: (1, 0.5, 0, 1), f: 0.1, m: 1, s: Spieler 1, u: 4000000000, v: (1.5, -2)}");

    ParameterMap same;
    same.set<int>("a", 2);
    same.set<bool>("b", true);
    ParameterMap other;
    other.set<int>("a", 3);
    ParameterMap twoOnly;
    twoOnly.set<int>("a", 2);
    twoOnly.set<bool>("b", true);
    EXPECT_FALSE(same < twoOnly);
    EXPECT_FALSE(twoOnly < same);
    EXPECT_TRUE(same < other);
    EXPECT_FALSE(other < same);
    EXPECT_TRUE(same < ParameterMap()) << "the text '{a: 2, b: 1}' sorts before '{}'";
}

TEST(ParameterMap, ReadsNumbersVectorsAndColours)
{
    EXPECT_EQ(fromString<int>("12abc", 5), 12);
    EXPECT_EQ(fromString<int>("  -7", 5), -7);
    EXPECT_EQ(fromString<int>("abc", 5), 5);
    EXPECT_EQ(fromString<int>("", 5), 5);
    EXPECT_EQ(fromString<unsigned int>("30 s", 1u), 30u);
    EXPECT_FLOAT_EQ(fromString<float>("2.5", 1.0f), 2.5f);

    EXPECT_EQ(fromString<Vec2f>("( 0.5 ,0.25)", Vec2f(9, 9)), Vec2f(0.5f, 0.25f));
    EXPECT_EQ(fromString<Vec2f>("(1, 2) trailing", Vec2f(9, 9)), Vec2f(1, 2));
    EXPECT_EQ(fromString<Vec2f>("1, 2)", Vec2f(9, 9)), Vec2f(9, 9));
    EXPECT_EQ(fromString<Vec2f>("(1; 2)", Vec2f(9, 9)), Vec2f(9, 9));
    EXPECT_EQ(fromString<Vec2f>("(1, 2", Vec2f(9, 9)), Vec2f(9, 9));
    EXPECT_EQ(fromString<Vec2f>("(1, 2, 3)", Vec2f(9, 9)), Vec2f(9, 9));
    EXPECT_EQ(fromString<Vec2f>("(1, )", Vec2f(9, 9)), Vec2f(9, 9));
    EXPECT_EQ(fromString<Vec2i>("(32, 16)", Vec2i(1, 1)), Vec2i(32, 16));
    EXPECT_EQ(fromString<Vec2i>("(32.5, 16)", Vec2i(1, 1)), Vec2i(1, 1));

    EXPECT_EQ(fromString<RGBA>("(1, 2, 3)", RGBA(9, 9, 9, 9)), RGBA(1, 2, 3, 1));
    EXPECT_EQ(fromString<RGBA>("(0.1, 0.2, 0.3, 0.4)", RGBA(9, 9, 9, 9)), RGBA(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(fromString<RGBA>("(1, 2)", RGBA(9, 9, 9, 9)), RGBA(9, 9, 9, 9));
    EXPECT_EQ(fromString<RGBA>("(1, 2, 3, 4, 5)", RGBA(9, 9, 9, 9)), RGBA(9, 9, 9, 9));
    EXPECT_EQ(fromString<RGBA>("[1, 2, 3]", RGBA(9, 9, 9, 9)), RGBA(9, 9, 9, 9));
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
