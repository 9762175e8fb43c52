#include "Instruments.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

using Type = Biquad::Type;

double timeOf(std::size_t frame) { return static_cast<double>(frame) / kRate; }

// Writes one sample through the strip into the dry bus and the send buses.
void send(Mix& mix, const Strip& strip, std::size_t i, double sample, double pan) {
  const double s = sample * strip.gain;
  mix.dry.add(i, s, pan);
  if (strip.reverb > 0) mix.reverb.add(i, s * strip.reverb, pan);
  if (strip.echo > 0) mix.echo.add(i, s * strip.echo, pan);
}

// Drums start with a two-millisecond ramp so that no hit begins with a step.
double onset(double t) { return std::min(1.0, t / 0.002); }

}  // namespace

void kick(Mix& mix, const Strip& strip, double start, double velocity) {
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(0.45);
  Oscillator body;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double hz = 48.0 + 110.0 * std::exp(-t / 0.035);
    const double env = onset(t) * std::exp(-t / 0.14) * (1.0 - t / 0.45);
    const double sample = std::tanh(1.5 * body.sine(hz)) * env;
    send(mix, strip, first + i, velocity * sample, strip.pan);
  }
}

void snare(Mix& mix, const Strip& strip, double start, double velocity, Rng& rng) {
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(0.3);
  Oscillator low, high;
  Biquad crack(Type::HighPass, 1800, 0.7);
  Biquad body(Type::LowPass, 7000, 0.7);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double tail = 1.0 - t / 0.3;
    const double tone = (0.6 * low.sine(185.0) + 0.3 * high.sine(330.0)) * std::exp(-t / 0.05);
    const double noise = body.process(crack.process(static_cast<float>(rng.bipolar()))) * std::exp(-t / 0.09);
    send(mix, strip, first + i, velocity * onset(t) * tail * (tone + 0.8 * noise), strip.pan);
  }
}

void clap(Mix& mix, const Strip& strip, double start, double velocity, Rng& rng) {
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(0.3);
  Biquad band(Type::BandPass, 1200, 1.2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    // Three quick slaps, then the decaying ring of the room.
    double env = std::exp(-t / 0.1) * (1.0 - t / 0.3);
    for (double slap : {0.0, 0.011, 0.022}) {
      if (t >= slap && t < slap + 0.01) env += std::exp(-(t - slap) / 0.003);
    }
    const double noise = band.process(static_cast<float>(rng.bipolar()));
    send(mix, strip, first + i, 2.0 * velocity * onset(t) * env * noise, strip.pan);
  }
}

void hat(Mix& mix, const Strip& strip, double start, double velocity, bool open, Rng& rng) {
  const double decay = open ? 0.12 : 0.025;
  const double length = decay * 6.0;
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(length);
  Biquad highPass(Type::HighPass, 7000, 0.8);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double env = onset(t) * std::exp(-t / decay) * (1.0 - t / length);
    const double noise = highPass.process(static_cast<float>(rng.bipolar()));
    send(mix, strip, first + i, velocity * env * noise, strip.pan);
  }
}

void bass(Mix& mix, const Strip& strip, const Note& note) {
  const Envelope env{0.004, 0.25, 0.7, 0.05};
  const double hz = midiToHz(note.midi);
  const std::size_t first = toFrames(note.start);
  const std::size_t frames = toFrames(env.length(note.gate));
  Oscillator saw, sub;
  Biquad lowPass;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    if (i % 16 == 0) lowPass.set(Type::LowPass, 250.0 + 1800.0 * std::exp(-t / 0.08), 1.1);
    const double tone = lowPass.process(static_cast<float>(saw.saw(hz))) + 0.6 * sub.sine(hz);
    send(mix, strip, first + i, note.velocity * env.at(t, note.gate) * tone, strip.pan);
  }
}

void guitar(Mix& mix, const Strip& strip, const Note& note, Rng& rng) {
  const double period = kRate / midiToHz(note.midi);
  // The averaging filter in the loop adds half a sample of delay.
  const double delay = period - 0.5;
  const std::size_t mask = 4095;
  std::vector<float> line(mask + 1);
  Biquad pickTone(Type::LowPass, 2500 + 3000 * note.velocity, 0.7);
  std::size_t write = static_cast<std::size_t>(period) + 2;
  for (std::size_t k = 0; k < write; ++k) line[k] = pickTone.process(static_cast<float>(rng.bipolar()));
  const std::size_t first = toFrames(note.start);
  const double release = 0.08;
  const std::size_t frames = toFrames(note.gate + release);
  float previous = 0.0f;
  for (std::size_t i = 0; i < frames; ++i, ++write) {
    const double t = timeOf(i);
    const double readPos = static_cast<double>(write) - delay;
    const auto index = static_cast<std::size_t>(readPos);
    const double frac = readPos - static_cast<double>(index);
    const auto current = static_cast<float>(line[index & mask] * (1.0 - frac) + line[(index + 1) & mask] * frac);
    line[write & mask] = 0.996f * 0.5f * (current + previous);
    previous = current;
    const double damp = t < note.gate ? 1.0 : 1.0 - (t - note.gate) / release;
    send(mix, strip, first + i, note.velocity * onset(t) * damp * current, strip.pan);
  }
}

