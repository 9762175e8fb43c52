// The game's sound effects, all mono. Each function builds its sound from
// scratch with a fixed seed, so the same program always writes the same file.
#pragma once

#include "Dsp.h"

namespace sound {

Mono makeMotor();        // seamless one-second engine loop at idle pitch
Mono makeNeon();         // seamless two-second hum of a neon sign
Mono makeAccelerator();  // a rising whoosh when a booster pad fires
Mono makeNutTake();
Mono makeNutCapture();
Mono makeNutSpawn();
Mono makeWinner();
Mono makeLoser();
Mono makeCountdown();    // beeps at 0, 1 and 2 s, the higher start beep at 3 s
Mono makeMenuChange();
Mono makeMenuMove();
Mono makeMenuConfirm();
Mono makeError();
Mono makeScream();
Mono makeHurt();         // the rider takes a hit: a thud and a short grunt
Mono makeSpikes();       // a clang and scrape of metal on the spikes
Mono makeTimeUp();       // the story's clock has run out

}  // namespace sound
