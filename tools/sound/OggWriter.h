#pragma once

#include <string>
#include <vector>

#include "Dsp.h"

namespace sound {

// Encodes one or two channels as Ogg Vorbis at 44.1 kHz. The stream serial
// number is derived from the file name so that a rebuild is byte-identical.
// Throws std::runtime_error when the file cannot be written.
void writeOgg(const std::string& path, const std::vector<const Mono*>& channels, float quality);

}  // namespace sound
