#pragma once

#include "Raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fontgen {

// A character as the game's font description lists it: its rectangle on the
// page and where that rectangle goes relative to the pen, in page pixels.
struct CharRecord {
    int id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int xoffset = 0;
    int yoffset = 0;
    int xadvance = 0;
};

struct FontPage {
    std::string family;
    int pixelSize = 0;
    bool bold = false;
    int padding = 0;
    int spacing = 0;
    int lineHeight = 0;
    int base = 0;
    int pageSize = 0;
    std::vector<std::uint8_t> rgba;  // pageSize * pageSize * 4 bytes
    std::vector<CharRecord> chars;
};

// Lays the glyphs out on one square page. Each rectangle carries `padding`
// transparent pixels around the ink, and rectangles are `spacing` pixels
// apart. Throws std::runtime_error when the glyphs do not fit.
FontPage buildPage(const RasterFont& font, int pageSize, int padding, int spacing);

void writePng(const FontPage& page, const std::string& path);

// Writes the XML description; pageFile is the page image's name relative to
// the description.
void writeDescription(const FontPage& page, const std::string& pageFile, const std::string& path);

}  // namespace fontgen
