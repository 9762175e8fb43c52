// Building blocks shared by the effect and music generators: oscillators,
// envelopes, filters, a reverb and the helpers that make loops seamless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Mono = std::vector<float>;

struct Stereo {
  explicit Stereo(std::size_t frames = 0) : left(frames), right(frames) {}
  std::size_t size() const { return left.size(); }
  // Equal-power panning: pan -1 is hard left, +1 hard right.
  void add(std::size_t i, double sample, double pan);
  Mono left;
  Mono right;
};

std::size_t toFrames(double seconds);
double midiToHz(double midi);

// The generator carries its own random numbers because library distributions
// may differ between standard libraries, and every file must come out the
// same on every machine.
class Rng {
public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  double uniform();
  double bipolar() { return 2.0 * uniform() - 1.0; }
  double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
  std::uint64_t next();
  std::uint64_t state_;
};

class Biquad {
public:
  enum class Type { LowPass, HighPass, BandPass };
  Biquad() = default;
  Biquad(Type type, double hz, double q) { set(type, hz, q); }
  void set(Type type, double hz, double q);
  float process(float x);

private:
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double z1_ = 0, z2_ = 0;
};

// Attack and release are linear so that every note starts and ends at exactly
// zero; the decay towards the sustain level is exponential.
struct Envelope {
  double attack;
  double decay;
  double sustain;
  double release;
  double at(double t, double gate) const;
  double length(double gate) const { return gate + release; }
};

// Band-limited oscillator for saw and pulse waves.
class Oscillator {
public:
  explicit Oscillator(double phase = 0.0) : phase_(phase) {}
  // Advances by one sample at the given frequency and returns the new value.
  double saw(double hz);
  double pulse(double hz, double width);
  double sine(double hz);
  double triangle(double hz);

private:
  double advance(double hz);
  double phase_;
};

// A small Schroeder-Moorer room: parallel damped combs into series allpasses,
// with the right channel's delays spread a little for width.
class Reverb {
public:
  Reverb(double feedback, double damping);
  // Adds the reverberated `in` to `out` at the given level.
  void process(const Stereo& in, Stereo& out, double level);

private:
  struct Comb {
    std::vector<float> line;
    std::size_t pos = 0;
    float store = 0;
  };
  struct Allpass {
    std::vector<float> line;
    std::size_t pos = 0;
  };
  float run(std::vector<Comb>& combs, std::vector<Allpass>& passes, float x);
  std::vector<Comb> combsL_, combsR_;
  std::vector<Allpass> passesL_, passesR_;
  double feedback_;
  double damping_;
};

// Ping-pong echo: each repeat alternates sides and loses `feedback`.
void pingPong(const Stereo& in, Stereo& out, double seconds, double feedback, double level);

// Folds everything past `length` back onto the start. A sound rendered with
// a tail long enough for its last notes and echoes to die away then repeats
// exactly as if it had been played in a loop forever.
void foldLoop(Mono& buffer, std::size_t length);
void foldLoop(Stereo& buffer, std::size_t length);

// Runs a recursive filter over a loop twice and keeps the second pass, so the
// filter's state at the end matches its state at the start.
template <class Filter>
void filterLoop(Mono& buffer, Filter& filter) {
  for (float x : buffer) filter.process(x);
  for (float& x : buffer) x = filter.process(x);
}

void fadeEdges(Mono& buffer, double inSeconds, double outSeconds);
void scaleToPeak(Mono& buffer, double peak);
void scaleToPeak(Stereo& buffer, double peak);
double peakOf(const Mono& buffer);

}  // namespace sound
