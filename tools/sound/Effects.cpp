#include "Effects.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

using Type = Biquad::Type;

Mono silence(double seconds) { return Mono(toFrames(seconds)); }

double timeOf(std::size_t frame) { return static_cast<double>(frame) / kRate; }

void addAt(Mono& out, std::size_t i, double value) {
  if (i < out.size()) out[i] += static_cast<float>(value);
}

// A struck tone: a sine with two inharmonic overtones that die away faster
// than the fundamental, as in a small bell or a glass.
void addBell(Mono& out, double start, double midi, double amp, double decay) {
  const double hz = midiToHz(midi);
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(decay * 7.0);
  Oscillator a, b, c;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double env = std::min(1.0, t / 0.002) * std::exp(-t / decay);
    const double tone = a.sine(hz) + 0.35 * b.sine(hz * 2.76) * std::exp(-t / (decay * 0.4)) +
                        0.15 * c.sine(hz * 5.4) * std::exp(-t / (decay * 0.2));
    addAt(out, first + i, amp * env * tone);
  }
}

// A brass-like voice: two slightly detuned saws whose low-pass opens with
// the loudness, with vibrato that sets in on held notes.
void addHorn(Mono& out, double start, double gate, double midi, double amp, double vibratoDepth) {
  const Envelope env{0.03, 0.2, 0.75, 0.15};
  const double hz = midiToHz(midi);
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(env.length(gate));
  Oscillator a, b(0.5);
  Biquad lowPass;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double e = env.at(t, gate);
    const double vibrato = 1.0 + vibratoDepth * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t / 0.3);
    lowPass.set(Type::LowPass, hz * (1.5 + 6.0 * e), 0.9);
    const double tone = 0.5 * a.saw(hz * vibrato) + 0.5 * b.saw(hz * vibrato * 1.004);
    addAt(out, first + i, amp * e * lowPass.process(static_cast<float>(tone)));
  }
}

// A muted, sliding trombone note; `wobble` adds the slow "wah" of a plunger.
void addTrombone(Mono& out, double start, double gate, double midi, double amp, double wobble) {
  const Envelope env{0.04, 0.3, 0.8, 0.12};
  const double hz = midiToHz(midi);
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(env.length(gate));
  Oscillator a, b(0.25);
  Biquad lowPass;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double e = env.at(t, gate);
    const double slide = 1.0 - 0.01 * std::min(1.0, t / gate);
    const double vibrato = 1.0 + wobble * 0.02 * std::sin(kTwoPi * 6.0 * t) * std::min(1.0, t / 0.4);
    const double wah = wobble > 0 ? 0.5 + 0.5 * std::sin(kTwoPi * 2.5 * t - kPi / 2)
                                  : std::sin(kPi * std::min(1.0, t / (gate + 0.1)));
    lowPass.set(Type::LowPass, hz * (1.2 + 5.0 * wah * e), 2.0);
    const double f = hz * slide * vibrato;
    const double tone = 0.6 * a.saw(f) + 0.4 * b.pulse(f, 0.3);
    addAt(out, first + i, amp * e * lowPass.process(static_cast<float>(tone)));
  }
}

// Arcade beep: a soft pulse under a sine, low-passed so it is clear but not
// harsh.
void addBeep(Mono& out, double start, double gate, double hz, double amp) {
  const Envelope env{0.004, 0.12, 0.75, 0.03};
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(env.length(gate));
  Oscillator a, b;
  Biquad lowPass(Type::LowPass, 3500, 0.7);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double tone = 0.7 * a.sine(hz) + 0.3 * b.pulse(hz, 0.5);
    addAt(out, first + i, amp * env.at(t, gate) * lowPass.process(static_cast<float>(tone)));
  }
}

// Short chip-like blip with a pitch glide from `fromHz` to `toHz`.
void addBlip(Mono& out, double start, double gate, double fromHz, double toHz, double width,
             double amp) {
  const Envelope env{0.002, 0.04, 0.3, 0.025};
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(env.length(gate));
  Oscillator osc;
  Biquad lowPass(Type::LowPass, 4000, 0.7);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double hz = fromHz * std::pow(toHz / fromHz, std::min(1.0, t / gate));
    const double tone = width > 0 ? osc.pulse(hz, width) : osc.triangle(hz);
    addAt(out, first + i, amp * env.at(t, gate) * lowPass.process(static_cast<float>(tone)));
  }
}

