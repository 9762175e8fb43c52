#include "Music.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Instruments.h"

namespace sound {

namespace {

// "C4", "F#5" or "Bb3" to a MIDI note number (C4 = 60).
int parsePitch(const std::string& name) {
  static const int fromA[] = {9, 11, 0, 2, 4, 5, 7};
  if (name.empty() || name[0] < 'A' || name[0] > 'G') throw std::runtime_error("bad pitch " + name);
  int semitone = fromA[name[0] - 'A'];
  std::size_t pos = 1;
  if (pos < name.size() && name[pos] == '#') {
    ++semitone;
    ++pos;
  } else if (pos < name.size() && name[pos] == 'b') {
    --semitone;
    ++pos;
  }
  return 12 * (std::stoi(name.substr(pos)) + 1) + semitone;
}

struct Chord {
  int root;  // pitch class
  std::vector<int> intervals;
};

Chord parseChord(const std::string& name) {
  std::size_t pos = 1;
  if (pos < name.size() && (name[pos] == '#' || name[pos] == 'b')) ++pos;
  const int root = parsePitch(name.substr(0, pos) + "0") % 12;
  const std::string kind = name.substr(pos);
  if (kind.empty()) return {root, {0, 4, 7}};
  if (kind == "m") return {root, {0, 3, 7}};
  if (kind == "7") return {root, {0, 4, 7, 10}};
  if (kind == "m7") return {root, {0, 3, 7, 10}};
  if (kind == "maj7") return {root, {0, 4, 7, 11}};
  if (kind == "sus4") return {root, {0, 5, 7}};
  throw std::runtime_error("bad chord " + name);
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  std::string word;
  while (in >> word) {
    if (word != "|") out.push_back(word);
  }
  return out;
}

// Every chord tone in the octave from `floor` up, so that consecutive chords
// move by small steps like a keyboard player's hands.
std::vector<double> voicing(const Chord& chord, int floor) {
  std::vector<double> notes;
  for (int interval : chord.intervals) {
    const int pc = (chord.root + interval) % 12;
    notes.push_back(floor + ((pc - floor) % 12 + 12) % 12);
  }
  std::sort(notes.begin(), notes.end());
  return notes;
}

// One song being written: a tempo, a length in bars, the chords of each bar
// and the mix that the instruments play into.
class Arrangement {
public:
  Arrangement(double bpm, const std::string& chords, std::uint64_t seed)
      : beat_(60.0 / bpm), rng_(seed) {
    for (const std::string& name : words(chords)) chords_.push_back(parseChord(name));
    loopFrames_ = toFrames(bars() * 4 * beat_);
    // Five seconds of tail let every echo and the reverb die away before
    // the tail is folded onto the start.
    mix_ = std::make_unique<Mix>(loopFrames_ + toFrames(5.0));
  }

  int bars() const { return static_cast<int>(chords_.size()); }
  double beat() const { return beat_; }
  double sixteenth() const { return beat_ / 4.0; }
  double barStart(int bar) const { return bar * 4 * beat_; }
  const Chord& chord(int bar) const { return chords_[static_cast<std::size_t>(bar)]; }
  Mix& mix() { return *mix_; }
  Rng& rng() { return rng_; }

  // A line of pitch tokens from `firstBar` on, `perBar` tokens to the bar: a
  // pitch starts a note, "-" holds the note before, "." is a rest.
  void line(const std::string& text, int firstBar, int perBar, double legato,
            const std::function<void(const Note&)>& play) {
    steps(words(text), firstBar, perBar, legato, parsePitch, play);
  }

  // A rhythm of sixteenths over one bar: "X" accent, "x" normal, "o" ghost.
  void hits(const std::string& pattern, int bar, const std::function<void(double, double)>& play) {
    for (std::size_t i = 0; i < pattern.size() && i < 16; ++i) {
      const char c = pattern[i];
      if (c == '.') continue;
      const double velocity = c == 'X' ? 1.0 : c == 'x' ? 0.75 : 0.4;
      play(barStart(bar) + static_cast<double>(i) * sixteenth(), velocity);
    }
  }

  // Like hits(), but each hit lasts until the next one or the end of the bar.
  void chordHits(const std::string& pattern, int bar, double legato,
                 const std::function<void(double start, double gate, double velocity)>& play) {
    std::vector<std::size_t> steps;
    for (std::size_t i = 0; i < pattern.size() && i < 16; ++i) {
      if (pattern[i] != '.') steps.push_back(i);
    }
    for (std::size_t k = 0; k < steps.size(); ++k) {
      const std::size_t end = k + 1 < steps.size() ? steps[k + 1] : 16;
      const double velocity = pattern[steps[k]] == 'X' ? 1.0 : pattern[steps[k]] == 'x' ? 0.75 : 0.45;
      play(barStart(bar) + static_cast<double>(steps[k]) * sixteenth(),
           static_cast<double>(end - steps[k]) * sixteenth() * legato, velocity);
    }
  }

