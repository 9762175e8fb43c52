// The three music loops. Each is rendered with a tail and folded back onto
// its start, so it repeats without a seam.
#pragma once

#include "Dsp.h"

namespace sound {

Stereo makeMainMenuMusic();  // A minor, 116 bpm, 16 bars
Stereo makeMeadowMusic();    // G major, 132 bpm, 20 bars: strummed and whistled
Stereo makeChaseMusic();     // D minor, 144 bpm, 20 bars: driving synths

}  // namespace sound