void addCymbal(Mono& out, double start, double decay, double amp, Rng& rng) {
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(decay * 6.0);
  Biquad highPass(Type::HighPass, 5000, 0.7);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double env = std::min(1.0, t / 0.002) * std::exp(-t / decay);
    addAt(out, first + i, amp * env * highPass.process(static_cast<float>(rng.bipolar())));
  }
}

void addThump(Mono& out, double start, double amp) {
  const std::size_t first = toFrames(start);
  const std::size_t frames = toFrames(0.5);
  Oscillator osc;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = timeOf(i);
    const double hz = 50.0 + 90.0 * std::exp(-t / 0.03);
    const double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.12);
    addAt(out, first + i, amp * env * osc.sine(hz));
  }
}

void finish(Mono& out, double peak) {
  fadeEdges(out, 0.002, 0.05);
  scaleToPeak(out, peak);
}

}  // namespace

Mono makeMotor() {
  // Fifty firings a second at idle; a whole number of them fits the loop, so
  // the pulse train is periodic and can be laid out circularly.
  const std::size_t length = kRate;
  const std::size_t firings = 50;
  const std::size_t period = length / firings;
  Rng rng(0x6d6f746f72ull);
  Mono pulses(length);
  for (std::size_t k = 0; k < firings; ++k) {
    const double amp = (k % 2 == 0 ? 1.0 : 0.78) * (1.0 + 0.12 * rng.bipolar());
    const auto jitter = static_cast<std::ptrdiff_t>(std::lround(rng.bipolar() * 12.0));
    const std::size_t offset = (k * period + length + static_cast<std::size_t>(jitter + 12)) % length;
    for (std::size_t i = 0; i < 2 * period; ++i) {
      const double t = timeOf(i);
      const double ring = std::exp(-t / 0.0045) * std::sin(kTwoPi * 110.0 * t) +
                          0.45 * std::exp(-t / 0.0025) * std::sin(kTwoPi * 340.0 * t);
      pulses[(offset + i) % length] += static_cast<float>(amp * std::min(1.0, i / 20.0) * ring);
    }
  }
  Mono rattle(length);
  for (float& x : rattle) x = static_cast<float>(rng.bipolar());
  Biquad rattleBand(Type::BandPass, 1800, 0.8);
  filterLoop(rattle, rattleBand);
  scaleToPeak(rattle, 1.0);
  scaleToPeak(pulses, 1.0);
  Mono engine(length);
  for (std::size_t i = 0; i < length; ++i) {
    const double t = timeOf(i);
    // A half-order throb gives the lope of a single cylinder.
    const double throb = 0.25 * std::sin(kTwoPi * 25.0 * t);
    const double valves = std::pow(0.5 + 0.5 * std::cos(kTwoPi * 50.0 * t), 3.0);
    const double x = pulses[i] + throb + 0.12 * valves * rattle[i];
    engine[i] = static_cast<float>(std::tanh(1.8 * x));
  }
  Biquad lowPass(Type::LowPass, 2200, 0.707);
  Biquad dcBlock(Type::HighPass, 35, 0.707);
  filterLoop(engine, lowPass);
  filterLoop(engine, dcBlock);
  scaleToPeak(engine, 0.7);
  return engine;
}

Mono makeNeon() {
  const std::size_t length = 2 * kRate;
  Rng rng(0x6e656f6eull);
  // The tube buzzes at twice the mains frequency; odd harmonics are stronger,
  // as in a transformer's hum.
  Mono hum(length);
  for (int h = 1; h <= 40; ++h) {
    const double amp = (h % 2 == 1 ? 1.0 : 0.6) / std::pow(h, 1.1);
    const double phase = rng.uniform() * kTwoPi;
    for (std::size_t i = 0; i < length; ++i) {
      hum[i] += static_cast<float>(amp * std::sin(kTwoPi * 100.0 * h * timeOf(i) + phase));
    }
  }
  scaleToPeak(hum, 1.0);
  Mono sizzle(length);
  for (float& x : sizzle) x = static_cast<float>(rng.bipolar());
  Biquad sizzleFilter(Type::HighPass, 3500, 0.7);
  Biquad sizzleSoftener(Type::LowPass, 9000, 0.7);
  filterLoop(sizzle, sizzleFilter);
  filterLoop(sizzle, sizzleSoftener);
  scaleToPeak(sizzle, 1.0);
  Mono crackle(length);
  for (int k = 0; k < 14; ++k) {
    const auto position = static_cast<std::size_t>(rng.uniform() * length);
    const double amp = rng.range(0.3, 1.0);
    for (std::size_t i = 0; i < 200; ++i) {
      const double env = std::min(1.0, i / 4.0) * std::exp(-static_cast<double>(i) / 30.0);
      crackle[(position + i) % length] += static_cast<float>(amp * env * rng.bipolar());
    }
  }
  Biquad crackleFilter(Type::HighPass, 1500, 0.7);
  filterLoop(crackle, crackleFilter);
  scaleToPeak(crackle, 1.0);
  Mono neon(length);
  for (std::size_t i = 0; i < length; ++i) {
    const double t = timeOf(i);
    // Both wobbles complete whole cycles in the loop.
    const double wobble = 1.0 + 0.15 * std::sin(kTwoPi * 0.5 * t) + 0.08 * std::sin(kTwoPi * 1.5 * t + 1.0);
    const double gate = std::pow(std::fabs(std::sin(kTwoPi * 50.0 * t)), 6.0);
    neon[i] = static_cast<float>(0.6 * wobble * hum[i] + 0.15 * gate * sizzle[i] + 0.25 * crackle[i]);
  }
  scaleToPeak(neon, 0.6);
  return neon;
}

