#pragma once

#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Resource.h"
#include "resources/Texture.h"

#include <map>
#include <string>

/// Where one character lies on the page and how it sits on the line, in
/// unscaled page pixels. A character the font lacks is all zeros.
struct Glyph {
    int x = 0, y = 0;           ///< top-left corner on the page
    int width = 0, height = 0;  ///< size on the page
    int xoffset = 0, yoffset = 0; ///< top-left corner relative to the pen
    int xadvance = 0;
};

/// A bitmap font: an XML description in the BMFont layout plus one page image,
/// loaded from "fonts/" with the alpha-weighted mip filter. Strings are bytes,
/// each one a Latin-1 character code, so "\xFC" draws the glyph with id 252.
///
/// A description that cannot be read, lacks its layout or whose page image is
/// missing leaves the font unusable: it draws nothing and measures (0, 0).
class Font : public Resource {
public:
    /// Parses `filename` ("" when no data directory holds it; the cache has said so already).
    Font(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters);

    /// Draws `text` with the top-left of its first line at `position` (model-view
    /// units, y down), every line `height` units tall, tinted by `color`. Leaves
    /// texturing, blending and the alpha test on. Returns the size of the block.
    Vec2f draw(const Vec2f& position, float height, const RGBA& color, const std::string& text);
    /// The size `draw` would return for `text`, drawing nothing.
    Vec2f measure(float height, const std::string& text) const;
    /// Draws `text` with the centre of its block at `position`; returns its size.
    Vec2f drawCentered(const Vec2f& position, float height, const RGBA& color, const std::string& text);

    /// False when the description or its page could not be loaded.
    bool isLoaded() const { return loaded; }
    /// Unscaled distance between lines.
    int getLineHeight() const { return lineHeight; }
    int getBase() const { return base; }
    /// The glyph for character code `id` (all zeros when the font lacks it).
    const Glyph& getGlyph(int id) const;
    /// The page image.
    const Handle<Texture>& getTexture() const { return texture; }

private:
    bool parse(const std::string& filename);
    /// Runs the pen over `text`, handing each glyph and its pen position to `emit`.
    template <typename Emit>
    Vec2f layout(float height, const std::string& text, Emit&& emit) const;

    int lineHeight = 0;
    int base = 0;
    int scaleW = 0;
    int scaleH = 0;
    std::map<int, Glyph> glyphs;
    Handle<Texture> texture;
    bool loaded = false;
};
