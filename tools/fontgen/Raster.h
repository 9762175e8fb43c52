#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fontgen {

// One character rendered to an 8-bit coverage bitmap, with its placement
// relative to the pen on the baseline (FreeType's conventions: top grows up).
struct RasterGlyph {
    int code = 0;
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<std::uint8_t> coverage;
};

struct RasterFont {
    std::string family;
    int pixelSize = 0;
    bool bold = false;
    int lineHeight = 0;
    int ascender = 0;
    std::vector<RasterGlyph> glyphs;
};

// Renders every code (Unicode code points, which equal Latin-1 byte values)
// anti-aliased at the given pixel size. Throws std::runtime_error when the
// font cannot be read or lacks one of the characters.
RasterFont rasterize(const std::string& fontPath, int pixelSize, const std::vector<int>& codes);

}  // namespace fontgen
