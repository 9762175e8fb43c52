#include "resources/SoundManager.h"
#include "resources/TestFiles.h"
#include "support/TestEngine.h"

#include <AL/alc.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

namespace {

Handle<Sound> loadSound(const std::string& name, bool streaming = false)
{
    ParameterMap parameters;
    if (streaming)
        parameters.set<bool>("streaming", true);
    return testEngine().getSoundManager()->get(name, parameters);
}

// Shipped effects, mono: 0.4 s loaded whole, and 0.5 s (two stream buffers) streamed.
Handle<Sound> shortSound() { return loadSound("sounds/error.ogg"); }
Handle<Sound> streamedSound() { return loadSound("sounds/nut-take.ogg", true); }

ALint sourceInt(const SoundInstance& instance, ALenum what)
{
    ALint value = -1;
    alGetSourcei(instance.getSource(), what, &value);
    return value;
}

bool listed(const Sound& sound, const SoundInstance* instance)
{
    for (const Handle<SoundInstance>& entry : sound.getInstances())
        if (entry.get() == instance)
            return true;
    return false;
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testEngine().hasAudio()); }
};

TEST_F(SoundTest, ChannelCountPicksTheFormatAndAStreamIsOnlyProbed)
{
    const struct {
        const char* name;
        ALenum format;
        int frameBytes;
    } cases[] = {{"sounds/error.ogg", AL_FORMAT_MONO16, 2}, {"sounds/level2.ogg", AL_FORMAT_STEREO16, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OggVorbis_File file;
        ASSERT_EQ(ov_fopen(("data/" + std::string(c.name)).c_str(), &file), 0);
        const long frames = long(ov_pcm_total(&file, -1));
        ov_clear(&file);
        Handle<Sound> sound = loadSound(c.name);
        EXPECT_EQ(sound->getFormat(), c.format);
        EXPECT_EQ(sound->getFrequency(), 44100);
        EXPECT_NEAR(sound->getDuration(), frames / 44100.0, 1e-4);
        ALint bytes = 0;
        alGetBufferi(sound->getBuffer(), AL_SIZE, &bytes);
        EXPECT_EQ(bytes, frames * c.frameBytes);
    }
    Handle<Sound> streamed = streamedSound();
    EXPECT_EQ(streamed->getBuffer(), 0u);
    EXPECT_EQ(streamed->getFormat(), AL_FORMAT_MONO16);
    EXPECT_NEAR(streamed->getDuration(), 0.5, 1e-3);
}

TEST_F(SoundTest, AOneShotPlaysOutAndLeavesItsSoundAndAKeptOneStaysUsable)
{
    Handle<Sound> sound = shortSound();
    SoundInstance* dropped = sound->play().get();
    Handle<SoundInstance> kept = sound->play(false, 0.5f, 1.5f);
    EXPECT_FLOAT_EQ(kept->getGain(), 0.5f);
    EXPECT_FLOAT_EQ(kept->getPitch(), 1.5f);
    runTicks(testEngine(), 3);
    ASSERT_TRUE(listed(*sound, dropped));
    EXPECT_TRUE(dropped->isPlaying());
    EXPECT_TRUE(tickUntil([&] { return sound->getInstances().empty(); }));
    EXPECT_FALSE(kept->isValid());
    EXPECT_FALSE(kept->isPlaying());
    EXPECT_EQ(kept->getRefCount(), 1);
    // A handle given another voice lets go of the old one, or no voice is ever freed.
    const Handle<SoundInstance> none;
    Handle<SoundInstance> other = kept;
    other = none;
    EXPECT_EQ(kept->getRefCount(), 1);
}

TEST_F(SoundTest, FadeMovesGainAndPitchThenKeepsPausesOrStopsAndWaitsWhilePaused)
{
    Handle<Sound> sound = shortSound();
    Handle<SoundInstance> keep = sound->play(true, 1.0f, 1.0f);
    Handle<SoundInstance> pause = sound->play(true, 1.0f, 1.0f);
    Handle<SoundInstance> held = sound->play(true, 1.0f, 1.0f);
    Handle<SoundInstance> stop = sound->play(true, 1.0f, 1.0f);
    stop->fade(0.0f, 1.0f, 1.0f, 2.0f, FE_STOP);
    keep->fade(0.5f, 2.0f, 0.5f, 1.0f, FE_NONE);
    pause->fade(0.5f, 2.0f, 0.5f, 1.0f, FE_PAUSE);
    held->pause();
    held->fade(0.0f, 1.0f, 1.0f, 2.0f, FE_STOP);
    runTicks(testEngine(), 15);
    EXPECT_NEAR(keep->getGain(), 0.75f, 1e-4);
    EXPECT_NEAR(keep->getPitch(), 1.5f, 1e-4);
    runTicks(testEngine(), 20);
    EXPECT_FLOAT_EQ(keep->getGain(), 0.5f);
    EXPECT_FLOAT_EQ(keep->getPitch(), 2.0f);
    EXPECT_TRUE(keep->isPlaying());
    EXPECT_TRUE(pause->isPaused());
    EXPECT_TRUE(listed(*sound, pause.get()));
    EXPECT_TRUE(held->isPaused());
    EXPECT_NEAR(stop->getGain(), 1.0f - (35.0f / 60.0f) * (35.0f / 60.0f), 1e-4) << "the gain follows the square";
    EXPECT_TRUE(listed(*sound, stop.get()));
    EXPECT_FLOAT_EQ(held->getGain(), 1.0f) << "a paused voice holds its fade";
    alSourcePlay(held->getSource());
    runTicks(testEngine(), 30);
    EXPECT_NEAR(held->getGain(), 0.75f, 1e-4);
    EXPECT_FALSE(listed(*sound, stop.get())) << "a second after its start the faded voice is gone";
    for (Handle<SoundInstance>* voice : {&keep, &pause, &held})
        (*voice)->stop();
}

TEST_F(SoundTest, LoopingStreamWrapsAroundAndNeverEnds)
{
    Handle<Sound> sound = streamedSound();
    Handle<SoundInstance> voice = sound->play(false);
    Handle<SoundInstance> plain = shortSound()->play(false);
    voice->setLooping(true);
    plain->setLooping(true);
    // Only a static source loops itself: a looping queue would replay buffers that are due to be recycled.
    EXPECT_EQ(sourceInt(*plain, AL_LOOPING), AL_TRUE);
    EXPECT_EQ(sourceInt(*voice, AL_LOOPING), AL_FALSE);
    plain->stop();
    // Over three times the length of the data: only wrapping keeps it going. On a
    // busy machine the queue may run dry for a moment, which the voice mends.
    EXPECT_FALSE(tickUntil([&] { return voice->isEnded() || !voice->isValid(); }, 1800));
    EXPECT_TRUE(tickUntil([&] { return voice->isPlaying() && sourceInt(*voice, AL_BUFFERS_QUEUED) >= 2; }));
    EXPECT_TRUE(listed(*sound, voice.get()));
    voice->stop();
    EXPECT_FALSE(voice->isValid());
    runTicks(testEngine(), 1);
    EXPECT_FALSE(listed(*sound, voice.get()));
}

TEST_F(SoundTest, StreamEndsAndIsDropped)
{
    Handle<Sound> sound = streamedSound();
    Handle<SoundInstance> voice = sound->play(false);
    EXPECT_FALSE(voice->isEnded());
    ASSERT_TRUE(tickUntil([&] { return voice->isEnded(); }));
    EXPECT_TRUE(voice->isValid());
    ASSERT_TRUE(tickUntil([&] { return !listed(*sound, voice.get()); }));
    EXPECT_FALSE(voice->isValid());
}

TEST_F(SoundTest, StreamThatRanDryIsRefilledAndRestarted)
{
    Handle<Sound> sound = streamedSound();
    Handle<SoundInstance> voice = sound->play(true);
    runTicks(testEngine(), 2);
    // What an empty queue looks like: stopped, every buffer processed.
    alSourceStop(voice->getSource());
    EXPECT_FALSE(voice->isPlaying());
    runTicks(testEngine(), 1);
    EXPECT_TRUE(voice->isPlaying());
    EXPECT_GE(sourceInt(*voice, AL_BUFFERS_QUEUED), 1);
    EXPECT_TRUE(listed(*sound, voice.get()));
    voice->stop();
}

void expectInert(Sound& sound)
{
    Handle<SoundInstance> voice = sound.play(true);
    ASSERT_TRUE(voice);
    EXPECT_FALSE(voice->isValid());
    EXPECT_FALSE(voice->isPlaying());
    EXPECT_FALSE(voice->isPaused());
    EXPECT_TRUE(sound.getInstances().empty());
    voice->setGain(1.0f);
    voice->setLooping(false);
    voice->pause();
    voice->fade(0.0f, 1.0f, 1.0f, 2.0f, FE_STOP);
    EXPECT_FALSE(voice->update());
    EXPECT_EQ(voice->getGain(), 0.0f);
    voice->stop();
}

// The bad-data test holds missing and damaged files to their one line.
TEST_F(SoundTest, AMissingFileOrNoAudioContextMeansInertVoices)
{
    for (bool streaming : {false, true}) {
        ::testing::internal::CaptureStderr();
        Handle<Sound> missing = loadSound("sounds/sound-nowhere.ogg", streaming);
        ::testing::internal::GetCapturedStderr();
        expectInert(*missing);
    }
    Handle<Sound> sound = shortSound();
    ALCcontext* context = alcGetCurrentContext();
    alcMakeContextCurrent(nullptr);
    expectInert(*sound);
    Handle<Sound> loadedSilently = loadSound("sounds/gh.ogg");
    EXPECT_FALSE(loadedSilently->isPlayable());
    EXPECT_EQ(loadedSilently->getFormat(), AL_FORMAT_MONO16);
    expectInert(*loadedSilently);
    runTicks(testEngine(), 1);
    alcMakeContextCurrent(context);
}

} // namespace