Mono makeAccelerator() {
  Mono out = silence(0.8);
  const Envelope env{0.01, 0.25, 0.6, 0.35};
  Rng rng(0x61636365ull);
  Oscillator a, b(0.3);
  Biquad lowPass, band;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double linear = std::min(1.0, t / 0.45);
    const double p = 1.0 - (1.0 - linear) * (1.0 - linear);
    const double hz = 160.0 * std::pow(6.0, p);
    lowPass.set(Type::LowPass, 500 + 5000 * p, 1.2);
    band.set(Type::BandPass, 300 + 4000 * p, 1.5);
    const double tone = 0.5 * a.saw(hz) + 0.5 * b.saw(hz * 1.505);
    const double air = band.process(static_cast<float>(rng.bipolar()));
    out[i] = static_cast<float>(env.at(t, 0.4) * (0.6 * lowPass.process(static_cast<float>(tone)) + 0.8 * air));
  }
  finish(out, 0.8);
  return out;
}

Mono makeNutTake() {
  Mono out = silence(0.5);
  addBell(out, 0.0, 83, 0.6, 0.06);
  addBell(out, 0.07, 88, 0.8, 0.16);
  finish(out, 0.75);
  return out;
}

Mono makeNutCapture() {
  Mono out = silence(1.3);
  const double arpeggio[] = {84, 88, 91, 96};
  for (int k = 0; k < 4; ++k) addBell(out, 0.07 * k, arpeggio[k], 0.5, 0.15 + 0.08 * k);
  const Envelope env{0.01, 0.3, 0.3, 0.4};
  const double chord[] = {72, 76, 79};
  for (double midi : chord) {
    Oscillator osc(midi / 100.0);
    Biquad lowPass(Type::LowPass, 2500, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
      const double tone = lowPass.process(static_cast<float>(osc.pulse(midiToHz(midi), 0.3)));
      out[i] += static_cast<float>(0.12 * env.at(timeOf(i), 0.5) * tone);
    }
  }
  finish(out, 0.8);
  return out;
}

Mono makeNutSpawn() {
  Mono out = silence(0.9);
  Oscillator osc;
  const std::size_t rise = toFrames(0.2);
  for (std::size_t i = 0; i < rise; ++i) {
    const double t = timeOf(i);
    const double hz = 250.0 * std::pow(4.0, t / 0.2);
    const double env = std::sin(kPi * t / 0.2);
    out[i] += static_cast<float>(0.6 * env * osc.triangle(hz));
  }
  Rng rng(0x7370776eull);
  const double sparkles[] = {96, 98, 100, 103, 105};
  for (int k = 0; k < 6; ++k) {
    addBell(out, 0.12 + 0.06 * k, sparkles[static_cast<int>(rng.uniform() * 5)], 0.25, 0.1);
  }
  finish(out, 0.75);
  return out;
}

Mono makeWinner() {
  Mono out = silence(2.5);
  struct Step {
    double start, gate, midi;
  };
  const Step fanfare[] = {{0.0, 0.1, 67}, {0.13, 0.1, 72}, {0.26, 0.1, 76}, {0.39, 0.28, 79},
                          {0.75, 0.1, 76}, {0.88, 1.25, 84}};
  for (const Step& s : fanfare) addHorn(out, s.start, s.gate, s.midi, 0.5, 0.008);
  for (double midi : {60.0, 64.0, 67.0, 72.0}) addHorn(out, 0.88, 1.25, midi, 0.22, 0.004);
  Rng rng(0x77696eull);
  addThump(out, 0.0, 0.5);
  addThump(out, 0.88, 0.7);
  addCymbal(out, 0.88, 0.35, 0.35, rng);
  fadeEdges(out, 0.002, 0.1);
  scaleToPeak(out, 0.8);
  return out;
}