  // A bass line in chord degrees, eight to the bar: "1" root, "3" third,
  // "5" fifth, "8" octave, "-" hold, "." rest. Roots lie between A1 and G#2.
  void bassLine(const std::string& degrees, int bar, const Strip& strip) {
    const Chord& c = chord(bar);
    const int root = 33 + (c.root + 3) % 12;
    auto pitchOf = [&](const std::string& degree) {
      if (degree == "3") return root + c.intervals[1];
      if (degree == "5") return root + 7;
      if (degree == "8") return root + 12;
      return root;
    };
    steps(words(degrees), bar, 8, 0.85, pitchOf, [&](const Note& n) { bass(mix(), strip, n); });
  }

  Stereo finish(double reverbLevel, double echoBeats, double echoFeedback, double echoLevel) {
    Stereo out = mix_->dry;
    Reverb room(0.82, 0.3);
    room.process(mix_->reverb, out, reverbLevel);
    pingPong(mix_->echo, out, echoBeats * beat_, echoFeedback, echoLevel);
    foldLoop(out, loopFrames_);
    scaleToPeak(out, 0.85);
    return out;
  }

private:
  void steps(const std::vector<std::string>& tokens, int firstBar, int perBar, double legato,
             const std::function<int(const std::string&)>& pitchOf,
             const std::function<void(const Note&)>& play) {
    const double step = 4.0 * beat_ / perBar;
    const double origin = barStart(firstBar);
    std::vector<Note> notes;
    bool holding = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i] == "-") {
        if (holding) notes.back().gate += step;
      } else if (tokens[i] == ".") {
        holding = false;
      } else {
        notes.push_back(Note{origin + static_cast<double>(i) * step, step, double(pitchOf(tokens[i])), 1.0});
        holding = true;
      }
    }
    for (Note& n : notes) {
      n.gate *= legato;
      play(n);
    }
  }

  double beat_;
  Rng rng_;
  std::vector<Chord> chords_;
  std::size_t loopFrames_ = 0;
  std::unique_ptr<Mix> mix_;
};

}  // namespace

namespace {

// The index pattern of a sixteenth-note arpeggio over the chord's voicing
// with the root an octave up as a fourth tone.
void arpeggio(Arrangement& song, int bar, int floor, const std::string& order, const Strip& strip,
              double velocity) {
  std::vector<double> tones = voicing(song.chord(bar), floor);
  tones.push_back(tones.front() + 12);
  const std::vector<std::string> picks = words(order);
  for (std::size_t i = 0; i < picks.size() && i < 16; ++i) {
    const std::size_t k = static_cast<std::size_t>(std::stoi(picks[i])) % tones.size();
    const Note note{song.barStart(bar) + static_cast<double>(i) * song.sixteenth(), song.sixteenth() * 0.8,
                    tones[k], velocity};
    chipPluck(song.mix(), strip, note);
  }
}

void padChord(Arrangement& song, int bar, int floor, const Strip& strip) {
  for (double midi : voicing(song.chord(bar), floor)) {
    pad(song.mix(), strip, Note{song.barStart(bar), 4 * song.beat() * 0.95, midi, 0.8});
  }
}

}  // namespace

