// The band that plays the music: drums, bass, keys and leads. Every
// instrument adds one note to a Mix, through a channel strip that sets its
// level, its place in the stereo field and how much of it goes to the echo
// and the reverb.
#pragma once

#include "Dsp.h"

namespace sound {

struct Mix {
  explicit Mix(std::size_t frames) : dry(frames), reverb(frames), echo(frames) {}
  Stereo dry;
  Stereo reverb;
  Stereo echo;
};

struct Strip {
  double gain = 1.0;
  double pan = 0.0;
  double reverb = 0.0;
  double echo = 0.0;
};

struct Note {
  double start;     // seconds
  double gate;      // seconds the key is held
  double midi;
  double velocity;  // 0..1
};

void kick(Mix& mix, const Strip& strip, double start, double velocity);
void snare(Mix& mix, const Strip& strip, double start, double velocity, Rng& rng);
void clap(Mix& mix, const Strip& strip, double start, double velocity, Rng& rng);
void hat(Mix& mix, const Strip& strip, double start, double velocity, bool open, Rng& rng);

// Round synth bass: saw plus sub-octave sine through a plucked low-pass.
void bass(Mix& mix, const Strip& strip, const Note& note);
// Plucked string (Karplus-Strong) for strummed chords and arpeggios.
void guitar(Mix& mix, const Strip& strip, const Note& note, Rng& rng);
// Two-operator FM electric piano.
void electricPiano(Mix& mix, const Strip& strip, const Note& note);
// Soft detuned-saw pad spread across the stereo field.
void pad(Mix& mix, const Strip& strip, const Note& note);
// Bright pulse lead with delayed vibrato; `width` sets its colour.
void pulseLead(Mix& mix, const Strip& strip, const Note& note, double width);
// Airy whistle: sine and a little triangle, breath noise at the start.
void whistle(Mix& mix, const Strip& strip, const Note& note, Rng& rng);
// Short plucked square for fast arpeggios.
void chipPluck(Mix& mix, const Strip& strip, const Note& note);

}  // namespace sound
