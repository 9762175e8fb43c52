#pragma once

#include "engine/Enums.h"
#include "engine/Vec2.h"
#include "resources/PictureRegions.h"
#include "resources/Resource.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

/// An image file as one GL texture with a matrix that turns texture coordinates
/// given in image pixels into GL's 0..1 range: (0, 0) is the top-left pixel of
/// the file, (width, height) its bottom-right corner.
///
/// Load parameters: "mipMapping" (bool), "downscaleFilter" (`DownscaleFilter`),
/// which picks the filter for the mip chain of square images, and "findRegions"
/// (bool): find the picture's clear, solid and black parts for `drawQuad`.
///
/// An image that cannot be read becomes an 8x8 magenta and black checker, so a
/// missing picture shows up on screen instead of bringing the game down.
class Texture : public Resource {
public:
    /// What the blending in force makes of a texel, and so what `drawQuad` may leave out.
    enum class QuadBlend {
        Plain,       ///< every texel shows: the whole quad is drawn
        Alpha,       ///< blended and alpha-tested by the texel's alpha: clear parts are left out
        AlphaOpaque, ///< as Alpha under a colour of full alpha: solid parts are drawn without blending
        Added,       ///< added onto the screen: black parts are left out
    };

    /// Tells whether the part of a quad from..to (its own coordinates) is painted over
    /// later, so need not be drawn; it must not call the GL.
    using Hidden = std::function<bool(Vec2f from, Vec2f to)>;

    /// Side of the checker that stands in for an unreadable image.
    static constexpr int kPlaceholderSize = 8;

    /// Loads `filename` ("" when no data directory holds the file; the cache has said so already).
    Texture(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters);
    ~Texture() override;

    /// Binds the texture and loads its pixel matrix into GL_TEXTURE, leaving the
    /// matrix mode as it was.
    void bind() const;

    /// Draws picture pixels texFrom..texTo (repeating beyond the picture) onto from..to,
    /// bound, like one quad in the current colour, but without the parts `blend` or `hidden`
    /// hides, and without mip levels where the picture is not drawn smaller than its pixels.
    void drawQuad(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to, QuadBlend blend, const Hidden& hidden = {}) const;
    /// The parts of from..to that `drawQuad` draws with full alpha under a colour of full alpha
    /// (the solid cells, placed as it places them, under the current matrices); none when it
    /// draws the quad whole.
    std::vector<std::pair<Vec2f, Vec2f>> opaqueParts(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to) const;
    /// The clear, solid and black parts ("findRegions"); unknown otherwise.
    const PictureRegions& getRegions() const { return regions; }

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    /// The GL texture object.
    GLuint getName() const { return name; }
    /// False when the file could not be read and the checker stands in for it.
    bool isLoaded() const { return loaded; }

    /// Half-size copy of a 32-bit RGBA surface (red in the lowest byte): every
    /// 2x2 block becomes one pixel by `filter`; an odd last row or column is
    /// dropped. The caller frees the result.
    static SDL_Surface* downscale(SDL_Surface* source, DownscaleFilter filter);
    /// Components 0..1 as one pixel, red in byte 0 and alpha in byte 3; each
    /// is truncated after scaling to just below 256, clamped, NaN becomes 0.
    static uint32_t packColor(float r, float g, float b, float a);
    /// A new empty surface with the texture pixel layout.
    static SDL_Surface* createRgbaSurface(int width, int height);
    /// The picture in `filename` in the texture pixel layout, or null with IMG_GetError saying why.
    static SDL_Surface* loadSurface(const std::string& filename);

private:
    void upload(SDL_Surface* rgba, bool mipMapping, DownscaleFilter filter);
    void drawParts(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to, QuadBlend blend, float texelsPerPixel,
                   const Hidden& hidden) const;

    GLuint name = 0;
    int width = 0;
    int height = 0;
    GLfloat matrix[16] = {};
    bool loaded = false;
    bool mipMapped = false;
    PictureRegions regions;
};