Stereo makeMainMenuMusic() {
  Arrangement song(116, "Am F C G | Am F C G | Am F C G | Am F C G", 0x6d656e75ull);
  Mix& mix = song.mix();
  Rng& rng = song.rng();
  const Strip kickStrip{0.9, 0.0, 0.0, 0.0};
  const Strip snareStrip{0.45, 0.05, 0.25, 0.0};
  const Strip hatStrip{0.2, 0.3, 0.05, 0.0};
  const Strip bassStrip{0.5, 0.0, 0.0, 0.0};
  const Strip keysStrip{0.14, -0.25, 0.3, 0.1};
  const Strip arpStrip{0.07, 0.35, 0.2, 0.35};
  const Strip padStrip{0.14, 0.0, 0.4, 0.0};
  const Strip leadStrip{0.2, 0.1, 0.25, 0.35};

  for (int bar = 0; bar < song.bars(); ++bar) {
    const bool sparse = bar < 2;
    const bool fill = bar == song.bars() - 1;
    song.hits(sparse ? "x.......x......." : "x.....x.x.......", bar,
              [&](double t, double v) { kick(mix, kickStrip, t, v); });
    if (!sparse) {
      song.hits(fill ? "....x.......x.ox" : "....x.......x...", bar,
                [&](double t, double v) { snare(mix, snareStrip, t, v, rng); });
    }
    const bool openHat = bar % 4 == 3;
    song.hits(openHat ? "x.X.x.X.x.X.x..." : "x.X.x.X.x.X.x.X.", bar,
              [&](double t, double v) { hat(mix, hatStrip, t, v, false, rng); });
    if (openHat) {
      song.hits("..............x.", bar, [&](double t, double v) { hat(mix, hatStrip, t, v, true, rng); });
    }
    song.bassLine("1 - 1 . 5 - 8 5", bar, bassStrip);
    song.chordHits("x..x..x...x.x...", bar, 0.9, [&](double start, double gate, double velocity) {
      for (double midi : voicing(song.chord(bar), 57)) {
        electricPiano(mix, keysStrip, Note{start, gate, midi, velocity});
      }
    });
    arpeggio(song, bar, 69, "0 1 2 3 1 2 3 2 0 1 2 3 1 2 3 2", arpStrip, bar < 4 ? 0.6 : 1.0);
    if (bar >= 8) padChord(song, bar, 52, padStrip);
  }

  const std::string melody =
      // Am              F                   C                   G
      "E5 - - C5 D5 - E5 - | F5 - E5 - C5 - A4 - | G4 - C5 - E5 - G5 - | F5 - E5 - D5 - - - | "
      "A5 - G5 - E5 - G5 A5 | - - C6 - A5 - G5 - | G5 - E5 - G5 - C6 - | B5 - - - D6 - B5 - | "
      "E5 - - C5 D5 - E5 - | F5 - A5 - C6 - A5 - | G5 - E5 - C5 - E5 - | D5 - - - B4 - D5 - ";
  song.line(melody, 4, 8, 0.9, [&](const Note& n) { pulseLead(mix, leadStrip, n, 0.25); });
  return song.finish(0.9, 0.75, 0.35, 0.6);
}

Stereo makeMeadowMusic() {
  Arrangement song(132, "G D Em C | G D Em C G D C D | C D G Em C D G G", 0x6d6561646f77ull);
  Mix& mix = song.mix();
  Rng& rng = song.rng();
  const Strip kickStrip{0.85, 0.0, 0.0, 0.0};
  const Strip snareStrip{0.4, 0.05, 0.3, 0.0};
  const Strip clapStrip{0.25, -0.1, 0.3, 0.0};
  const Strip hatStrip{0.18, 0.35, 0.05, 0.0};
  const Strip bassStrip{0.5, 0.0, 0.0, 0.0};
  const Strip guitarStrip{0.3, -0.35, 0.2, 0.0};
  const Strip whistleStrip{0.22, 0.15, 0.3, 0.25};
  const Strip bellStrip{0.05, 0.4, 0.3, 0.3};

  for (int bar = 0; bar < song.bars(); ++bar) {
    const bool chorus = bar >= 12;
    const bool fill = bar == song.bars() - 1;
    song.hits("x.......x.x.....", bar, [&](double t, double v) { kick(mix, kickStrip, t, v); });
    if (bar >= 2) {
      song.hits(fill ? "....x.....x.xoxX" : "....x.......x...", bar,
                [&](double t, double v) { snare(mix, snareStrip, t, v, rng); });
    }
    if (chorus) song.hits("....x.......x...", bar, [&](double t, double v) { clap(mix, clapStrip, t, v, rng); });
    song.hits("xox.xox.xox.xox.", bar, [&](double t, double v) { hat(mix, hatStrip, t, v, false, rng); });
    if (chorus) {
      song.hits("..o...o...o...o.", bar, [&](double t, double v) { hat(mix, hatStrip, t, v, true, rng); });
    }
    song.bassLine("1 - . 1 5 - 3 -", bar, bassStrip);

    // Folk strum: down, down-up, up-down-up. Down strokes sweep low to high
    // across five strings, up strokes catch the top three on the way back.
    std::vector<double> strings = voicing(song.chord(bar), 55);
    strings.insert(strings.begin(), 40 + (song.chord(bar).root + 8) % 12);
    strings.push_back(strings[1] + 12);
    song.chordHits("X...x.o...o.x.o.", bar, 1.0, [&](double start, double gate, double velocity) {
      const bool down = velocity > 0.5;
      const std::size_t count = down ? strings.size() : 3;
      for (std::size_t k = 0; k < count; ++k) {
        const double midi = down ? strings[k] : strings[strings.size() - 1 - k];
        guitar(mix, guitarStrip, Note{start + 0.011 * static_cast<double>(k), gate, midi, velocity}, rng);
      }
    });
  }

  const std::string verse =
      // G                   D                    Em                    C
      "B4 - D5 - G5 - D5 - | F#5 - - E5 D5 - A4 - | B4 - E5 - G5 - F#5 E5 | E5 - - - D5 - C5 - | "
      "B4 - D5 - G5 - B5 - | A5 - F#5 - D5 - F#5 - | E5 - G5 - E5 - C5 - | D5 - - - - - . . ";
  const std::string chorus =
      // C                   D                    G                    Em
      "G5 - G5 - E5 - G5 - | A5 - - F#5 - - D5 - | B5 - A5 - G5 - D5 - | E5 - G5 - - - B5 - | "
      "C6 - B5 - A5 - G5 - | F#5 - A5 - - - D5 - | G5 - - - B5 - A5 - | G5 - - - - - . . ";
  auto whistled = [&](const Note& n) { whistle(mix, whistleStrip, n, rng); };
  song.line(verse, 4, 8, 0.9, whistled);
  song.line(chorus, 12, 8, 0.9, whistled);
  song.line(chorus, 12, 8, 0.5, [&](const Note& n) {
    chipPluck(mix, bellStrip, Note{n.start, n.gate, n.midi + 12, 0.8});
  });
  return song.finish(0.8, 0.75, 0.3, 0.5);
}

