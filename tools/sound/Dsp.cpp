#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace sound {

void Stereo::add(std::size_t i, double sample, double pan) {
  if (i >= left.size()) return;
  const double angle = (pan + 1.0) * kPi / 4.0;
  left[i] += static_cast<float>(sample * std::cos(angle));
  right[i] += static_cast<float>(sample * std::sin(angle));
}

std::size_t toFrames(double seconds) {
  return static_cast<std::size_t>(std::lround(seconds * kRate));
}

double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

std::uint64_t Rng::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

void Biquad::set(Type type, double hz, double q) {
  hz = std::clamp(hz, 10.0, 0.45 * kRate);
  const double w = kTwoPi * hz / kRate;
  const double cw = std::cos(w);
  const double alpha = std::sin(w) / (2.0 * q);
  double b0 = 0, b1 = 0, b2 = 0;
  switch (type) {
    case Type::LowPass:
      b0 = (1.0 - cw) / 2.0;
      b1 = 1.0 - cw;
      b2 = b0;
      break;
    case Type::HighPass:
      b0 = (1.0 + cw) / 2.0;
      b1 = -(1.0 + cw);
      b2 = b0;
      break;
    case Type::BandPass:
      b0 = alpha;
      b2 = -alpha;
      break;
  }
  const double a0 = 1.0 + alpha;
  b0_ = b0 / a0;
  b1_ = b1 / a0;
  b2_ = b2 / a0;
  a1_ = -2.0 * cw / a0;
  a2_ = (1.0 - alpha) / a0;
}

float Biquad::process(float x) {
  const double y = b0_ * x + z1_;
  z1_ = b1_ * x - a1_ * y + z2_;
  z2_ = b2_ * x - a2_ * y;
  return static_cast<float>(y);
}

double Envelope::at(double t, double gate) const {
  auto held = [this](double u) {
    if (u < attack) return u / attack;
    return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
  };
  if (t < 0.0) return 0.0;
  if (t < gate) return held(t);
  if (t >= gate + release) return 0.0;
  return held(gate) * (1.0 - (t - gate) / release);
}

namespace {
double polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}
}  // namespace

double Oscillator::advance(double hz) {
  const double dt = hz / kRate;
  phase_ += dt;
  phase_ -= std::floor(phase_);
  return dt;
}

double Oscillator::saw(double hz) {
  const double dt = advance(hz);
  return 2.0 * phase_ - 1.0 - polyBlep(phase_, dt);
}

double Oscillator::pulse(double hz, double width) {
  const double dt = advance(hz);
  double value = phase_ < width ? 1.0 : -1.0;
  value += polyBlep(phase_, dt);
  double shifted = phase_ + 1.0 - width;
  shifted -= std::floor(shifted);
  value -= polyBlep(shifted, dt);
  return value;
}

double Oscillator::sine(double hz) {
  advance(hz);
  return std::sin(kTwoPi * phase_);
}

double Oscillator::triangle(double hz) {
  advance(hz);
  return 4.0 * std::fabs(phase_ - 0.5) - 1.0;
}

Reverb::Reverb(double feedback, double damping) : feedback_(feedback), damping_(damping) {
  const std::size_t combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const std::size_t passLengths[] = {556, 441, 341, 225};
  const std::size_t spread = 23;
  for (std::size_t n : combLengths) {
    combsL_.push_back(Comb{std::vector<float>(n), 0, 0});
    combsR_.push_back(Comb{std::vector<float>(n + spread), 0, 0});
  }
  for (std::size_t n : passLengths) {
    passesL_.push_back(Allpass{std::vector<float>(n), 0});
    passesR_.push_back(Allpass{std::vector<float>(n + spread), 0});
  }
}

float Reverb::run(std::vector<Comb>& combs, std::vector<Allpass>& passes, float x) {
  float sum = 0;
  for (Comb& c : combs) {
    const float out = c.line[c.pos];
    c.store = static_cast<float>(out * (1.0 - damping_) + c.store * damping_);
    c.line[c.pos] = static_cast<float>(x + c.store * feedback_);
    c.pos = (c.pos + 1) % c.line.size();
    sum += out;
  }
  for (Allpass& a : passes) {
    const float delayed = a.line[a.pos];
    a.line[a.pos] = sum + delayed * 0.5f;
    a.pos = (a.pos + 1) % a.line.size();
    sum = delayed - sum;
  }
  return sum;
}

void Reverb::process(const Stereo& in, Stereo& out, double level) {
  const float gain = static_cast<float>(0.015 * level);
  for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) {
    const float x = in.left[i] + in.right[i];
    out.left[i] += gain * run(combsL_, passesL_, x);
    out.right[i] += gain * run(combsR_, passesR_, x);
  }
}

void pingPong(const Stereo& in, Stereo& out, double seconds, double feedback, double level) {
  const std::size_t delay = toFrames(seconds);
  std::vector<float> lineL(delay), lineR(delay);
  std::size_t pos = 0;
  for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) {
    const float echoL = lineL[pos];
    const float echoR = lineR[pos];
    // The left echo feeds the right line and vice versa, so repeats bounce.
    lineL[pos] = static_cast<float>(0.5 * (in.left[i] + in.right[i]) + echoR * feedback);
    lineR[pos] = static_cast<float>(echoL * feedback);
    pos = (pos + 1) % delay;
    out.left[i] += static_cast<float>(echoL * level);
    out.right[i] += static_cast<float>(echoR * level);
  }
}

void foldLoop(Mono& buffer, std::size_t length) {
  for (std::size_t i = length; i < buffer.size(); ++i) buffer[i % length] += buffer[i];
  buffer.resize(length);
}

void foldLoop(Stereo& buffer, std::size_t length) {
  foldLoop(buffer.left, length);
  foldLoop(buffer.right, length);
}

void fadeEdges(Mono& buffer, double inSeconds, double outSeconds) {
  const std::size_t in = std::min(toFrames(inSeconds), buffer.size());
  const std::size_t out = std::min(toFrames(outSeconds), buffer.size());
  for (std::size_t i = 0; i < in; ++i) {
    buffer[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / in));
  }
  for (std::size_t i = 0; i < out; ++i) {
    buffer[buffer.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / out));
  }
}

double peakOf(const Mono& buffer) {
  double peak = 0;
  for (float x : buffer) peak = std::max(peak, static_cast<double>(std::fabs(x)));
  return peak;
}

void scaleToPeak(Mono& buffer, double peak) {
  const double current = peakOf(buffer);
  if (current <= 0) return;
  const float gain = static_cast<float>(peak / current);
  for (float& x : buffer) x *= gain;
}

void scaleToPeak(Stereo& buffer, double peak) {
  const double current = std::max(peakOf(buffer.left), peakOf(buffer.right));
  if (current <= 0) return;
  const float gain = static_cast<float>(peak / current);
  for (float& x : buffer.left) x *= gain;
  for (float& x : buffer.right) x *= gain;
}

}  // namespace sound
