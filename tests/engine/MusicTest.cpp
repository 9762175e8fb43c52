#include "engine/Engine.h"
#include "resources/SoundInstance.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

// The background music cross-fades through real streamed voices on OpenAL's
// null device, which plays in real time like a sound card would.

TEST(EngineMusic, FadesInChangesGainAndCrossFades)
{
    Engine& e = testEngine();
    if (!e.hasAudio())
        GTEST_SKIP() << "no OpenAL device on this machine";

    e.playMusic("sounds/mainmenu.ogg", 0.5f);
    Handle<SoundInstance> first = e.getMusicInstance();
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->isValid());
    EXPECT_NEAR(first->getGain(), 0.0f, 1e-6);
    runTicks(e, 30);
    EXPECT_NEAR(first->getGain(), 0.5f * 0.25f, 0.02f) << "gain follows (t/1 s)^2 on the way in";
    runTicks(e, 31);
    EXPECT_NEAR(first->getGain(), 0.5f, 1e-4);
    EXPECT_TRUE(first->isPlaying());

    // The same name only moves the gain of the playing voice.
    e.playMusic("sounds/mainmenu.ogg", 0.2f);
    EXPECT_EQ(e.getMusicInstance(), first);
    runTicks(e, 61);
    EXPECT_NEAR(first->getGain(), 0.2f, 1e-4);

    // Another name fades the old voice out while the new one fades in.
    e.playMusic("sounds/level1.ogg", 0.4f);
    Handle<SoundInstance> second = e.getMusicInstance();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    runTicks(e, 30);
    EXPECT_TRUE(first->isValid());
    EXPECT_LT(first->getGain(), 0.2f);
    EXPECT_GT(second->getGain(), 0.0f);
    runTicks(e, 32);
    EXPECT_FALSE(first->isValid()) << "the faded-out music stops itself";
    EXPECT_NEAR(second->getGain(), 0.4f, 1e-4);

    // No name: the music fades out and none is left.
    e.playMusic("", 1.0f);
    EXPECT_FALSE(e.getMusicInstance());
    runTicks(e, 62);
    EXPECT_FALSE(second->isValid());
}

TEST(EngineMusic, AMissingMusicFileLeavesTheGameSilentButRunning)
{
    Engine& e = testEngine();
    EXPECT_NE(stderrOf([&] { e.playMusic("sounds/no-such-music.ogg", 1.0f); }).find("no-such-music.ogg"), std::string::npos);
    const Handle<SoundInstance>& voice = e.getMusicInstance();
    EXPECT_TRUE(!voice || !voice->isValid());
    runTicks(e, 5);
    e.playMusic("", 1.0f);
}