Stereo makeChaseMusic() {
  Arrangement song(144, "Dm Dm Bb C | Dm Bb F C Dm Bb C A | Bb C Dm Dm Bb C A A", 0x6368617365ull);
  Mix& mix = song.mix();
  Rng& rng = song.rng();
  const Strip kickStrip{0.95, 0.0, 0.0, 0.0};
  const Strip snareStrip{0.3, 0.05, 0.25, 0.0};
  const Strip clapStrip{0.3, -0.05, 0.3, 0.0};
  const Strip hatStrip{0.17, 0.3, 0.05, 0.0};
  const Strip bassStrip{0.55, 0.0, 0.0, 0.0};
  const Strip arpStrip{0.07, -0.4, 0.2, 0.3};
  const Strip padStrip{0.12, 0.0, 0.4, 0.0};
  const Strip leadStrip{0.17, 0.1, 0.2, 0.35};

  for (int bar = 0; bar < song.bars(); ++bar) {
    const bool intro = bar < 4;
    const bool fill = bar == 11 || bar == song.bars() - 1;
    song.hits("x...x...x...x...", bar, [&](double t, double v) { kick(mix, kickStrip, t, v); });
    if (bar >= 2) {
      song.hits(fill ? "....x...x.x.xoxX" : "....x.......x...", bar,
                [&](double t, double v) { snare(mix, snareStrip, t, v, rng); });
      song.hits("....x.......x...", bar, [&](double t, double v) { clap(mix, clapStrip, t, v, rng); });
    }
    song.hits("oxXxoxXxoxXxoxXx", bar, [&](double t, double v) { hat(mix, hatStrip, t, v, false, rng); });
    song.bassLine("1 1 8 1 1 8 1 5", bar, bassStrip);
    arpeggio(song, bar, 62, "0 1 2 1 0 1 2 3 0 1 2 1 3 2 1 2", arpStrip, intro ? 0.7 : 1.0);
    if (!intro) padChord(song, bar, 53, padStrip);
  }

  const std::string melody =
      // Dm                  Bb                  F                    C
      "D5 . D5 F5 A5 - G5 F5 | D5 - - - F5 - D5 - | C5 . C5 F5 A5 - C6 - | G5 - - - E5 - C5 - | "
      // Dm                  Bb                  C                     A
      "D5 . D5 F5 A5 - G5 F5 | Bb5 - A5 - G5 - F5 - | E5 - G5 - C6 - Bb5 - | A5 - - - C#5 - E5 - | "
      // Bb                  C                   Dm                   Dm
      "F5 - F5 - D5 - F5 G5 | E5 - G5 - C6 - G5 - | A5 - - F5 D5 - A5 - | G5 - F5 - E5 - F5 - | "
      // Bb                  C                   A                    A
      "D6 - - - Bb5 - F5 - | E5 - G5 - C6 - E6 - | C#6 - - - A5 - - - | E5 - G5 - A5 - - - ";
  song.line(melody, 4, 8, 0.85, [&](const Note& n) { pulseLead(mix, leadStrip, n, 0.5); });
  return song.finish(0.8, 0.75, 0.3, 0.5);
}

}  // namespace sound
