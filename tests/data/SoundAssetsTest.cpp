// Every sound the game plays, decoded the way the game decodes it: complete,
// in the expected format, loud enough but never clipped, with clean starts
// and ends for one-shots and no seam where loops wrap around.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

enum class Kind { OneShot, EffectLoop, MusicLoop };

struct SoundFile {
  const char* name;
  Kind kind;
  double minSeconds;
  double maxSeconds;
};

const SoundFile kSounds[] = {
    {"motor.ogg", Kind::EffectLoop, 0.5, 4.0},
    {"neon.ogg", Kind::EffectLoop, 1.0, 8.0},
    {"accelerator.ogg", Kind::OneShot, 0.2, 2.0},
    {"nut-take.ogg", Kind::OneShot, 0.1, 1.0},
    {"nut-capture.ogg", Kind::OneShot, 0.2, 2.0},
    {"nut-spawn.ogg", Kind::OneShot, 0.2, 2.0},
    // The end of a match waits 3 s, so the jingles fit into that.
    {"winner.ogg", Kind::OneShot, 1.0, 3.0},
    {"loser.ogg", Kind::OneShot, 1.0, 3.5},
    // Its beeps must fall on the seconds the digits show: the e2e match
    // scenarios listen for them there.
    {"countdown.ogg", Kind::OneShot, 3.2, 4.5},
    {"gh.ogg", Kind::OneShot, 0.03, 0.3},
    {"ghear.ogg", Kind::OneShot, 0.03, 0.3},
    {"gha.ogg", Kind::OneShot, 0.05, 0.6},
    {"error.ogg", Kind::OneShot, 0.1, 0.8},
    {"scream.ogg", Kind::OneShot, 1.0, 5.0},
    {"hurt.ogg", Kind::OneShot, 0.2, 0.4},
    {"spikes.ogg", Kind::OneShot, 0.2, 0.5},
    {"timeup.ogg", Kind::OneShot, 1.0, 1.5},
    {"mainmenu.ogg", Kind::MusicLoop, 30.0, 120.0},
    {"level1.ogg", Kind::MusicLoop, 30.0, 120.0},
    {"level2.ogg", Kind::MusicLoop, 30.0, 120.0},
};

struct Decoded {
  long rate = 0;
  std::vector<std::vector<float>> channel;  // one vector per channel, -1..1

  double seconds() const {
    return channel.empty() ? 0.0 : static_cast<double>(channel[0].size()) / static_cast<double>(rate);
  }
};

// Decodes with ov_read into 16-bit samples, as the game's sound loader does,
// and fails unless the whole stream comes out.
::testing::AssertionResult decode(const std::string& path, Decoded& out) {
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return ::testing::AssertionFailure() << path << " is missing or not Ogg Vorbis";
  const vorbis_info* info = ov_info(&vf, -1);
  out.rate = info->rate;
  out.channel.assign(static_cast<std::size_t>(info->channels), {});
  const ogg_int64_t expected = ov_pcm_total(&vf, -1);
  std::vector<char> buffer(8192);
  long got = 0;
  int section = 0;
  // Little-endian samples whatever the host, put together byte by byte.
  while ((got = ov_read(&vf, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1, &section)) > 0) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (long i = 0; i + 1 < got; i += 2) {
      const auto sample = static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8);
      out.channel[static_cast<std::size_t>(i / 2) % out.channel.size()].push_back(sample / 32768.0f);
    }
  }
  ov_clear(&vf);
  if (got < 0) return ::testing::AssertionFailure() << path << " has a damaged stream (" << got << ")";
  const auto decoded = static_cast<ogg_int64_t>(out.channel[0].size());
  if (expected <= 0 || decoded != expected) {
    return ::testing::AssertionFailure() << path << " decoded " << decoded << " of " << expected << " frames";
  }
  return ::testing::AssertionSuccess();
}

float peak(const std::vector<float>& s, std::size_t from, std::size_t to) {
  float p = 0;
  for (std::size_t i = from; i < to && i < s.size(); ++i) p = std::max(p, std::fabs(s[i]));
  return p;
}

double rms(const std::vector<float>& s, std::size_t from, std::size_t to) {
  double sum = 0;
  to = std::min(to, s.size());
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

// The curvature of the waveform at i: zero on a straight line, large at a
// step, which is what a click is.
float bend(const std::vector<float>& s, std::size_t i) {
  const std::size_t n = s.size();
  return s[(i + n - 1) % n] - 2.0f * s[i] + s[(i + 1) % n];
}

double typicalBend(const std::vector<float>& s) {
  double sum = 0;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) sum += static_cast<double>(bend(s, i)) * bend(s, i);
  return std::sqrt(sum / static_cast<double>(s.size() - 2));
}

std::size_t frames(double seconds, long rate) { return static_cast<std::size_t>(seconds * static_cast<double>(rate)); }

class GameSound : public ::testing::TestWithParam<SoundFile> {
protected:
  void SetUp() override { ASSERT_TRUE(decode(std::string("data/sounds/") + GetParam().name, sound_)); }
  Decoded sound_;
};

// Loud enough but never clipped, with clean starts and ends for one-shots
// and no seam where loops wrap around.
TEST_P(GameSound, PlaysCleanlyInTheFormatAndLengthTheGameExpects) {
  const SoundFile& file = GetParam();
  EXPECT_EQ(sound_.rate, 44100);
  EXPECT_EQ(sound_.channel.size(), file.kind == Kind::MusicLoop ? 2u : 1u);
  EXPECT_GE(sound_.seconds(), file.minSeconds);
  EXPECT_LE(sound_.seconds(), file.maxSeconds);
  const std::size_t edge = frames(0.001, sound_.rate);
  for (const std::vector<float>& s : sound_.channel) {
    const float p = peak(s, 0, s.size());
    EXPECT_GT(p, 0.2f) << "too quiet to be heard over the music";
    EXPECT_LT(p, 0.98f) << "reaches full scale";
    ASSERT_GT(s.size(), 4 * edge);
    if (file.kind == Kind::OneShot) {
      // A sound that starts at full strength clicks; a few milliseconds of
      // attack avoid it. The limits leave room for the codec's own noise.
      EXPECT_LT(peak(s, 0, edge / 4), 0.1f) << "starts with a click";
      EXPECT_LT(peak(s, s.size() - edge, s.size()), 0.01f) << "is cut off at the end";
    } else {
      // Played in a loop, the last sample is followed by the first. The
      // waveform must bend there no more than it does anywhere else, while a
      // cut through a waveform bends by about its amplitude.
      const std::size_t n = s.size();
      const double seam = std::max(std::fabs(bend(s, 0)), std::fabs(bend(s, n - 1)));
      EXPECT_LT(seam, 6.0 * typicalBend(s)) << "jumps where the loop wraps";
      // The loop must not fade out and in at the seam, which would be heard
      // as a dip on every repetition.
      const double whole = rms(s, 0, n);
      EXPECT_GT(rms(s, 0, frames(0.05, sound_.rate)), 0.2 * whole);
      EXPECT_GT(rms(s, n - frames(0.05, sound_.rate), n), 0.2 * whole);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllSounds, GameSound, ::testing::ValuesIn(kSounds), [](const auto& info) {
  std::string name = std::string(info.param.name).substr(0, std::string(info.param.name).find('.'));
  name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
  return name;
});

}  // namespace