Mono makeLoser() {
  Mono out = silence(3.0);
  addTrombone(out, 0.0, 0.32, 67, 0.6, 0.0);
  addTrombone(out, 0.45, 0.32, 66, 0.6, 0.0);
  addTrombone(out, 0.9, 0.32, 65, 0.6, 0.0);
  addTrombone(out, 1.35, 1.4, 64, 0.7, 1.0);
  fadeEdges(out, 0.002, 0.1);
  scaleToPeak(out, 0.75);
  return out;
}

Mono makeCountdown() {
  Mono out = silence(3.7);
  for (int k = 0; k < 3; ++k) addBeep(out, k, 0.16, 880.0, 0.6);
  addBeep(out, 3.0, 0.45, 1760.0, 0.5);
  addBeep(out, 3.0, 0.45, 880.0, 0.25);
  finish(out, 0.75);
  return out;
}

Mono makeMenuChange() {
  Mono out = silence(0.1);
  addBlip(out, 0.0, 0.045, 1400.0, 1250.0, 0.0, 0.6);
  addBlip(out, 0.0, 0.02, 2800.0, 2500.0, 0.5, 0.1);
  finish(out, 0.6);
  return out;
}

Mono makeMenuMove() {
  Mono out = silence(0.08);
  addBlip(out, 0.0, 0.03, 800.0, 650.0, 0.0, 0.6);
  finish(out, 0.5);
  return out;
}

Mono makeMenuConfirm() {
  Mono out = silence(0.45);
  addBlip(out, 0.0, 0.06, midiToHz(79), midiToHz(79), 0.25, 0.5);
  addBlip(out, 0.07, 0.14, midiToHz(86), midiToHz(86), 0.25, 0.5);
  // A quiet echo makes it feel like a step into a bigger room.
  addBlip(out, 0.19, 0.1, midiToHz(86), midiToHz(86), 0.25, 0.15);
  finish(out, 0.7);
  return out;
}

Mono makeError() {
  Mono out = silence(0.4);
  const Envelope env{0.004, 0.05, 0.7, 0.03};
  for (double start : {0.0, 0.16}) {
    Oscillator a, b(0.4);
    Biquad lowPass(Type::LowPass, 1400, 0.8);
    const std::size_t first = toFrames(start);
    for (std::size_t i = 0; first + i < out.size(); ++i) {
      // Two pitches a semitone apart beat against each other: a clear "no".
      const double tone = 0.5 * a.pulse(155.0, 0.5) + 0.5 * b.saw(164.0);
      out[first + i] += static_cast<float>(env.at(timeOf(i), 0.11) * lowPass.process(static_cast<float>(tone)));
    }
  }
  finish(out, 0.7);
  return out;
}

Mono makeScream() {
  const double gate = 1.9;
  const Envelope env{0.12, 0.5, 0.85, 0.9};
  Mono out = silence(3.0);
  Rng rng(0x73637265616dull);
  Oscillator v1, v2(0.33), v3(0.66), sub, roar;
  Biquad f1, f2, f3, roarFilter(Type::LowPass, 400, 0.7);
  double wander = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    double pitch;
    if (t < 0.35) {
      pitch = 150.0 * std::pow(330.0 / 150.0, t / 0.35);
    } else if (t < 1.7) {
      pitch = 330.0 - 20.0 * (t - 0.35);
    } else {
      pitch = 303.0 * std::pow(110.0 / 303.0, std::min(1.0, (t - 1.7) / 1.1));
    }
    wander = 0.999 * wander + 0.001 * rng.bipolar() * 40.0;
    pitch *= 1.0 + 0.04 * wander + 0.035 * std::sin(kTwoPi * 7.0 * t);
    double source = v1.saw(pitch) + v2.saw(pitch * 1.013) + v3.saw(pitch * 0.987) +
                    0.6 * sub.pulse(pitch * 0.5, 0.5);
    source *= 1.0 + 0.5 * std::sin(kTwoPi * 33.0 * t);
    source += 0.8 * rng.bipolar();
    // The mouth closes from an open "aah" towards a hollow "ooh" as it dies.
    const double close = std::clamp((t - 1.5) / 1.2, 0.0, 1.0);
    f1.set(Type::BandPass, 800 - 300 * close, 6.0);
    f2.set(Type::BandPass, 1200 - 300 * close, 8.0);
    f3.set(Type::BandPass, 2700 - 300 * close, 10.0);
    const auto s = static_cast<float>(source);
    const double voice = f1.process(s) + 0.7 * f2.process(s) + 0.35 * f3.process(s);
    const double low = roarFilter.process(static_cast<float>(roar.saw(pitch * 0.5)));
    out[i] = static_cast<float>(env.at(t, gate) * (std::tanh(2.5 * voice) + 0.3 * low));
  }
  fadeEdges(out, 0.005, 0.05);
  scaleToPeak(out, 0.85);
  return out;
}

