// Writes every sound of the game into one folder. Everything is synthesised
// here from fixed seeds, so running it again gives byte-identical files.

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

#include "Effects.h"
#include "Music.h"
#include "OggWriter.h"

namespace {

// Keeps the repository small while the music still sounds clean.
constexpr float kQuality = 0.4f;

struct EffectFile {
  const char* name;
  std::function<sound::Mono()> make;
};

struct MusicFile {
  const char* name;
  std::function<sound::Stereo()> make;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const EffectFile effects[] = {
      {"motor.ogg", sound::makeMotor},
      {"accelerator.ogg", sound::makeAccelerator},
      {"nut-take.ogg", sound::makeNutTake},
      {"nut-capture.ogg", sound::makeNutCapture},
      {"nut-spawn.ogg", sound::makeNutSpawn},
      {"winner.ogg", sound::makeWinner},
      {"loser.ogg", sound::makeLoser},
      {"countdown.ogg", sound::makeCountdown},
      {"gh.ogg", sound::makeMenuChange},
      {"ghear.ogg", sound::makeMenuMove},
      {"gha.ogg", sound::makeMenuConfirm},
      {"error.ogg", sound::makeError},
      {"neon.ogg", sound::makeNeon},
      {"scream.ogg", sound::makeScream},
      {"hurt.ogg", sound::makeHurt},
      {"spikes.ogg", sound::makeSpikes},
      {"timeup.ogg", sound::makeTimeUp},
  };
  const MusicFile music[] = {
      {"mainmenu.ogg", sound::makeMainMenuMusic},
      {"level1.ogg", sound::makeMeadowMusic},
      {"level2.ogg", sound::makeChaseMusic},
  };
  try {
    for (const EffectFile& e : effects) {
      const sound::Mono samples = e.make();
      sound::writeOgg(dir + "/" + e.name, {&samples}, kQuality);
      std::printf("%s\n", e.name);
    }
    for (const MusicFile& m : music) {
      const sound::Stereo samples = m.make();
      sound::writeOgg(dir + "/" + m.name, {&samples.left, &samples.right}, kQuality);
      std::printf("%s\n", m.name);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
