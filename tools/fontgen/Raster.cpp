#include "Raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace fontgen {
namespace {

struct LibraryDeleter {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

int roundPixels(FT_Pos value26_6) { return static_cast<int>(std::lround(value26_6 / 64.0)); }

bool isSpace(int code) { return code == 32 || code == 160; }

// Fonts may draw the soft hyphen as nothing (it only shows at a line
// break), but the game prints bytes literally, so it must look like a hyphen.
int substituteFor(int code) { return code == 173 ? '-' : 0; }

RasterGlyph renderOne(FT_Face face, int code, int loadCode) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(loadCode));
    if (index == 0)
        throw std::runtime_error("font has no glyph for code " + std::to_string(loadCode));
    // Light hinting keeps the outlines' true proportions (only vertical
    // snapping), which matters more for large display text than crisp stems.
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_RENDER) != 0)
        throw std::runtime_error("cannot render code " + std::to_string(loadCode));

    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0)
        throw std::runtime_error("unexpected bitmap mode for code " + std::to_string(loadCode));

    RasterGlyph glyph;
    glyph.code = code;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = roundPixels(slot->advance.x);
    glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
    for (int y = 0; y < glyph.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        std::copy(row, row + glyph.width, glyph.coverage.begin() + static_cast<std::ptrdiff_t>(y) * glyph.width);
    }
    return glyph;
}

bool hasInk(const RasterGlyph& glyph) {
    for (std::uint8_t value : glyph.coverage)
        if (value != 0) return true;
    return false;
}

}  // namespace

RasterFont rasterize(const std::string& fontPath, int pixelSize, const std::vector<int>& codes) {
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) throw std::runtime_error("cannot initialise FreeType");
    LibraryPtr library(rawLibrary);

    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), fontPath.c_str(), 0, &rawFace) != 0)
        throw std::runtime_error("cannot open font " + fontPath);
    FacePtr face(rawFace);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelSize)) != 0)
        throw std::runtime_error("cannot set pixel size " + std::to_string(pixelSize));

    RasterFont font;
    font.family = face->family_name ? face->family_name : "";
    if (face->style_name && std::string(face->style_name) != "Regular")
        font.family += std::string(" ") + face->style_name;
    font.pixelSize = pixelSize;
    font.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    font.lineHeight = roundPixels(face->size->metrics.height);
    font.ascender = roundPixels(face->size->metrics.ascender);

    for (int code : codes) {
        RasterGlyph glyph = renderOne(face.get(), code, code);
        if (!isSpace(code) && !hasInk(glyph)) {
            const int substitute = substituteFor(code);
            if (substitute == 0)
                throw std::runtime_error("glyph for code " + std::to_string(code) + " is empty");
            glyph = renderOne(face.get(), code, substitute);
        }
        font.glyphs.push_back(std::move(glyph));
    }
    return font;
}

}  // namespace fontgen
