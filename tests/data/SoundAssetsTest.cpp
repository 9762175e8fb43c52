// Every sound the game plays decodes completely, in the format the game
// expects and for as long as the game's timing needs. How clean each one
// starts, ends or loops is the sound generator's own work.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct SoundFile {
    const char* name;
    int channels; // the music is stereo, effects are mono
    double minSeconds, maxSeconds;
};

TEST(SoundAssets, EverySoundDecodesWholeInTheFormatAndLengthTheGameExpects)
{
    const SoundFile sounds[] = {
        {"motor.ogg", 1, 0.5, 4.0},       {"neon.ogg", 1, 1.0, 8.0},        {"accelerator.ogg", 1, 0.2, 2.0},
        {"nut-take.ogg", 1, 0.1, 1.0},    {"nut-capture.ogg", 1, 0.2, 2.0}, {"nut-spawn.ogg", 1, 0.2, 2.0},
        // The end of a match waits 3 s, so the jingles fit into that.
        {"winner.ogg", 1, 1.0, 3.0},      {"loser.ogg", 1, 1.0, 3.5},
        {"countdown.ogg", 1, 3.2, 4.5},   {"gh.ogg", 1, 0.03, 0.3},         {"ghear.ogg", 1, 0.03, 0.3},
        {"gha.ogg", 1, 0.05, 0.6},        {"error.ogg", 1, 0.1, 0.8},       {"scream.ogg", 1, 1.0, 5.0},
        {"hurt.ogg", 1, 0.2, 0.4},        {"spikes.ogg", 1, 0.2, 0.5},      {"timeup.ogg", 1, 1.0, 1.5},
        {"mainmenu.ogg", 2, 30.0, 120.0}, {"level1.ogg", 2, 30.0, 120.0},   {"level2.ogg", 2, 30.0, 120.0},
    };
    for (const SoundFile& sound : sounds) {
        const std::string path = std::string("data/sounds/") + sound.name;
        SCOPED_TRACE(path);
        OggVorbis_File file;
        ASSERT_EQ(ov_fopen(path.c_str(), &file), 0) << "missing or not Ogg Vorbis";
        EXPECT_EQ(ov_info(&file, -1)->rate, 44100);
        EXPECT_EQ(ov_info(&file, -1)->channels, sound.channels);
        const ogg_int64_t expected = ov_pcm_total(&file, -1);
        // Decoded as the game's loader does it: 16-bit little-endian samples.
        char buffer[8192];
        long got = 0, bytes = 0;
        int section = 0;
        while ((got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
            bytes += got;
        ov_clear(&file);
        EXPECT_EQ(got, 0) << "the stream is damaged";
        EXPECT_EQ(bytes, expected * 2 * sound.channels) << "not every frame decodes";
        EXPECT_GE(expected / 44100.0, sound.minSeconds);
        EXPECT_LE(expected / 44100.0, sound.maxSeconds);
    }
}

// Its beeps fall on the seconds the digits show, the last ("LOS!") an octave up.
TEST(SoundAssets, TheCountdownBeepsOnTheSecondsOfItsDigits)
{
    OggVorbis_File file;
    ASSERT_EQ(ov_fopen("data/sounds/countdown.ogg", &file), 0);
    std::vector<int16_t> samples;
    char buffer[8192];
    int section = 0;
    for (long got; (got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;)
        samples.insert(samples.end(), reinterpret_cast<int16_t*>(buffer), reinterpret_cast<int16_t*>(buffer + got));
    ov_clear(&file);
    // In steps of 10 ms: where the sound grows loud, and how often it crosses zero 50 ms later.
    std::vector<double> onsets, hertz;
    auto loud = [&](size_t at) {
        double energy = 0.0;
        for (size_t i = at; i < at + 441; ++i)
            energy += double(samples[i]) * samples[i];
        return energy > 441.0 * 2000.0 * 2000.0;
    };
    for (size_t at = 0; at + 441 * 6 <= samples.size(); at += 441) {
        if (!loud(at) || (at > 0 && loud(at - 441)))
            continue;
        onsets.push_back(double(at) / 44100.0);
        int crossings = 0;
        for (size_t i = at + 2205; i < at + 2205 + 441; ++i)
            crossings += (samples[i] < 0) != (samples[i - 1] < 0);
        hertz.push_back(crossings * 50.0);
    }
    ASSERT_EQ(onsets.size(), 4u);
    for (int beep = 0; beep < 4; ++beep) {
        EXPECT_NEAR(onsets[size_t(beep)], beep, 0.03) << "beep " << beep;
        EXPECT_NEAR(hertz[size_t(beep)], beep < 3 ? 880.0 : 1760.0, 60.0) << "beep " << beep;
    }
}

} // namespace