void electricPiano(Mix& mix, const Strip& strip, const Note& note) {
  const Envelope env{0.003, 0.6, 0.35, 0.25};
  const double hz = midiToHz(note.midi);
  const std::size_t first = toFrames(note.start);
  const std::size_t frames = toFrames(env.length(note.gate));
  Oscillator carrier, modulator, tine;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double index = 1.2 * std::exp(-t / 0.25) + 0.2;
    // The modulator's output bends the carrier's frequency.
    const double mod = modulator.sine(hz) * index * hz;
    const double tone = carrier.sine(hz + mod) + 0.15 * tine.sine(hz * 14.0) * std::exp(-t / 0.02);
    send(mix, strip, first + i, note.velocity * env.at(t, note.gate) * tone, strip.pan);
  }
}

void pad(Mix& mix, const Strip& strip, const Note& note) {
  const Envelope env{0.25, 0.8, 0.8, 0.6};
  const double hz = midiToHz(note.midi);
  const std::size_t first = toFrames(note.start);
  const std::size_t frames = toFrames(env.length(note.gate));
  const double detune[] = {0.994, 1.0, 1.006};
  const double pans[] = {-0.7, 0.0, 0.7};
  for (int v = 0; v < 3; ++v) {
    Oscillator osc(0.37 * v);
    Biquad lowPass(Type::LowPass, 1400, 0.6);
    for (std::size_t i = 0; i < frames; ++i) {
      const double t = timeOf(i);
      const double tone = lowPass.process(static_cast<float>(osc.saw(hz * detune[v])));
      send(mix, strip, first + i, note.velocity * env.at(t, note.gate) * tone / 3.0,
           std::clamp(strip.pan + pans[v], -1.0, 1.0));
    }
  }
}

void pulseLead(Mix& mix, const Strip& strip, const Note& note, double width) {
  const Envelope env{0.01, 0.3, 0.7, 0.08};
  const double hz = midiToHz(note.midi);
  const std::size_t first = toFrames(note.start);
  const std::size_t frames = toFrames(env.length(note.gate));
  Oscillator osc, saw(0.5);
  Biquad lowPass;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double e = env.at(t, note.gate);
    const double vibrato = 1.0 + 0.006 * std::sin(kTwoPi * 5.5 * t) * std::clamp((t - 0.15) / 0.2, 0.0, 1.0);
    if (i % 16 == 0) lowPass.set(Type::LowPass, hz * 2.0 + 3500.0 * e, 0.8);
    const double tone = 0.7 * osc.pulse(hz * vibrato, width) + 0.3 * saw.saw(hz * vibrato * 1.003);
    send(mix, strip, first + i, note.velocity * e * lowPass.process(static_cast<float>(tone)), strip.pan);
  }
}

void whistle(Mix& mix, const Strip& strip, const Note& note, Rng& rng) {
  const Envelope env{0.03, 0.4, 0.8, 0.1};
  const double hz = midiToHz(note.midi);
  const std::size_t first = toFrames(note.start);
  const std::size_t frames = toFrames(env.length(note.gate));
  Oscillator sine, tri;
  Biquad breath(Type::BandPass, hz * 2.0, 2.0);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double vibrato = 1.0 + 0.008 * std::sin(kTwoPi * 5.0 * t) * std::clamp((t - 0.12) / 0.25, 0.0, 1.0);
    const double air = breath.process(static_cast<float>(rng.bipolar())) * (0.15 + 0.4 * std::exp(-t / 0.05));
    const double tone = sine.sine(hz * vibrato) + 0.2 * tri.triangle(hz * vibrato) + air;
    send(mix, strip, first + i, note.velocity * env.at(t, note.gate) * tone, strip.pan);
  }
}

void chipPluck(Mix& mix, const Strip& strip, const Note& note) {
  const Envelope env{0.002, 0.09, 0.0, 0.03};
  const double hz = midiToHz(note.midi);
  const std::size_t first = toFrames(note.start);
  const std::size_t frames = toFrames(env.length(note.gate));
  Oscillator osc;
  Biquad lowPass;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    if (i % 16 == 0) lowPass.set(Type::LowPass, 800.0 + 5000.0 * std::exp(-t / 0.05), 1.0);
    const double tone = lowPass.process(static_cast<float>(osc.pulse(hz, 0.5)));
    send(mix, strip, first + i, note.velocity * env.at(t, note.gate) * tone, strip.pan);
  }
}

}  // namespace sound