Mono makeHurt() {
  Mono out = silence(0.32);
  addThump(out, 0.0, 0.9);
  Rng rng(0x68757274ull);
  Oscillator voice, sub(0.5);
  Biquad low(Type::BandPass, 500, 3.0), mid(Type::BandPass, 1000, 4.0), knock(Type::LowPass, 900, 0.7);
  const Envelope env{0.012, 0.06, 0.5, 0.1};
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    // A short pained "uh": a rough voice that sags in pitch, through the
    // formants of a half-open mouth.
    const double pitch = 165.0 * std::pow(0.65, std::min(1.0, t / 0.2)) * (1.0 + 0.03 * rng.bipolar());
    const double source = voice.saw(pitch) + 0.5 * sub.pulse(pitch * 0.5, 0.5) + 0.3 * rng.bipolar();
    const auto x = static_cast<float>(source);
    const double grunt = std::tanh(2.0 * (low.process(x) + 0.6 * mid.process(x)));
    const double hit = std::exp(-t / 0.015) * knock.process(static_cast<float>(rng.bipolar()));
    out[i] += static_cast<float>(0.55 * env.at(t, 0.12) * grunt + 0.8 * hit);
  }
  finish(out, 0.8);
  return out;
}

Mono makeSpikes() {
  Mono out = silence(0.42);
  // Inharmonic partials of a struck steel bar; the high ones die first.
  struct Partial {
    double hz, amp, decay;
  };
  const Partial clang[] = {{587.0, 0.5, 0.09}, {1613.0, 0.35, 0.06}, {2741.0, 0.3, 0.045},
                           {3907.0, 0.2, 0.03}, {5380.0, 0.12, 0.02}};
  for (const Partial& p : clang) {
    Oscillator osc(p.hz / 10000.0);
    for (std::size_t i = 0; i < out.size(); ++i) {
      const double t = timeOf(i);
      out[i] += static_cast<float>(p.amp * std::min(1.0, t / 0.001) * std::exp(-t / p.decay) * osc.sine(p.hz));
    }
  }
  // Then metal scraping on metal: a narrow band of noise sliding down.
  Rng rng(0x7370696bull);
  Biquad scrape;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    scrape.set(Type::BandPass, 4200.0 - 2500.0 * std::min(1.0, t / 0.3), 6.0);
    const double env = std::min(1.0, t / 0.02) * std::exp(-t / 0.1) * (0.8 + 0.2 * std::sin(kTwoPi * 45.0 * t));
    out[i] += static_cast<float>(0.9 * env * scrape.process(static_cast<float>(rng.bipolar())));
  }
  finish(out, 0.75);
  return out;
}

Mono makeTimeUp() {
  Mono out = silence(1.35);
  // Three falling buzzer notes, the last held and rasping.
  struct Note {
    double start, gate, midi, rasp;
  };
  const Note notes[] = {{0.0, 0.16, 74, 0.0}, {0.24, 0.16, 70, 0.0}, {0.48, 0.55, 62, 0.25}};
  const Envelope env{0.006, 0.1, 0.8, 0.12};
  for (const Note& n : notes) {
    const double hz = midiToHz(n.midi);
    Oscillator a, b(0.3);
    Biquad lowPass(Type::LowPass, 2600, 0.8);
    const std::size_t first = toFrames(n.start);
    const std::size_t frames = toFrames(env.length(n.gate));
    for (std::size_t i = 0; i < frames; ++i) {
      const double t = timeOf(i);
      const double rasp = 1.0 - n.rasp + n.rasp * std::sin(kTwoPi * 28.0 * t);
      const double tone = 0.6 * a.pulse(hz, 0.5) + 0.4 * b.saw(hz * 1.006);
      addAt(out, first + i, 0.6 * rasp * env.at(t, n.gate) * lowPass.process(static_cast<float>(tone)));
    }
  }
  finish(out, 0.75);
  return out;
}

}  // namespace sound
